// INI files through the profile-string functions, with explicit CP949 conversion.
#ifdef _WIN32

#include "runtime/ini.h"

#include "runtime/text.h"
#include "runtime/win32.h"

#include <windows.h>

#include <cstdlib>

namespace rt {

namespace {

// The file's full path from the current folder: the profile functions would look for a bare name in the Windows
// folder.
std::wstring full_path(std::string_view file) {
    const std::wstring w = wide(file);
    DWORD n = GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
    if (n == 0) return w;
    std::wstring out(n, L'\0');
    n = GetFullPathNameW(w.c_str(), n, out.data(), nullptr);
    out.resize(n);
    return out;
}

// A new file starts with the UTF-16 byte-order mark, which makes the profile functions keep it in UTF-16.
void make_unicode_file(const std::wstring& path) {
    UniqueHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) {
        h.release(); // it exists already (or cannot be made: the write that follows reports that)
        return;
    }
    const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(h.get(), bom, sizeof bom, &written, nullptr);
}

bool lookup(std::string_view section, std::string_view key, std::string_view file, std::string& out) {
    // A default that no stored value can be tells a missing key from a stored one.
    static const wchar_t missing[] = L"\x1\x2\x3";
    const std::wstring s = wide(section), k = wide(key), path = full_path(file);
    std::wstring buf(256, L'\0');
    for (;;) {
        const DWORD n = GetPrivateProfileStringW(s.c_str(), k.c_str(), missing, buf.data(),
                                                 static_cast<DWORD>(buf.size()), path.c_str());
        if (n + 1 < buf.size()) {
            buf.resize(n);
            break;
        }
        buf.assign(buf.size() * 2, L'\0');
    }
    if (buf == missing) return false;
    out = narrow(buf);
    return true;
}

} // namespace

std::string get_ini(std::string_view section, std::string_view key, std::string_view default_value,
                    std::string_view file) {
    std::string value;
    return lookup(section, key, file, value) ? value : std::string(default_value);
}

long get_ini_number(std::string_view section, std::string_view key, long default_value, std::string_view file) {
    std::string value;
    if (!lookup(section, key, file, value)) return default_value;
    size_t i = value.find_first_not_of(" \t");
    if (i == std::string::npos) return 0;
    const bool negative = value[i] == '-';
    if (negative || value[i] == '+') ++i;
    long long n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        if (n <= 0x80000000LL) n = n * 10 + (value[i] - '0');
    if (negative) n = -n;
    if (n > 0x7FFFFFFFLL) n = 0x7FFFFFFFLL;
    if (n < -0x80000000LL) n = -0x80000000LL;
    return static_cast<long>(n);
}

namespace {

// The outcome of a profile write, its failure reported with the system's code (never 0 for a failure).
FileResult written(BOOL done, std::string_view file) {
    if (done) return {};
    const DWORD code = GetLastError();
    report_failure("WritePrivateProfileStringW", file, code);
    return {code ? code : static_cast<unsigned long>(ERROR_WRITE_FAULT)};
}

} // namespace

FileResult put_ini(std::string_view section, std::string_view key, std::string_view value, std::string_view file) {
    const std::wstring path = full_path(file);
    make_unicode_file(path);
    SetLastError(0);
    return written(
        WritePrivateProfileStringW(wide(section).c_str(), wide(key).c_str(), wide(value).c_str(), path.c_str()), file);
}

FileResult remove_ini(std::string_view section, std::string_view key, std::string_view file) {
    const std::wstring path = full_path(file);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return {}; // nothing to remove
    SetLastError(0);
    return written(WritePrivateProfileStringW(wide(section).c_str(), wide(key).c_str(), nullptr, path.c_str()), file);
}

} // namespace rt

#endif
