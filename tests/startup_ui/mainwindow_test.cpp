// The road from start to the main window and back: the library made on a first start, what is written at the
// end, the Esc question, the drag setting, and a second copy of the real program.
#include "common.h"

#include "organizer/browseoffice.h"
#include "organizer/office.h"
#include "organizer/startup.h"
#include "runtime/clock.h"

#include <string>

using namespace startup_test;
using namespace velquin;

namespace {

// Runs the main procedure once with the driver; on_idle acts when the window waits.
std::string run_main(uitest::ScriptDriver& d) {
    uitest::DriverScope scope(d);
    std::string halted;
    try {
        main_module_start();
        _main();
    } catch (const rt::Halted& h) {
        halted = h.text;
    }
    ENDUNIQUE();
    main_module_end();
    return halted;
}

// Closes the window the first time it waits, after looking at it.
void close_when_idle(uitest::ScriptDriver& d, std::function<void(rt::Window&)> look = {}) {
    d.on_idle = [look, done = false](rt::Window& w) mutable {
        if (done) return;
        done = true;
        if (look) look(w);
        w.post(rt::EventKind::close_window);
    };
}

struct LibraryContents {
    std::int32_t records = 0;
    std::vector<std::string> by_date; // titles in the edit-date order
};

LibraryContents contents(const std::string& path) {
    LibraryContents c;
    OINI.DB = path;
    EXPECT_EQ(OFFICE.open().code(), 0) << rt::error_text();
    c.records = OFFICE.records();
    EXPECT_EQ(OFFICE.set(OFC_RECORD::DATE_KEY).code(), 0);
    for (rt::Status st = OFFICE.next(); st; st = OFFICE.next()) c.by_date.push_back(OFC.SUBJ.clip());
    OFFICE.close();
    return c;
}

std::string ini(const char* section, const char* key) {
    return rt::get_ini(section, key, "<missing>", ".\\Velquin.INI");
}

struct Found {
    DWORD pid;
    HWND box = nullptr;
};

BOOL CALLBACK find_box_of_process(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == f->pid && IsWindowVisible(h) && uitest::class_of(h) == L"#32770") {
        f->box = h;
        return FALSE;
    }
    return TRUE;
}

} // namespace

TEST(MainWindow, FirstStartMakesTheLibraryWithPlaceholderAndNotice) {
    WorkFolder dir(L"first");
    write_office_ids();
    uitest::ScriptDriver d;
    std::string title;
    bool list_hidden = false, banner_shown = false;
    close_when_idle(d, [&](rt::Window& w) {
        title = w.title();
        list_hidden = !w.visible(Ctl::LIST2);
        banner_shown = w.visible(Ctl::GROUP1);
    });
    EXPECT_EQ(run_main(d), "");
    EXPECT_TRUE(d.messages.empty());

    const std::string library = current_folder_short() + "\\myOFFICE.VL1";
    EXPECT_EQ(title, "Velquin - " + library);
    EXPECT_TRUE(list_hidden);
    EXPECT_TRUE(banner_shown);
    EXPECT_EQ(ini("Velquin", "DefaultDB"), library);
    EXPECT_EQ(library_root(library), current_folder_short() + "\\myOFFICE");

    LibraryContents c = contents(library);
    EXPECT_EQ(c.records, 2) << "a blank placeholder and the notice";
    ASSERT_EQ(c.by_date.size(), 1u) << "the placeholder is in no key";
    EXPECT_EQ(u8(c.by_date[0]), u8(K(u"공지사항")));

    // Opened again it gains nothing.
    uitest::ScriptDriver again;
    close_when_idle(again);
    EXPECT_EQ(run_main(again), "");
    EXPECT_EQ(contents(library).records, 2);
}

TEST(MainWindow, MissingOfficeIdentifiersAreToldAndNotWritten) {
    WorkFolder dir(L"ids");
    uitest::ScriptDriver d;
    d.message_answers = {1};
    close_when_idle(d);
    EXPECT_EQ(run_main(d), "");
    ASSERT_EQ(d.messages.size(), 1u);
    EXPECT_EQ(d.messages[0].caption, "");
    EXPECT_EQ(d.messages[0].icon, rt::Icon::none);
    EXPECT_EQ(d.beeps, 1);
    EXPECT_EQ(OINI.PPTID.clip(), "PowerPoint.Show.8");
    EXPECT_EQ(ini("Velquin", "PowerPoint ID"), "<missing>");
}

