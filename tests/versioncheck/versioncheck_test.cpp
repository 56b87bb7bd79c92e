// The version check as the program runs it: the announced version from a local server, the program's own from
// VELQUIN.exe beside the test program (1.0.9.0, or a file without a version resource), the version window
// answered through the driver, and the download command written to a file instead of started.
#include "organizer/startup.h"
#include "organizer/versioncheck.h"
#include "tests/http_server.h"
#include "tests/ui/support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using uitest::K;
using uitest::u8;
using velquin::versioncheck::Ctl;

std::wstring own_folder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\'));
}

std::wstring environment(const wchar_t* name) {
    wchar_t buf[256];
    const DWORD n = GetEnvironmentVariableW(name, buf, 256);
    return n > 0 && n < 256 ? std::wstring(buf, n) : std::wstring();
}

void set_clipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
}

std::wstring clipboard() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return L"(clipboard not open)";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

std::wstring long_path(const std::wstring& path) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetLongPathNameW(path.c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? buf : path;
}

std::wstring short_path(const std::wstring& path) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetShortPathNameW(path.c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? buf : path;
}

const std::wstring kSentinel = L"before the check";

// What the version window showed, read when it first waited for the user.
struct Seen {
    bool shown = false;
    std::string title, string8, string2, version_prompt, version, newversion_prompt, newversion, ok, cancel;
    bool ok_icon = false, cancel_icon = false;
    std::wstring clipboard;
};

enum class Answer { ok, cancel, close };

class VersionCheck : public testing::Test {
protected:
    void SetUp() override {
        install(L"versioncheck_versioned.exe");
        page_ = server_.url("/version");
        set_clipboard(kSentinel);
    }
    void TearDown() override {
        DeleteFileW((own_folder() + L"\\VELQUIN.exe").c_str());
    }

    // Puts one of the stand-in programs beside the test program as VELQUIN.exe.
    static void install(const std::wstring& program) {
        const std::wstring dir = own_folder();
        ASSERT_TRUE(CopyFileW((dir + L"\\" + program).c_str(), (dir + L"\\VELQUIN.exe").c_str(), FALSE))
            << "copying " << u8(program) << ": error " << GetLastError();
    }

    // Runs the check against the page text, the driver answering the window (if it shows) as told.
    int check(const std::string& page, Answer answer = Answer::cancel) {
        server_.serve("/version", page);
        return run(answer);
    }

    int run(Answer answer) {
        seen_ = Seen{};
        uitest::ScriptDriver driver;
        driver.page = page_;
        // For a screenshot the window stays up for a while before it is answered.
        const int hold = _wtoi(environment(L"VELQUIN_HOLD_MS").c_str());
        if (hold > 0) driver.idle_limit = 100000;
        DWORD first_idle = 0;
        bool answered = false;
        driver.on_idle = [&](rt::Window& w) {
            if (!seen_.shown) {
                seen_.shown = true;
                first_idle = GetTickCount();
                seen_.title = w.title();
                seen_.string8 = w.text(Ctl::STRING8);
                seen_.string2 = w.text(Ctl::STRING2);
                seen_.version_prompt = w.text(Ctl::VERSION_PROMPT);
                seen_.version = w.text(Ctl::VERSION);
                seen_.newversion_prompt = w.text(Ctl::NEWVERSION_PROMPT);
                seen_.newversion = w.text(Ctl::NEWVERSION);
                seen_.ok = w.text(Ctl::OK);
                seen_.cancel = w.text(Ctl::CANCEL);
                seen_.ok_icon = SendMessageW(w.handle(Ctl::OK), BM_GETIMAGE, IMAGE_ICON, 0) != 0;
                seen_.cancel_icon = SendMessageW(w.handle(Ctl::CANCEL), BM_GETIMAGE, IMAGE_ICON, 0) != 0;
                seen_.clipboard = clipboard();
            }
            if (answered || static_cast<int>(GetTickCount() - first_idle) < hold) return;
            answered = true;
            if (answer == Answer::close)
                w.post(rt::EventKind::close_window);
            else
                w.post(rt::EventKind::accepted, answer == Answer::ok ? Ctl::OK : Ctl::CANCEL);
        };
        uitest::DriverScope scope(driver);
        const int result = velquin::VERSIONCHECK();
        started_.insert(started_.end(), driver.started.begin(), driver.started.end());
        return result;
    }

    bool launched() const { return !started_.empty(); }

    TestHttpServer server_;
    std::string page_;                  // where the version page is served
    std::vector<std::string> started_; // the programs started, over every run of the test
    Seen seen_;
};

TEST_F(VersionCheck, EqualVersionsStartSilently) {
    EXPECT_EQ(check("VQver:1.0.9.0"), 1);
    EXPECT_EQ(server_.requests("/version"), 1);
    EXPECT_FALSE(seen_.shown);
    EXPECT_EQ(u8(clipboard()), u8(kSentinel));
    EXPECT_FALSE(launched());
}

