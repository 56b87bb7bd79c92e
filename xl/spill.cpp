// Temporary files and the output file.
#include "xl/spill.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>

namespace xl {

namespace {

#ifdef _WIN32
std::wstring wide(std::string_view cp949) {
    if (cp949.empty()) return {};
    const int n = MultiByteToWideChar(949, 0, cp949.data(), static_cast<int>(cp949.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(949, 0, cp949.data(), static_cast<int>(cp949.size()), w.data(), n);
    return w;
}

std::FILE* open_file(const std::string& path, const wchar_t* mode) {
    return _wfopen(wide(path).c_str(), mode);
}

bool seek(std::FILE* f, std::uint64_t offset) {
    return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET) == 0;
}
bool seek_end(std::FILE* f) {
    return _fseeki64(f, 0, SEEK_END) == 0;
}

// A temporary file in the user's temporary folder, deleted by the system when it is closed.
std::FILE* temporary_file() {
    wchar_t folder[MAX_PATH + 1], name[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"xl", 0, name)) return nullptr;
    std::FILE* f = _wfopen(name, L"w+bTD");
    if (!f) DeleteFileW(name);
    return f;
}

bool replace_file(const std::string& from, const std::string& to) {
    return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
void remove_file(const std::string& path) {
    DeleteFileW(wide(path).c_str());
}
#else
std::FILE* open_file(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}
bool seek(std::FILE* f, std::uint64_t offset) {
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
}
bool seek_end(std::FILE* f) {
    return fseeko(f, 0, SEEK_END) == 0;
}
std::FILE* temporary_file() {
    return std::tmpfile();
}
bool replace_file(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}
void remove_file(const std::string& path) {
    std::remove(path.c_str());
}
#endif

#ifdef _WIN32
#define XL_MODE(m) L##m
#else
#define XL_MODE(m) m
#endif

} // namespace

Spill::~Spill() {
    if (file_) std::fclose(file_);
}

bool Spill::open() {
    if (!file_ && !failed_) {
        file_ = temporary_file();
        if (!file_) failed_ = true;
    }
    return !failed_;
}

bool Spill::write(const void* data, std::size_t size) {
    if (size == 0) return !failed_;
    if (!open()) return false;
    if (reading_) {
        if (!seek_end(file_)) return !(failed_ = true);
        reading_ = false;
    }
    if (std::fwrite(data, 1, size, file_) != size) return !(failed_ = true);
    size_ += size;
    return true;
}

bool Spill::patch(std::uint64_t offset, const void* data, std::size_t size) {
    if (!open() || offset + size > size_) return false;
    reading_ = true; // the next write seeks back to the end
    if (!seek(file_, offset) || std::fwrite(data, 1, size, file_) != size) return !(failed_ = true);
    return true;
}

bool Spill::rewind() {
    if (failed_) return false;
    if (!file_) return true;
    reading_ = true;
    if (std::fflush(file_) != 0 || !seek(file_, 0)) return !(failed_ = true);
    return true;
}

std::size_t Spill::read(void* data, std::size_t size) {
    if (!file_ || failed_) return 0;
    return std::fread(data, 1, size, file_);
}

Output::Output(std::string_view cp949_path) : path_(cp949_path), temp_(std::string(cp949_path) + ".~tmp") {
    if (!path_.empty()) file_ = open_file(temp_, XL_MODE("w+b"));
    if (file_) std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
}

Output::~Output() {
    if (file_) {
        std::fclose(file_);
        remove_file(temp_);
    }
}

void Output::write(const void* data, std::size_t size) {
    if (!ok() || size == 0) return;
    if (std::fwrite(data, 1, size, file_) != size) failed_ = true;
    pos_ += size;
}

void Output::write(Spill& spill) {
    if (!spill.rewind()) {
        failed_ = true;
        return;
    }
    char buf[1 << 16];
    std::uint64_t left = spill.size();
    while (left > 0 && ok()) {
        const std::size_t n = spill.read(buf, left < sizeof buf ? static_cast<std::size_t>(left) : sizeof buf);
        if (n == 0) {
            failed_ = true;
            break;
        }
        write(buf, n);
        left -= n;
    }
}

void Output::patch(std::uint64_t offset, const void* data, std::size_t size) {
    if (!ok()) return;
    if (!seek(file_, offset) || std::fwrite(data, 1, size, file_) != size || !seek(file_, pos_)) failed_ = true;
}

bool Output::commit() {
    if (!file_) return false;
    const bool written = !failed_ && std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (written && closed && replace_file(temp_, path_)) return true;
    remove_file(temp_);
    return false;
}

} // namespace xl