TEST(MainWindow, DefaultDBInAFolderWithADot) {
    WorkFolder dir(L"dot");
    write_office_ids();
    CreateDirectoryW(dir.file(L"old.files").c_str(), nullptr);
    const std::string library = dir.cp949() + "\\old.files\\" + K(u"내 문서.VL1");
    rt::put_ini("Velquin", "DefaultDB", library, ".\\Velquin.INI");
    uitest::ScriptDriver d;
    close_when_idle(d);
    EXPECT_EQ(run_main(d), "");
    EXPECT_TRUE(exists(dir.file(L"old.files\\내 문서.VL1")));
    EXPECT_EQ(u8(rt::clip(GLO.DBPATH.view())), u8(dir.cp949() + "\\old.files\\" + K(u"내 문서")))
        << "the folder's dot stays";
    EXPECT_EQ(u8(ini("Velquin", "DefaultDB")), u8(library)) << "the Korean path comes back byte for byte";
}

TEST(MainWindow, EscAskedBothWays) {
    WorkFolder dir(L"esc");
    write_office_ids();
    uitest::ScriptDriver d;
    d.message_answers = {2, 1}; // "아니" first: the window stays; then "넵"
    int step = 0;
    bool open_after_no = false;
    d.on_idle = [&](rt::Window& w) {
        if (step == 0) {
            w.post(rt::EventKind::alert_key, 0, rt::key::esc);
        } else if (step == 1) {
            open_after_no = !w.closed();
            w.post(rt::EventKind::alert_key, 0, rt::key::esc);
        }
        ++step;
    };
    EXPECT_EQ(run_main(d), "");
    ASSERT_EQ(d.messages.size(), 2u);
    EXPECT_TRUE(open_after_no);
    const rt::MessageRequest& q = d.messages[0];
    EXPECT_EQ(u8(q.text), u8(K(u"프로그램을 종료할까요?")));
    EXPECT_EQ(u8(q.caption), u8(K(u"확인")));
    EXPECT_EQ(q.icon, rt::Icon::information);
    ASSERT_EQ(q.labels.size(), 2u);
    EXPECT_EQ(u8(q.labels[0]), u8(K(u"넵")));
    EXPECT_EQ(q.default_button, 2);
    EXPECT_TRUE(q.system_modal);
    EXPECT_EQ(ini("MainWindow", "Maximize"), "No") << "a confirmed Esc closes as the close button does";
}

TEST(MainWindow, CloseButtonEndsTheLoopAndKeepsAnotherLibraryOpened) {
    WorkFolder dir(L"close");
    write_office_ids();
    rt::put_ini("Velquin", "DefaultDB", dir.cp949() + "\\other.VL1", ".\\Velquin.INI");
    uitest::ScriptDriver d;
    d.on_idle = [](rt::Window& w) { w.post(rt::EventKind::accepted, Ctl::CLOSE); };
    EXPECT_EQ(run_main(d), "");
    EXPECT_EQ(ini("Velquin", "DefaultDB"), dir.cp949() + "\\other.VL1");
    EXPECT_TRUE(exists(dir.file(L"other.VL1")));
    EXPECT_FALSE(exists(dir.file(L"myOFFICE.VL1")));
}

// A DefaultDB that cannot be reached, in a folder that is gone or too long for the settings, names itself and
// gives way to the default library; nothing is made where it pointed. (One that exists but is no
// library still halts: see the drag test.)
TEST(MainWindow, AnUnreachableDefaultDBGivesWayToTheDefaultLibrary) {
    WorkFolder dir(L"gone");
    write_office_ids();
    const std::string gone = dir.cp949() + "\\" + K(u"지운 폴더") + "\\my.VL1";
    const std::string too_long = dir.cp949() + "\\" + std::string(100, 'x') + ".VL1";
    const std::string fallback = current_folder_short() + "\\myOFFICE.VL1";
    const std::string then = "|기본 DB " + u8(fallback) + " 로 시작합니다.";
    const std::pair<std::string, std::string> cases[] = {
        {gone, "DB 파일의 폴더를 찾을 수 없습니다: " + u8(gone) + then +
                   " 폴더가 다시 생기면 DB 파일 열기로 열 수 있습니다."},
        {too_long, "설정의 DB 파일 경로가 100바이트보다 길어 열 수 없습니다: " + u8(too_long) + then},
    };
    for (const auto& [stored, text] : cases) {
        rt::put_ini("Velquin", "DefaultDB", stored, ".\\Velquin.INI");
        uitest::ScriptDriver d;
        d.message_answers = {1};
        std::string title;
        close_when_idle(d, [&](rt::Window& w) { title = w.title(); });
        EXPECT_EQ(u8(run_main(d)), "");
        ASSERT_EQ(d.messages.size(), 1u);
        EXPECT_EQ(u8(d.messages[0].text), text);
        EXPECT_EQ(u8(title), u8("Velquin - " + fallback));
        EXPECT_EQ(u8(ini("Velquin", "DefaultDB")), u8(fallback));
    }
    EXPECT_TRUE(exists(dir.file(L"myOFFICE.VL1")));
    EXPECT_FALSE(exists(dir.file(L"지운 폴더")));
    EXPECT_FALSE(exists(rt::wide(too_long)));
}

