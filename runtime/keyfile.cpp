// Keyed data files over SQLite (see keyfile.h); the driver's seams are in keyfile_*.cpp.
#include "runtime/keyfile_impl.h"

#include <algorithm>

#include "runtime/text.h"

namespace rt {

KeyFile::KeyFile(const Table& table, void* record) : impl_(std::make_unique<Impl>(table, record)) {}

KeyFile::~KeyFile() = default;

std::string KeyFile::Impl::file_name() const {
    if (name_var) return clip(std::string_view(name_var, name_len));
    return clip(fixed_name);
}

void KeyFile::bind_name(const char* variable, std::size_t n) {
    impl_->name_var = variable;
    impl_->name_len = n;
}

void KeyFile::set_name(std::string_view cp949) {
    impl_->name_var = nullptr;
    impl_->fixed_name = std::string(cp949);
}

std::string KeyFile::name() const {
    return impl_->file_name();
}

bool KeyFile::is_open() const {
    return impl_->db != nullptr;
}

std::int32_t KeyFile::records() {
    Impl& m = *impl_;
    if (!m.db) return set_error(ERR_NOT_OPEN), 0;
    sqlite3_stmt* st = m.count.get();
    const int rc = sqlite3_step(st);
    std::int32_t n = 0;
    if (rc == SQLITE_ROW) {
        n = static_cast<std::int32_t>(sqlite3_column_int64(st, 0));
        ok();
    } else {
        driver_failure(m.db, rc);
    }
    sqlite3_reset(st);
    return n;
}

std::int32_t KeyFile::position() const {
    return static_cast<std::int32_t>(impl_->current);
}

std::string KeyFile::send(std::string_view option) {
    Impl& m = *impl_;
    auto trim = [](std::string_view v) {
        while (!v.empty() && v.front() == ' ')
            v.remove_prefix(1);
        while (!v.empty() && v.back() == ' ')
            v.remove_suffix(1);
        return v;
    };
    const std::size_t eq = option.find('=');
    const std::string name = upper(trim(option.substr(0, eq)));
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : trim(option.substr(eq + 1));
    if (name == "RECOVER" && !value.empty() && value.size() <= 6 &&
        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        m.busy_ms = std::stoi(std::string(value)) * 1000;
        if (m.db) sqlite3_busy_timeout(m.db, m.busy_ms);
        ok();
        return std::to_string(m.busy_ms / 1000);
    }
    set_error(ERR_NOT_SUPPORTED, {}, "unknown driver option");
    return {};
}

} // namespace rt
