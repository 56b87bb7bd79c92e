// Shared pieces of the start-up tests: a fresh working folder per test and files in it.
#pragma once

#include "runtime/ini.h"
#include "tests/ui/support.h"

#include <windows.h>

#include <cwchar>
#include <fstream>
#include <string>

namespace startup_test {

using uitest::K;
using uitest::u8;

// Makes an empty folder under the temporary folder and makes it current; the old current folder comes back.
// The program spells its folder by the short name. Under Wine a long name's short name comes from a small hash, so
// another folder in the temporary folder (another test's, or one left by a killed program) can share it, and the
// short spelling then leads into that folder. The work folder therefore lies in a folder of this process whose
// name is already short.
class WorkFolder {
public:
    explicit WorkFolder(const std::wstring& name) {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        wchar_t own[16];
        swprintf(own, 16, L"vq%lx", GetCurrentProcessId());
        base_ = std::wstring(tmp) + own;
        CreateDirectoryW(base_.c_str(), nullptr);
        path_ = base_ + L"\\" + name;
        remove_tree(path_);
        CreateDirectoryW(path_.c_str(), nullptr);
        GetCurrentDirectoryW(MAX_PATH, old_);
        SetCurrentDirectoryW(path_.c_str());
    }
    ~WorkFolder() {
        SetCurrentDirectoryW(old_);
        remove_tree(path_);
        RemoveDirectoryW(base_.c_str()); // when no other work folder of this process is in it
    }
    const std::wstring& path() const { return path_; }
    std::string cp949() const { return rt::narrow(path_); }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

    static void remove_tree(const std::wstring& dir) {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring n = fd.cFileName;
                if (n == L"." || n == L"..") continue;
                const std::wstring p = dir + L"\\" + n;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    remove_tree(p);
                else
                    DeleteFileW(p.c_str());
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(dir.c_str());
    }

private:
    std::wstring base_, path_;
    wchar_t old_[MAX_PATH]{};
};

inline bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline void write_file(const std::wstring& path, const std::string& bytes) {
    std::ofstream f(path.c_str(), std::ios::binary);
    f << bytes;
}

inline std::string read_file(const std::wstring& path) {
    std::ifstream f(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The Office identifiers in the settings, so that the start shows no message about them.
inline void write_office_ids() {
    rt::put_ini("Velquin", "Word ID", "Word.Document.8", ".\\Velquin.INI");
    rt::put_ini("Velquin", "Excel ID", "Excel.Sheet.8", ".\\Velquin.INI");
    rt::put_ini("Velquin", "PowerPoint ID", "PowerPoint.Show.8", ".\\Velquin.INI");
}

} // namespace startup_test
