// The main window's place kept in the settings file.
#include "common.h"

#include "organizer/browseoffice.h"
#include "organizer/standard.h"

using namespace startup_test;
using namespace velquin;

namespace {

std::string ini(const char* key) {
    return rt::get_ini("MainWindow", key, "<missing>", ".\\Velquin.INI");
}

rt::WindowDesc small(bool resizable) {
    rt::WindowDesc d;
    d.title = "position";
    d.at = {30, 40, 200, 150};
    d.resizable = resizable;
    return d;
}

} // namespace

TEST(WindowPosition, NormalPlaceAndSizeComeBack) {
    WorkFolder dir(L"pos");
    {
        rt::Window w(small(true));
        w.open();
        w.set_position(120, 80, 560, 400);
        INISAVEWINDOW(w, "MainWindow", ".\\Velquin.INI");
        w.close();
    }
    EXPECT_EQ(ini("Maximize"), "No");
    EXPECT_EQ(ini("Minimize"), "No");
    EXPECT_EQ(ini("XPos"), "120");
    EXPECT_EQ(ini("YPos"), "80");
    EXPECT_EQ(ini("Width"), "560");
    EXPECT_EQ(ini("Height"), "400");
    rt::Window w(small(true));
    w.open();
    INIRESTOREWINDOW(w, "MainWindow", ".\\Velquin.INI");
    const rt::Rect r = w.position();
    EXPECT_EQ(r, (rt::Rect{120, 80, 560, 400})) << r.x << "," << r.y << " " << r.w << "x" << r.h;
    w.close();
}

TEST(WindowPosition, MaximizedAndMinimizedKeepNoPlace) {
    WorkFolder dir(L"max");
    {
        rt::Window w(small(true));
        w.open();
        w.maximize();
        INISAVEWINDOW(w, "MainWindow", ".\\Velquin.INI");
        w.close();
    }
    EXPECT_EQ(ini("Maximize"), "Yes");
    EXPECT_EQ(ini("XPos"), "<missing>");
    EXPECT_EQ(ini("Width"), "<missing>");
    {
        rt::Window w(small(true));
        w.open();
        INIRESTOREWINDOW(w, "MainWindow", ".\\Velquin.INI");
        EXPECT_TRUE(w.maximized());
        w.close();
    }
    {
        rt::Window w(small(true));
        w.open();
        ShowWindow(w.hwnd(), SW_MINIMIZE);
        INISAVEWINDOW(w, "MainWindow", ".\\Velquin.INI");
        w.close();
    }
    EXPECT_EQ(ini("Maximize"), "No");
    EXPECT_EQ(ini("Minimize"), "Yes");
    EXPECT_EQ(ini("YPos"), "<missing>");
    rt::Window w(small(true));
    w.open();
    const rt::Rect designed = w.position();
    INIRESTOREWINDOW(w, "MainWindow", ".\\Velquin.INI");
    EXPECT_FALSE(w.minimized());
    EXPECT_FALSE(w.maximized());
    EXPECT_EQ(w.position(), designed);
    w.close();
}

TEST(WindowPosition, OnlyTheProgramsOwnWordsAreTrusted) {
    WorkFolder dir(L"bad");
    for (const char* bad : {"<none>", "yes", "Maybe", ""}) {
        if (std::string(bad) == "<none>")
            rt::remove_ini("MainWindow", "Maximize", ".\\Velquin.INI");
        else
            rt::put_ini("MainWindow", "Maximize", bad, ".\\Velquin.INI");
        rt::put_ini("MainWindow", "XPos", "300", ".\\Velquin.INI");
        rt::Window w(small(true));
        w.open();
        const rt::Rect designed = w.position();
        INIRESTOREWINDOW(w, "MainWindow", ".\\Velquin.INI");
        EXPECT_EQ(w.position(), designed) << "Maximize=" << bad;
        w.close();
    }
}

TEST(WindowPosition, OnlyXPosMovesOnlyTheLeftEdge) {
    WorkFolder dir(L"x");
    rt::put_ini("MainWindow", "Maximize", "No", ".\\Velquin.INI");
    rt::put_ini("MainWindow", "XPos", "77", ".\\Velquin.INI");
    rt::Window w(small(true));
    w.open();
    rt::Rect expected = w.position();
    expected.x = 77;
    INIRESTOREWINDOW(w, "MainWindow", ".\\Velquin.INI");
    EXPECT_EQ(w.position(), expected);
    w.close();
}

TEST(WindowPosition, AFixedSizeWindowKeepsNoSize) {
    WorkFolder dir(L"fixed");
    rt::Window w(small(false));
    w.open();
    INISAVEWINDOW(w, "MainWindow", ".\\Velquin.INI");
    EXPECT_EQ(ini("Width"), "<missing>");
    EXPECT_NE(ini("XPos"), "<missing>");
    rt::put_ini("MainWindow", "Width", "400", ".\\Velquin.INI");
    const rt::Rect before = w.position();
    INIRESTOREWINDOW(w, "MainWindow", ".\\Velquin.INI");
    EXPECT_EQ(w.position().w, before.w);
    w.close();
}
