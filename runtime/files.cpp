// File and folder operations over the wide Win32 calls, with paths converted from CP949.
#include "runtime/files.h"

#ifdef _WIN32

#include "runtime/text.h"
#include "runtime/win32.h"

#include <windows.h>

namespace rt {

namespace {

FileResult result(BOOL done, const char* function, std::string_view argument) {
    if (done) return {};
    const DWORD code = GetLastError();
    report_failure(function, argument, code);
    return {code ? code : ERROR_GEN_FAILURE};
}

} // namespace

bool FileResult::missing() const noexcept {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

std::string FileResult::text() const {
    if (code == 0) return {};
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring w = n && buffer ? std::wstring(buffer, n) : L"error " + std::to_wstring(code);
    if (buffer) LocalFree(buffer);
    while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ')) w.pop_back();
    return narrow(w);
}

std::string join_path(std::string_view folder, std::string_view name) {
    return clip(folder) + "\\" + clip(name);
}

bool folder_exists(std::string_view path) {
    const DWORD a = GetFileAttributesW(wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool path_exists(std::string_view path) {
    return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

FileResult make_folder(std::string_view path) {
    return result(CreateDirectoryW(wide(path).c_str(), nullptr), "CreateDirectoryW", path);
}

FileResult remove_file(std::string_view path) {
    return result(DeleteFileW(wide(path).c_str()), "DeleteFileW", path);
}

std::string file_name_of(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

FileResult copy_file(std::string_view source, std::string_view target) {
    return result(CopyFileW(wide(clip(source)).c_str(), wide(clip(target)).c_str(), TRUE), "CopyFileW", source);
}

FileResult move_file(std::string_view source, std::string_view target) {
    return result(MoveFileExW(wide(clip(source)).c_str(), wide(clip(target)).c_str(), MOVEFILE_COPY_ALLOWED),
                  "MoveFileExW", source);
}

bool same_file(std::string_view a, std::string_view b) {
    auto identity = [](std::string_view path, BY_HANDLE_FILE_INFORMATION& info) {
        UniqueHandle h(CreateFileW(wide(clip(path)).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (h.get() == INVALID_HANDLE_VALUE) {
            h.release();
            return false;
        }
        return GetFileInformationByHandle(h.get(), &info) != FALSE;
    };
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    if (!identity(a, x) || !identity(b, y)) return false;
    return x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

FileResult set_current_folder(std::string_view path) {
    return result(SetCurrentDirectoryW(wide(clip(path)).c_str()), "SetCurrentDirectoryW", path);
}

} // namespace rt

#endif
