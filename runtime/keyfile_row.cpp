// The record-row codec: a record buffer to statement parameters and a result row back, and the key value of the
// buffer.
#include "runtime/keyfile_impl.h"

#include "runtime/text.h"
#include <algorithm>
#include <cstring>

namespace rt::kf {

std::int64_t read_number(const char* p, FieldType type) {
    switch (type) {
    case FieldType::Byte:
        return static_cast<unsigned char>(*p);
    case FieldType::Short: {
        std::int16_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case FieldType::Long: {
        std::int32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    case FieldType::Text:
        break;
    }
    return 0;
}

void write_number(char* p, FieldType type, std::int64_t value) {
    switch (type) {
    case FieldType::Byte:
        *p = static_cast<char>(static_cast<unsigned char>(value));
        break;
    case FieldType::Short: {
        const auto v = static_cast<std::int16_t>(value);
        std::memcpy(p, &v, sizeof v);
        break;
    }
    case FieldType::Long: {
        const auto v = static_cast<std::int32_t>(value);
        std::memcpy(p, &v, sizeof v);
        break;
    }
    case FieldType::Text:
        break;
    }
}

void bind_value(sqlite3_stmt* s, int at, const KeyValue& v) {
    if (v.text)
        sqlite3_bind_blob(s, at, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
    else
        sqlite3_bind_int64(s, at, v.number);
}

} // namespace rt::kf

namespace rt {

std::int64_t field_number(const Field& f, const void* row) {
    return read_number(static_cast<const char*>(row) + f.offset, f.type);
}

// Binds the buffer's fields (and key columns) from parameter 1 on; answers the next parameter number.
int KeyFile::Impl::bind_record(sqlite3_stmt* st) {
    int at = 1;
    for (const Column& c : schema.columns) {
        const char* p = record + c.offset;
        if (c.type != FieldType::Text) {
            sqlite3_bind_int64(st, at++, read_number(p, c.type));
            continue;
        }
        if (encode_text(c, p))
            sqlite3_bind_text(st, at, text_buf.data(), static_cast<int>(text_buf.size()), SQLITE_TRANSIENT);
        else
            sqlite3_bind_blob(st, at, text_buf.data(), static_cast<int>(text_buf.size()), SQLITE_TRANSIENT);
        ++at;
    }
    for (const KeyColumn& k : schema.key_columns) {
        const Field& f = table.fields[k.field];
        const std::string_view raw(record + f.offset, f.size);
        const std::string bytes = k.upper ? upper(raw) : std::string(raw);
        sqlite3_bind_blob(st, at++, bytes.data(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    return at;
}

Cell KeyFile::Impl::cell_of(sqlite3_stmt* st, int i, bool text) {
    if (!text) return {SQLITE_INTEGER, sqlite3_column_int64(st, i), {}};
    const int type = sqlite3_column_type(st, i);
    if (type == SQLITE_NULL) return {SQLITE_NULL, 0, {}};
    const auto* p = type == SQLITE_BLOB ? static_cast<const char*>(sqlite3_column_blob(st, i))
                                        : reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    const auto n = static_cast<std::size_t>(sqlite3_column_bytes(st, i));
    return {type == SQLITE_BLOB ? SQLITE_BLOB : SQLITE_TEXT, 0, p ? std::string_view(p, n) : std::string_view()};
}

// The cells of a row from column 1 on: the data columns, then (key >= 0) that key's columns.
void KeyFile::Impl::cells_of(sqlite3_stmt* st, int key, std::vector<Cell>& out) const {
    out.clear();
    int at = 1;
    for (const Column& c : schema.columns)
        out.push_back(cell_of(st, at++, c.type == FieldType::Text));
    if (key >= 0)
        for (int kc : schema.keys[static_cast<std::size_t>(key)].text_column)
            if (kc >= 0) out.push_back(cell_of(st, at++, true));
}

// Fills a record image from the cells of the data columns.
void KeyFile::Impl::decode_row(const Cell* cells, char* image) {
    if (gaps) std::memcpy(image, blank.data(), blank.size());
    for (const Column& c : schema.columns) {
        const Cell& v = *cells++;
        char* p = image + c.offset;
        if (c.type != FieldType::Text) {
            write_number(p, c.type, v.number);
            continue;
        }
        std::memset(p, ' ', c.size * c.slots);
        if (v.type == SQLITE_BLOB)
            std::memcpy(p, v.bytes.data(), std::min(v.bytes.size(), c.size * c.slots));
        else if (v.type == SQLITE_TEXT)
            decode_text(c, v.bytes, p);
    }
}

// Fills a record image from a row whose columns are those of select_cols (column 0 the position).
void KeyFile::Impl::read_row(sqlite3_stmt* st, char* image) {
    cells_of(st, -1, cells);
    decode_row(cells.data(), image);
}

// The column value of a text field into text_buf: UTF-8 without trailing blanks, its slots one per line
// (trailing empty lines dropped), when every slot converts both ways (true); otherwise the field's bytes,
// without trailing blanks for a single slot (false).
bool KeyFile::Impl::encode_text(const Column& c, const char* p) {
    text_buf.clear();
    std::size_t keep = 0; // length up to the last slot that is not blank
    bool utf8 = true;
    for (std::size_t k = 0; k < c.slots && utf8; ++k) {
        const std::string_view raw(p + k * c.size, c.size);
        const std::size_t end = raw.find_last_not_of(' ');
        const std::string_view text = end == std::string_view::npos ? std::string_view() : raw.substr(0, end + 1);
        if (k) text_buf += '\n';
        if (!cp949_to_utf8(text, slot_buf) || slot_buf.find('\n') != std::string::npos) utf8 = false;
        text_buf += slot_buf;
        if (!text.empty()) keep = text_buf.size();
    }
    if (utf8) {
        text_buf.resize(keep);
        return true;
    }
    const std::string_view raw(p, c.size * c.slots);
    const std::size_t end = raw.find_last_not_of(' ');
    text_buf.assign(c.slots == 1 && end != std::string_view::npos ? raw.substr(0, end + 1)
                    : c.slots == 1                                ? std::string_view()
                                                                  : raw);
    return false;
}

// A TEXT column value into a blank field: one line per slot, each cut to the slot at a character boundary.
void KeyFile::Impl::decode_text(const Column& c, std::string_view v, char* p) {
    for (std::size_t k = 0; k < c.slots; ++k) {
        const std::size_t nl = c.slots > 1 ? v.find('\n') : std::string_view::npos;
        const std::string_view line = v.substr(0, nl);
        bool ascii = true;
        for (char ch : line)
            if (static_cast<unsigned char>(ch) >= 0x80) {
                ascii = false;
                break;
            }
        char* slot = p + k * c.size;
        if (ascii) {
            std::memcpy(slot, line.data(), std::min(line.size(), c.size));
        } else {
            utf8_to_cp949(line, slot_buf);
            std::memcpy(slot, slot_buf.data(), cut_point(slot_buf, c.size));
        }
        if (nl == std::string_view::npos) break;
        v.remove_prefix(nl + 1);
    }
}

// The key value of the buffer.
std::vector<KeyValue> KeyFile::Impl::buffer_key(int key) const {
    std::vector<KeyValue> out;
    const KeyDecl& k = table.keys[static_cast<std::size_t>(key)];
    for (const KeyPart& p : k.parts) {
        const Field& f = table.fields[p.field];
        KeyValue v;
        if (f.type == FieldType::Text) {
            v.text = true;
            const std::string_view raw(record + f.offset, f.size);
            v.bytes = k.nocase ? upper(raw) : std::string(raw);
        } else {
            v.number = read_number(record + f.offset, f.type);
        }
        out.push_back(std::move(v));
    }
    return out;
}

// After a record was read into the buffer (or added): it is current and its large fields are its own.
void KeyFile::Impl::became_current(std::int64_t pos) {
    current = pos;
    for (BlobSlot& b : blobs) {
        b.loaded = false;
        b.dirty = false;
        b.data.clear();
        b.source = pos;
    }
}

} // namespace rt