TEST(MainWindow, FullWindowDragIsOffWhileRunningAndRestoredAfterEndAndHalt) {
    WorkFolder dir(L"drag");
    write_office_ids();
    // The prefix's setting as it was comes back whatever the test finds.
    struct Restore {
        long was = full_window_drag();
        ~Restore() { set_full_window_drag(was); }
    } restore;
    set_full_window_drag(1);
    {
        uitest::ScriptDriver d;
        long during = -1;
        close_when_idle(d, [&](rt::Window&) { during = full_window_drag(); });
        EXPECT_EQ(run_main(d), "");
        EXPECT_EQ(during, 0);
        EXPECT_EQ(full_window_drag(), 1);
    }
    {
        // A library that is no library: the program halts before its window opens.
        write_file(dir.file(L"bad.VL1"), "not a library");
        rt::put_ini("Velquin", "DefaultDB", "bad.VL1", ".\\Velquin.INI");
        uitest::ScriptDriver d;
        d.message_answers = {1};
        EXPECT_EQ(u8(run_main(d)), u8(K(u"잘못된 데이터 파일입니다.!")));
        EXPECT_EQ(full_window_drag(), 1) << "restored on the halt too";
    }
    set_full_window_drag(0);
    {
        uitest::ScriptDriver d;
        long during = -1;
        rt::put_ini("Velquin", "DefaultDB", "good.VL1", ".\\Velquin.INI");
        close_when_idle(d, [&](rt::Window&) { during = full_window_drag(); });
        EXPECT_EQ(run_main(d), "");
        EXPECT_EQ(during, 0);
        EXPECT_EQ(full_window_drag(), 0) << "off at start: left alone";
    }
}

// Two real copies of the program: the second says so and ends without touching the library or the settings.
TEST(SecondCopy, EndsAfterItsMessage) {
    WorkFolder dir(L"two");
    write_office_ids();
    const std::string before_ini = read_file(dir.file(L"Velquin.INI"));

    std::string exe = VELQUIN_EXE;
    std::wstring wexe = L"Z:" + rt::wide(exe);
    for (wchar_t& c : wexe)
        if (c == L'/') c = L'\\';

    auto start = [&](PROCESS_INFORMATION& pi) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring cmd = L"\"" + wexe + L"\"";
        return CreateProcessW(wexe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.path().c_str(), &si,
                              &pi) != 0;
    };
    // A loaded machine may take many seconds to start a Wine program: the waits end as soon as what they wait for
    // happens, and fail only after a minute.
    const DWORD patience = 60000;
    auto wait_for = [](auto found, DWORD ms) {
        for (DWORD t = GetTickCount(); GetTickCount() - t < ms; Sleep(50))
            if (found()) return true;
        return false;
    };

    PROCESS_INFORMATION first{};
    ASSERT_TRUE(start(first));
    HWND main = nullptr;
    const std::wstring title = L"Velquin - " + rt::wide(current_folder_short()) + L"\\myOFFICE.VL1";
    ASSERT_TRUE(wait_for([&] { return (main = FindWindowW(nullptr, title.c_str())) != nullptr; }, patience))
        << "the first copy shows its main window";
    // The set-up routine adds the notice right after the title shows: wait until it is in the library.
    OINI.DB = dir.cp949() + "\\myOFFICE.VL1";
    ASSERT_TRUE(wait_for(
        [] {
            std::int32_t n = 0;
            if (OFFICE.open()) n = OFFICE.records();
            OFFICE.close();
            return n == 2;
        },
        patience))
        << "the first copy adds the notice";
    const std::string library_before = read_file(dir.file(L"myOFFICE.VL1"));

    PROCESS_INFORMATION second{};
    ASSERT_TRUE(start(second));
    Found f{second.dwProcessId};
    auto find_box = [&] {
        EnumWindows(find_box_of_process, reinterpret_cast<LPARAM>(&f));
        return f.box != nullptr;
    };
    ASSERT_TRUE(wait_for(find_box, patience)) << "the second copy shows its message";
    std::wstring text;
    for (HWND c = GetWindow(f.box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (uitest::class_of(c) == L"Static" && uitest::text_of(c).size() > text.size()) text = uitest::text_of(c);
    EXPECT_EQ(u8(text), u8(K(u"이미 실행중입니다.")));
    PostMessageW(f.box, WM_COMMAND, IDOK, 0);
    ASSERT_EQ(WaitForSingleObject(second.hProcess, patience), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(second.hProcess, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(read_file(dir.file(L"Velquin.INI")) == before_ini) << "the second copy wrote nothing";
    EXPECT_TRUE(read_file(dir.file(L"myOFFICE.VL1")) == library_before) << "nor touched the library";

    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(first.hProcess, patience), WAIT_OBJECT_0);
    EXPECT_TRUE(read_file(dir.file(L"Velquin.INI")) != before_ini) << "the first copy writes at its end";
    for (auto* pi : {&first, &second}) {
        CloseHandle(pi->hThread);
        CloseHandle(pi->hProcess);
    }
}
