// Brovana's system queries, its Korean text check and its mail hand-off, through the exports.
#include "tests/browser/brovana_library.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// A registry value set for the life of the object and put back as it was afterwards.
class RegistryValue {
public:
    RegistryValue(HKEY root, const wchar_t* path, const wchar_t* name) : name_(name) {
        RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        DWORD size = sizeof saved_;
        had_ = RegQueryValueExW(key_, name, nullptr, &type_, saved_, &size) == ERROR_SUCCESS;
        size_ = size;
    }
    ~RegistryValue() {
        if (had_)
            RegSetValueExW(key_, name_, 0, type_, saved_, size_);
        else
            RegDeleteValueW(key_, name_);
        RegCloseKey(key_);
    }
    void text(const std::wstring& value) {
        RegSetValueExW(key_, name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    void number(DWORD value) {
        RegSetValueExW(key_, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }
    void remove() { RegDeleteValueW(key_, name_); }

private:
    HKEY key_ = nullptr;
    const wchar_t* name_;
    bool had_ = false;
    DWORD type_ = 0, size_ = 0;
    BYTE saved_[4096] = {};
};

TEST(SystemExports, HangeulCodeClassesEachByte) {
    BrovanaLibrary lib;
    auto check = lib.get<int(__stdcall*)(const char*, int)>("Check_HangeulCode");
    ASSERT_EQ(check, lib.get<int(__stdcall*)(const char*, int)>(54));
    struct Case {
        const char* text;
        int position;
        int expected;
    };
    const Case cases[] = {
        {"\xB0\xA1"
         "A",
         0, 1}, // 가A
        {"\xB0\xA1"
         "A",
         1, 2},
        {"\xB0\xA1"
         "A",
         2, 0},
        {"\xB0\xA1"
         "A",
         3, -1},
        {"AB", 0, 0},
        {"AB", 1, 0},
        {"AB", 2, -1},
        {"AB", -1, -1},
        {"", 0, -1},
        {nullptr, 0, -1},
        {"\x81"
         "A",
         1, 2}, // a low second byte of the extended syllables is still a second byte
        {"\xA1", 0, 1}, // a lone lead byte
        {"\xA1", 1, -1},
        {"\xB0\xA1\xB0\xA1", 2, 1},
        {"\xB0\xA1\xB0\xA1", 3, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(check(c.text, c.position), c.expected) << (c.text ? c.text : "(null)") << " @" << c.position;
}

TEST(SystemExports, BrowserVersionFromTheRegistry) {
    BrovanaLibrary lib;
    auto version = lib.get<const char*(__stdcall*)()>(60);
    RegistryValue value(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer", L"Version");
    value.text(L"11.0.9600.18860");
    const char* answer = version();
    EXPECT_STREQ(answer, "11.0.9600.18860");
    value.remove();
    EXPECT_STREQ(version(), "");
    EXPECT_EQ(version(), answer) << "one buffer, overwritten by each call";
    value.text(std::wstring(63, L'7'));
    EXPECT_EQ(std::string(version()), std::string(63, '7'));
    value.text(std::wstring(80, L'7'));
    EXPECT_STREQ(version(), "") << "a value that does not fit is not read";
    value.number(11);
    EXPECT_STREQ(version(), "") << "not a text";
}

TEST(SystemExports, AdministratorTickCountAndWindowsVersion) {
    BrovanaLibrary lib;
    using Test = BOOL(WINAPI*)();
    HMODULE shell = LoadLibraryW(L"shell32.dll");
    auto shellTest = reinterpret_cast<Test>(reinterpret_cast<void (*)()>(GetProcAddress(shell, MAKEINTRESOURCEA(680))));
    ASSERT_NE(shellTest, nullptr);
    EXPECT_EQ(lib.get<BOOL(__stdcall*)()>("IsUserAdmin")() != 0, shellTest() != 0);
    FreeLibrary(shell);

    auto ticks = lib.get<DWORD(__stdcall*)()>(57);
    DWORD before = GetTickCount();
    DWORD got = ticks();
    EXPECT_LT(got - before, 60000u) << "not before the call, nor long after";
    // The count rises: wait for the system's tick to move on (it moves every few milliseconds).
    while (GetTickCount() == got) Sleep(0);
    EXPECT_GT(ticks() - got, 0u);
}

// The version that Wine reports to one program, set in the prefix for that program's name.
TEST(SystemExports, WindowsVersionCodes) {
    struct Case {
        const wchar_t* wineVersion;
        int expected;
    };
    // A program without a compatibility declaration sees newer systems as 6.2.
    const Case cases[] = {{L"win2k", 1}, {L"winxp", 2}, {L"win2003", 3}, {L"vista", 4},
                          {L"win7", 5},  {L"win8", 6},  {L"win81", 6},   {L"win10", 6}};
    RegistryValue setting(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\winversion_probe.exe", L"Version");
    for (const Case& c : cases) {
        setting.text(c.wineVersion);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        wchar_t command[] = L"winversion_probe.exe";
        ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        EXPECT_EQ(static_cast<int>(code), c.expected) << c.wineVersion;
    }
}

// The mail component stand-in (mailstub.dll), registered for the test and removed after it.
const wchar_t kMailClass[] = L"CLSID\\{6CDEEEA6-F41F-40C4-A4C8-30D865ACAB6D}";

void unregisterMail() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kMailClass);
}
void registerMail() {
    wchar_t path[MAX_PATH];
    GetFullPathNameW(L"mailstub.dll", MAX_PATH, path, nullptr);
    HKEY key;
    std::wstring server = std::wstring(kMailClass) + L"\\InprocServer32";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, server.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                   static_cast<DWORD>((wcslen(path) + 1) * sizeof(wchar_t)));
    const wchar_t apartment[] = L"Apartment";
    RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(apartment), sizeof apartment);
    RegCloseKey(key);
}

using MailFn = BYTE(__stdcall*)(const char*, int, int, const char*, const char*, const char*, const char*,
                                const char*, const char*, const char*, int, int);

TEST(MailExport, HandsTheTwelveValuesToTheComponent) {
    BrovanaLibrary lib;
    auto send = lib.get<MailFn>("MevMailSend");
    ASSERT_EQ(send, lib.get<MailFn>(58));
    HMODULE stub = LoadLibraryW(L"mailstub.dll");
    ASSERT_NE(stub, nullptr);
    auto answer = reinterpret_cast<void(__stdcall*)(BYTE, HRESULT)>(
        reinterpret_cast<void (*)()>(GetProcAddress(stub, "MailStubAnswer")));
    auto received = reinterpret_cast<const wchar_t*(__stdcall*)(long*, long*)>(
        reinterpret_cast<void (*)()>(GetProcAddress(stub, "MailStubReceived")));
    ASSERT_TRUE(answer && received);
    long calls = 0, live = 0;

    unregisterMail();
    EXPECT_EQ(send("a", 1, 2, "b", "c", "d", "e", "f", "g", "h", 3, 4), 0) << "no component registered";
    received(&calls, &live);
    EXPECT_EQ(calls, 0);

    registerMail();
    struct Case {
        BYTE answer;
        HRESULT result;
        BYTE expected;
    };
    for (Case c : {Case{1, S_OK, 1}, Case{0, S_OK, 2}, Case{7, S_OK, 2}, Case{1, E_FAIL, 2}}) {
        answer(c.answer, c.result);
        EXPECT_EQ(send("to", 1, 2, "a", "b", "c", "d", "e", "f", "g", 3, 4), c.expected)
            << int(c.answer) << " " << c.result;
    }
    // Texts arrive as UTF-16 of the code page 949 bytes, empty and null texts as empty strings, integers as they
    // are; the answer byte starts at 0; the component is released after the call.
    answer(1, S_OK);
    EXPECT_EQ(send("\xB9\xDE\xB4\xC2\xBB\xE7\xB6\xF7", -1, 0, "", nullptr, "\xB8\xDE\xC0\xCF", "x", "y", "z", "w",
                   -2147483647 - 1, 2147483647),
              1);
    std::wstring got = received(&calls, &live);
    EXPECT_EQ(got, L"\xBC1B\xB294\xC0AC\xB78C\n-1\n0\n\n\n\xBA54\xC77C\nx\ny\nz\nw\n-2147483648\n2147483647\n"
                   L"answer byte was 0\n");
    EXPECT_EQ(calls, 5);
    EXPECT_EQ(live, 0);
    unregisterMail();
    FreeLibrary(stub);
}

} // namespace