TEST_F(VersionCheck, NewerVersionShowsWindowAndOkStartsTheDownload) {
    // A start folder whose long form differs from its short one.
    uitest::TempFolder start(L"velquin 버전 확인 시작 폴더");
    uitest::CurrentFolder current(start.path());
    const std::wstring expected = long_path(start.path());
    EXPECT_NE(u8(short_path(start.path())), u8(expected)) << "the folder has no short form of its own";

    EXPECT_EQ(check("VQver:1.1.0.0", Answer::ok), 0);
    ASSERT_TRUE(seen_.shown);
    EXPECT_EQ(u8(seen_.title), u8(K(u"[버전 확인]")));
    EXPECT_EQ(u8(seen_.string8), u8(K(u"※ 현재 사용하시는 버전이 최신버전이 아닙니다.  ")));
    EXPECT_NE(seen_.string2.find(K(u"자료실")), std::string::npos) << u8(seen_.string2);
    EXPECT_EQ(u8(seen_.version_prompt), u8(K(u"현재 버전 :")));
    EXPECT_EQ(u8(seen_.newversion_prompt), u8(K(u"최신 버전 :")));
    EXPECT_EQ(seen_.version, "1.0.9.0");
    EXPECT_EQ(seen_.newversion, "1.1.0.0");
    EXPECT_EQ(u8(seen_.ok), u8(K(u"확인")));
    EXPECT_EQ(u8(seen_.cancel), u8(K(u"취소")));
    EXPECT_TRUE(seen_.ok_icon);
    EXPECT_TRUE(seen_.cancel_icon);
    // The clipboard holds the start folder's long form while the window waits.
    EXPECT_EQ(u8(seen_.clipboard), u8(expected));
    EXPECT_EQ(u8(clipboard()), u8(expected));

    ASSERT_TRUE(launched());
    EXPECT_EQ(started_.at(0), "\"c:\\program Files\\Internet Explorer\\iexplore.exe\" "
                                        "\"http://search.portal.example/search?query=%EB%B2%A8%ED%80%B8\"");
}

TEST_F(VersionCheck, CancelOrClosingTheWindowGoesOn) {
    EXPECT_EQ(check("VQver:1.1.0.0", Answer::cancel), 1);
    EXPECT_TRUE(seen_.shown);
    EXPECT_FALSE(launched());
    EXPECT_EQ(check("VQver:1.1.0.0", Answer::close), 1);
    EXPECT_TRUE(seen_.shown);
    EXPECT_FALSE(launched());
}

TEST_F(VersionCheck, OnlyANewerAnnouncementOfTheRightSizeShowsTheWindow) {
    struct Case {
        const char* what;
        std::string page;
        const char* shows; // the announced version as the window shows it; nullptr: no window
    };
    const std::vector<Case> cases = {
        {"older", "VQver:1.0.8.0", nullptr},
        {"10 over 9 in the third part", "VQver:1.0.10.0", "1.0.10.0"},
        {"newer in the last part", "VQver:1.0.9.1", "1.0.9.1"},
        {"the same with a line feed", "VQver:1.0.9.0\n", nullptr},
        {"the same with CR LF and blanks", "VQver: 1.0.9.0 \r\n", nullptr},
        {"the same, shorter", "VQver:1.0.9", nullptr},
        {"not a version", "VQver:<html>", nullptr},
        {"2 bytes", "ab", nullptr},
        {"20 bytes", "VQver:1.0.10.0      ", "1.0.10.0"},
        {"21 bytes", "VQver:1.0.10.0       ", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        set_clipboard(kSentinel);
        const int before = server_.requests("/version");
        EXPECT_EQ(check(c.page), 1);
        EXPECT_EQ(server_.requests("/version"), before + 1);
        EXPECT_EQ(seen_.shown, c.shows != nullptr);
        if (c.shows) {
            EXPECT_EQ(seen_.newversion, c.shows);
        }
        EXPECT_EQ(clipboard() == kSentinel, c.shows == nullptr) << u8(clipboard());
        EXPECT_FALSE(launched());
    }
}

TEST_F(VersionCheck, ServerDownStartsSilently) {
    page_ = TestHttpServer::refusedUrl("/version");
    EXPECT_EQ(run(Answer::ok), 1);
    EXPECT_FALSE(seen_.shown);
    EXPECT_EQ(u8(clipboard()), u8(kSentinel));
    EXPECT_FALSE(launched());
}

TEST_F(VersionCheck, ProgramWithoutVersionResourceShowsAnEmptyCurrentVersion) {
    install(L"versioncheck_unversioned.exe");
    EXPECT_EQ(check("VQver:1.0.9.0"), 1);
    ASSERT_TRUE(seen_.shown);
    EXPECT_EQ(seen_.version, "");
    EXPECT_EQ(seen_.newversion, "1.0.9.0");
}

TEST_F(VersionCheck, ProductVersionOfTheProgramBesideTheTest) {
    // Found in the program's own folder, whatever the current folder is; the product version, not the file's.
    uitest::TempFolder elsewhere(L"velquin-version-elsewhere");
    uitest::CurrentFolder current(elsewhere.path());
    EXPECT_EQ(velquin::CHECKVERSION("VELQUIN"), "1.0.9.0");
    EXPECT_EQ(velquin::CHECKVERSION("VELQUIN   "), "1.0.9.0");
    EXPECT_EQ(velquin::CHECKVERSION("versioncheck_unversioned"), "");
    EXPECT_EQ(velquin::CHECKVERSION("no such program"), "");
}

} // namespace
