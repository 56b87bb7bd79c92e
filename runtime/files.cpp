// File and folder operations over the wide Win32 calls, with paths converted from CP949.
#include "runtime/files.h"

#ifdef _WIN32

#include "runtime/filename.h"
#include "runtime/text.h"
#include "runtime/win32.h"

#include <windows.h>

#include <vector>

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

namespace {

// The path made whole by the system's own rules ("..", ".", trailing dots and blanks, devices).
std::wstring whole(const std::wstring& path) {
    std::wstring out(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(out.size()), out.data(), nullptr);
        if (n == 0) return {};
        if (n < out.size()) {
            out.resize(n);
            return out;
        }
        out.resize(n);
    }
}

bool same_text(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                                        static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The part of the path below the root, when the path starts with the root and a backslash; empty otherwise.
std::wstring_view below(std::wstring_view path, std::wstring_view root) {
    if (root.empty() || path.size() <= root.size() + 1 || path[root.size()] != L'\\' ||
        !same_text(path.substr(0, root.size()), root))
        return {};
    return path.substr(root.size() + 1);
}

bool plain_names(std::wstring_view names) {
    for (std::size_t at = 0;;) {
        const std::size_t end = names.find(L'\\', at);
        if (!plain_name(narrow(names.substr(at, end == std::wstring_view::npos ? names.npos : end - at))))
            return false;
        if (end == std::wstring_view::npos) return true;
        at = end + 1;
    }
}

FileResult refused(const char* function, std::string_view path) {
    report_failure(function, path, ERROR_BAD_PATHNAME);
    return {ERROR_BAD_PATHNAME};
}

} // namespace

FolderTree::FolderTree(std::string_view root) : root_(clip(root)) {
    while (root_.size() > 1 && root_.back() == '\\') root_.pop_back();
}

bool FolderTree::holds(std::string_view path) const {
    const std::wstring spelt = wide(clip(path)), root = wide(root_);
    const std::wstring_view names = below(spelt, root);
    if (names.empty() || !plain_names(names)) return false;
    std::wstring whole_root = whole(root);
    while (!whole_root.empty() && whole_root.back() == L'\\') whole_root.pop_back();
    const std::wstring made = whole(spelt);
    const std::wstring_view whole_names = below(made, whole_root);
    return !whole_names.empty() && plain_names(whole_names);
}

FileResult FolderTree::make_folder(std::string_view path) const {
    return holds(path) ? rt::make_folder(path) : refused("CreateDirectoryW", path);
}

FileResult FolderTree::remove_file(std::string_view path) const {
    return holds(path) ? rt::remove_file(path) : refused("DeleteFileW", path);
}

FileResult FolderTree::copy_file(std::string_view source, std::string_view target) const {
    return holds(target) ? rt::copy_file(source, target) : refused("CopyFileW", target);
}

FileResult FolderTree::move(std::string_view source, std::string_view target, bool replace) const {
    if (!holds(source)) return refused("MoveFileExW", source);
    if (!holds(target)) return refused("MoveFileExW", target);
    const DWORD flags = MOVEFILE_COPY_ALLOWED | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return result(MoveFileExW(wide(clip(source)).c_str(), wide(clip(target)).c_str(), flags), "MoveFileExW", source);
}

FileResult FolderTree::remove_folder(std::string_view path, const std::function<bool(std::string_view)>& keep) const {
    if (!holds(path)) return refused("RemoveDirectoryW", path);
    const std::wstring folder = wide(clip(path));
    std::vector<std::wstring> files, folders;
    WIN32_FIND_DATAW found;
    const HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? folders : files).push_back(name);
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    FileResult failed;
    bool kept = false;
    for (const std::wstring& f : files) {
        const std::string name = narrow(f);
        if (keep && keep(name)) {
            kept = true;
            continue;
        }
        if (const FileResult r = remove_file(clip(path) + "\\" + name); !r.ok()) failed = r;
    }
    for (const std::wstring& d : folders) {
        const std::string sub = clip(path) + "\\" + narrow(d);
        if (!holds(sub)) continue;
        if (const FileResult r = result(RemoveDirectoryW(wide(sub).c_str()), "RemoveDirectoryW", sub); !r.ok())
            failed = r;
    }
    if (!failed.ok()) return failed;
    if (kept) return {};
    return result(RemoveDirectoryW(folder.c_str()), "RemoveDirectoryW", path);
}

} // namespace rt

#endif
