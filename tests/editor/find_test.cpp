// The find and replace dialogs: each on a thread of its own, working on the editor and telling its thread once,
// when it ends, whether it found anything.
#include "form.h"

#include <functional>
#include <vector>

using namespace edtest;
using uitest::u8;

namespace {

enum class Dlg { STEXT = 1, RTEXT, WHOLEWORD, DOWN, TOTOP, TOEND, MATCHCASE, FIND, REPLACE, REPLACEALL, CANCEL };

using Step = std::function<void(rt::Window&)>;

// Runs a dialog of the form's editor with the driver taking one step each time the dialog waits for the user.
struct Script {
    uitest::ScriptDriver driver;
    std::vector<Step> steps;
    size_t done = 0;
    std::vector<std::string> titles; // the window each step saw
    std::vector<DWORD> threads;      // the thread of that window

    bool run(Form& f, bool replacing, bool by_toolbar = false) {
        driver.on_idle = [this](rt::Window& w) {
            if (done >= steps.size()) throw std::runtime_error("the dialog stayed open after its last step");
            titles.push_back(w.title());
            threads.push_back(GetWindowThreadProcessId(w.hwnd(), nullptr));
            steps[done++](w);
        };
        uitest::DriverScope scope(driver);
        if (!by_toolbar) return replacing ? f.ed.FINDANDREPLACEDLG() : f.ed.FINDDLG();
        f.click(replacing ? Ctl::FINDANDREPLACE : Ctl::FIND);
        return false;
    }
};

CHARRANGE selection(HWND edit) {
    CHARRANGE r{};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

Step press(Dlg c) {
    return [c](rt::Window& w) { w.post(rt::EventKind::accepted, c); };
}

bool result_waiting() {
    MSG m;
    return PeekMessageW(&m, nullptr, WM_APP + rt::rtf_not_found, WM_APP + rt::rtf_found, PM_NOREMOVE) != 0;
}

TEST(FindDialog, StartsFromTheSelectionRunsOnItsOwnThreadAndReportsFoundAfterALaterFailure) {
    Form f;
    f.set_body(L"abc 가나 abc");
    f.select(4, 6); // 가나
    Script s;
    CHARRANGE first{}, second{};
    std::string start_text;
    bool form_served = false, form_enabled = false;
    s.steps = {
        [&](rt::Window& w) {
            start_text = w.text(Dlg::STEXT);
            DWORD_PTR r = 0;
            form_served = SendMessageTimeoutW(f.w.hwnd(), WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &r) != 0;
            form_enabled = IsWindowEnabled(f.w.hwnd()) != FALSE;
            w.set_text(Dlg::STEXT, "abc");
            w.post(rt::EventKind::accepted, Dlg::FIND);
        },
        [&](rt::Window& w) {
            first = selection(f.edit());
            w.post(rt::EventKind::accepted, Dlg::FIND);
        },
        [&](rt::Window& w) {
            second = selection(f.edit());
            w.post(rt::EventKind::accepted, Dlg::CANCEL);
        },
    };
    s.driver.message_answers = {rt::button::ok};
    EXPECT_TRUE(s.run(f, false));
    EXPECT_FALSE(result_waiting()) << "the dialog reported more than once";
    EXPECT_EQ(u8(start_text), "가나");
    ASSERT_EQ(s.titles.size(), 3u);
    EXPECT_EQ(u8(s.titles[0]), "검색");
    EXPECT_NE(s.threads[0], GetCurrentThreadId());
    EXPECT_TRUE(form_served) << "the form's thread did not serve its window while the dialog was open";
    EXPECT_TRUE(form_enabled);
    EXPECT_EQ(first.cpMin, 7);
    EXPECT_EQ(first.cpMax, 10);
    EXPECT_EQ(second.cpMin, 7) << "a failed search keeps the selection";
    ASSERT_EQ(s.driver.messages.size(), 1u);
    EXPECT_EQ(u8(s.driver.messages[0].text), "\"abc\" 문자가 더이상 없습니다.");
    EXPECT_EQ(u8(s.driver.messages[0].caption), "검색");
    EXPECT_EQ(s.driver.messages[0].icon, rt::Icon::exclamation);
    EXPECT_EQ(s.driver.beeps, 1);
    EXPECT_EQ(f.ed.last_search(), "abc");
}

TEST(FindDialog, DirectionCaseAndWholeWordOptions) {
    struct Case {
        const char* name;
        bool up, match_case, whole_word;
        long from;  // caret
        long found; // where the match starts; -1 not found
    };
    // "cat Cat concat cat": 0 cat, 4 Cat, 11 (con)cat, 15 cat
    const Case cases[] = {
        {"down", false, false, false, 1, 4},         {"up", true, false, false, 14, 11},
        {"down, case", false, true, false, 1, 11},   {"down, word", false, false, true, 5, 15},
        {"up, case, word", true, true, true, 14, 0}, {"up from the start", true, false, false, 0, -1},
    };
    Form f;
    f.set_body(L"cat Cat concat cat");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.select(c.from, c.from);
        Script s;
        CHARRANGE got{};
        s.steps = {
            [&](rt::Window& w) {
                w.set_text(Dlg::STEXT, "cat");
                w.set_value(Dlg::DOWN, c.up ? "0" : "1");
                w.set_checked(Dlg::MATCHCASE, c.match_case);
                w.set_checked(Dlg::WHOLEWORD, c.whole_word);
                w.post(rt::EventKind::accepted, Dlg::FIND);
            },
            [&](rt::Window& w) {
                got = selection(f.edit());
                w.post(rt::EventKind::close_window);
            },
        };
        if (c.found < 0) s.driver.message_answers = {rt::button::ok};
        EXPECT_EQ(s.run(f, false), c.found >= 0);
        if (c.found >= 0) {
            EXPECT_EQ(got.cpMin, c.found);
        }
        EXPECT_EQ(s.driver.messages.size(), c.found < 0 ? 1u : 0u);
    }
}

TEST(ReplaceDialog, ReplaceWithoutFindReplacesOneMoreEachPressThenTellsNothingIsLeft) {
    Form f;
    f.set_body(L"foo bar foo bar foo");
    f.select(0, 0);
    Script s;
    std::vector<std::wstring> bodies;
    auto replace_and_look = [&](rt::Window& w) {
        bodies.push_back(f.body());
        w.post(rt::EventKind::accepted, Dlg::REPLACE);
    };
    s.steps = {
        [&](rt::Window& w) {
            w.set_text(Dlg::STEXT, "foo");
            w.set_text(Dlg::RTEXT, K(u"바"));
            w.post(rt::EventKind::accepted, Dlg::REPLACE);
        },
        replace_and_look,
        replace_and_look,
        replace_and_look,
        [&](rt::Window& w) {
            bodies.push_back(f.body());
            w.post(rt::EventKind::accepted, Dlg::CANCEL);
        },
    };
    s.driver.message_answers = {rt::button::ok};
    EXPECT_FALSE(s.run(f, true)) << "the last press found nothing, so nothing is left found";
    const std::vector<std::wstring> want = {L"바 bar foo bar foo", L"바 bar 바 bar foo", L"바 bar 바 bar 바",
                                            L"바 bar 바 bar 바"};
    EXPECT_EQ(bodies, want);
    EXPECT_EQ(s.driver.messages.size(), 1u);
    // Undo takes the replacements back one by one.
    f.click(Ctl::UNDO);
    EXPECT_EQ(f.body(), L"바 bar 바 bar foo");
    EXPECT_EQ(f.ed.last_replace(), K(u"바"));
}

bool bold(HWND edit, long from, long to) {
    CHARRANGE r{from, to};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return (cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD);
}

TEST(ReplaceDialog, ReplaceAllIsOneUndoStepThatKeepsFormatsAndAReplaceAfterItReplacesNothing) {
    Form f;
    f.set_body(L"foo 가나 foofoo");
    f.select(4, 6);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BOLD;
    cf.dwEffects = CFE_BOLD;
    SendMessageW(f.edit(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    SendMessageW(f.edit(), EM_EMPTYUNDOBUFFER, 0, 0);
    f.select(0, 0);
    Script s;
    std::wstring after_all, after_replace;
    std::string start_replacement;
    s.steps = {
        [&](rt::Window& w) {
            start_replacement = w.text(Dlg::RTEXT);
            w.set_text(Dlg::STEXT, "foo");
            w.set_text(Dlg::RTEXT, "o");
            w.post(rt::EventKind::accepted, Dlg::FIND);
        },
        press(Dlg::REPLACEALL),
        [&](rt::Window& w) {
            after_all = f.body();
            w.post(rt::EventKind::accepted, Dlg::REPLACE);
        },
        [&](rt::Window& w) {
            after_replace = f.body();
            PostMessageW(w.hwnd(), WM_CLOSE, 0, 0); // the close box
        },
    };
    EXPECT_FALSE(s.run(f, true)) << "found was used up by the replace after replace-all";
    EXPECT_FALSE(result_waiting()) << "the dialog reported more than once";
    EXPECT_EQ(after_all, L"o 가나 oo");
    EXPECT_EQ(after_replace, L"o 가나 oo");
    EXPECT_EQ(start_replacement, "");
    EXPECT_TRUE(bold(f.edit(), 2, 4) && !bold(f.edit(), 0, 1) && !bold(f.edit(), 5, 7)) << "formats moved";
    // One undo takes the whole replace-all back, and one redo does it again.
    f.click(Ctl::UNDO);
    EXPECT_EQ(f.body(), L"foo 가나 foofoo");
    EXPECT_TRUE(bold(f.edit(), 4, 6) && !bold(f.edit(), 0, 3) && !bold(f.edit(), 7, 13));
    EXPECT_FALSE(f.w.enabled(Ctl::UNDO)) << "the replace-all took more than one undo step";
    f.click(Ctl::REDO);
    EXPECT_EQ(f.body(), L"o 가나 oo");
    f.click(Ctl::UNDO);

    // Opened again with nothing selected: the last search and replacement texts; closed after a success.
    f.select(0, 0);
    Script again;
    std::string search, replacement;
    again.steps = {
        [&](rt::Window& w) {
            search = w.text(Dlg::STEXT);
            replacement = w.text(Dlg::RTEXT);
            w.set_text(Dlg::STEXT, "oo");
            w.post(rt::EventKind::accepted, Dlg::FIND);
        },
        [&](rt::Window& w) { PostMessageW(w.hwnd(), WM_CLOSE, 0, 0); },
    };
    EXPECT_TRUE(again.run(f, true));
    EXPECT_FALSE(result_waiting());
    EXPECT_EQ(search, "foo");
    EXPECT_EQ(replacement, "o");
    ASSERT_FALSE(again.titles.empty());
    EXPECT_EQ(u8(again.titles[0]), "찾아 바꾸기");
}

// A replacement that holds the search text shows a second replace-all: "cat" -> "cats" would make "catss".
TEST(ReplaceDialog, AReplaceAfterReplaceAllAfterAFindReplacesNothingMore) {
    Form f;
    f.set_body(L"cat cat");
    f.select(0, 0);
    Script s;
    std::wstring after_all, after_replace;
    s.steps = {
        [&](rt::Window& w) {
            w.set_text(Dlg::STEXT, "cat");
            w.set_text(Dlg::RTEXT, "cats");
            w.post(rt::EventKind::accepted, Dlg::FIND);
        },
        press(Dlg::REPLACEALL),
        [&](rt::Window& w) {
            after_all = f.body();
            w.post(rt::EventKind::accepted, Dlg::REPLACE);
        },
        [&](rt::Window& w) {
            after_replace = f.body();
            w.post(rt::EventKind::accepted, Dlg::CANCEL);
        },
    };
    EXPECT_FALSE(s.run(f, true)) << "found was used up by the replace after replace-all";
    EXPECT_EQ(after_all, L"cats cats");
    EXPECT_EQ(after_replace, L"cats cats");
    // The editor replaces one occurrence when asked for one, even with the every-occurrence bit set too.
    EXPECT_EQ(f.ed.replace("cat", "dog", rt::rtf_find::replace_one + rt::rtf_find::replace_all, 5), 5);
    EXPECT_EQ(f.body(), L"cats dogs");
}

TEST(FindDialog, TheToolbarButtonOpensItAndKillClosesAnOpenDialogFirst) {
    Form f;
    f.set_body(L"xyz");
    f.select(0, 3);
    Script s;
    HWND dialog = nullptr;
    s.steps = {[&](rt::Window& w) {
        dialog = w.hwnd();
        // The form ends while the dialog is open: its end closes the dialog before the editor goes.
        PostMessageW(f.w.hwnd(), WM_APP + 1, 0, 0);
    }};
    // The form's thread runs the end from inside the editor's wait, as a message of the form's window.
    struct Ender {
        rt::RTFCONTROLCLASS* ed;
        HWND* dialog;
        bool gone_when_killed = false;
        static LRESULT CALLBACK proc(HWND h, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
            if (m != WM_APP + 1) return DefSubclassProc(h, m, wp, lp);
            auto* self = reinterpret_cast<Ender*>(data);
            self->ed->KILL();
            self->gone_when_killed = !IsWindow(*self->dialog);
            return 0;
        }
    } ender{&f.ed, &dialog};
    SetWindowSubclass(f.w.hwnd(), Ender::proc, 1, reinterpret_cast<DWORD_PTR>(&ender));
    s.run(f, false, true);
    RemoveWindowSubclass(f.w.hwnd(), Ender::proc, 1);
    EXPECT_EQ(s.titles.size(), 1u);
    EXPECT_TRUE(ender.gone_when_killed) << "the dialog outlived the editor's end";
    EXPECT_EQ(f.ed.handle(), nullptr);
}

} // namespace
