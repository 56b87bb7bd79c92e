// Each window held open while the screenshot tests photograph it (they set VELQUIN_HOLD_MS), then closed
// without a change.
#include "tests/mainwindow/support.h"

#include "organizer/newdb.h"
#include "organizer/rtftest.h"
#include "organizer/setting.h"
#include "organizer/updateclass.h"

#include <cstdlib>

namespace {

using namespace mainwindow_test;
using startup_test::WorkFolder;

// Runs the procedure on a small library with its first document in the record buffer; the text is typed into
// the entry, the window held and closed by its close box.
void photograph(const std::function<void()>& procedure, rt::Id entry = 0, std::u16string_view typed = {}) {
    WorkFolder work(L"form-screenshot");
    Library lib;
    lib.category(1, 1, u"회의 자료");
    lib.get(lib.document({.node = 1, .date = 82000, .subj = K(u"주간 회의록")}));
    OFFICE.set_blob(OFC_RECORD::NOTE, "{\\rtf1\\ansi\\ansicpg949{\\fonttbl{\\f0\\fnil\\fcharset129 Gulim;}{\\f1\\fswiss"
                                      "\\fcharset0 Calibri;}}\r\n\\viewkind4\\uc1\\pard\\f1\\lang1033 Agenda\\par\r\n"
                                      "\\f0\\lang1042\\'c8\\'b8\\'c0\\'c7\\par\r\n}\r\n");
    ASSERT_TRUE(OFFICE.put());
    GLO.HOMEPATH = work.cp949();
    uitest::ScriptDriver d;
    int idle = 0;
    d.on_idle = [&](rt::Window& w) {
        if (&w != rt::Window::top()) return;
        if (idle++ == 0) {
            if (entry.value) w.set_text(entry, K(typed));
            return;
        }
        if (const char* hold = std::getenv("VELQUIN_HOLD_MS")) uitest::pump(std::atoi(hold));
        w.post(rt::EventKind::close_window);
    };
    uitest::DriverScope scope(d);
    procedure();
    EXPECT_EQ(idle, 2);
}

TEST(Screenshot, class) {
    ACTION = 1;
    photograph([] { UPDATECLASS(1); }, classform::Ctl::OFC_SUBJ, u"새 분류");
}
TEST(Screenshot, newdb) {
    ACTION = 1;
    photograph(NEWDB, newdbform::Ctl::NEWDB, u"work2026");
}
TEST(Screenshot, setting) {
    photograph(SETTING);
}
TEST(Screenshot, rtf) {
    ACTION = 2;
    photograph(RTF_TEST);
}

} // namespace
