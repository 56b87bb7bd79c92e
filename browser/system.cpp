// The exports that answer questions about the machine and about a text: Windows and browser versions,
// administrator rights, the tick count, and the byte classes of a double-byte text.
#include "browser/Brovana.h"

#include <windows.h>

#include <cstring>

namespace {

// The browser version text that IEVersion hands out; overwritten by each call.
char browserVersion[128];

BYTE VersionCode(DWORD major, DWORD minor) {
    if (major == 5) {
        static const BYTE codes[] = {1, 2, 3};
        return minor < 3 ? codes[minor] : 0;
    }
    if (major == 6) {
        static const BYTE codes[] = {4, 5, 6, 7};
        return minor < 4 ? codes[minor] : 8;
    }
    return 9;
}

// The version that Windows reports to this process, which for a program without a compatibility declaration may
// be older than the system's own; 255 when it cannot be read.
BYTE GetWindowsVersionCode() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    auto* plain = reinterpret_cast<OSVERSIONINFOW*>(&info);
    if (!GetVersionExW(plain)) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(plain)) return 255;
    }
    return VersionCode(info.dwMajorVersion, info.dwMinorVersion);
}

// The registry's version text (digits and dots), each unit cut to its low byte. A value of more than 63
// characters, or one that is not a text, gives its first 63 units or the empty text: the read allows 128 bytes
// and a value that does not fit is not read at all.
const char* GetBrowserVersion() {
    std::memset(browserVersion, 0, sizeof browserVersion);
    HKEY key = nullptr;
    if (RegOpenKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", &key) != ERROR_SUCCESS)
        return browserVersion;
    wchar_t value[128] = {};
    DWORD bytes = 128;
    DWORD type = 0;
    if (RegQueryValueExW(key, L"Version", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        for (int i = 0; i < 63 && value[i]; ++i)
            browserVersion[i] = static_cast<char>(value[i] & 0xFF);
    }
    RegCloseKey(key);
    return browserVersion;
}

} // namespace

extern "C" {

BYTE __stdcall WinVersion() {
    return GetWindowsVersionCode();
}

const char* __stdcall IEVersion() {
    return GetBrowserVersion();
}

// The shell's own administrator test, which it exports by number only.
BOOL __stdcall IsUserAdmin() {
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    if (!shell) return FALSE;
    using Test = BOOL(WINAPI*)();
    auto test = reinterpret_cast<Test>(reinterpret_cast<void (*)()>(GetProcAddress(shell, MAKEINTRESOURCEA(680))));
    BOOL admin = test ? test() : FALSE;
    FreeLibrary(shell);
    return admin;
}

DWORD __stdcall GetTickCounts() {
    return GetTickCount();
}

// 0 for a single-byte character, 1 for the first byte of a pair, 2 for its second byte, -1 past the text. A byte
// after a first byte is a second byte whatever its value.
int __stdcall Check_HangeulCode(const char* text, int position) {
    if (!text || !*text || position < 0) return -1;
    int kind = 0;
    for (int i = 0;; ++i) {
        kind = kind == 1 ? 2 : (static_cast<unsigned char>(text[i]) >= 0x80 ? 1 : 0);
        if (i == position) return kind;
        if (text[i + 1] == '\0') return -1;
    }
}
}
