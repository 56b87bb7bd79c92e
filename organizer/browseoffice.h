// The main window BROWSEOFFICE: its description, start-up road, set-up routine and event loop.
#pragma once

#ifdef _WIN32

#include "organizer/globals.h"
#include "runtime/resizer.h"
#include "runtime/window.h"

#include <memory>

// winnt.h's DELETE access right would stand in for the control of that name.
#ifdef DELETE
#undef DELETE
#endif

namespace velquin {

// The main window's controls, numbered in the order of its description.
enum class Ctl : int {
    HELP = 1, SHEET1, TAB1, TREE, OPEN, NEWDB, TREEINSERT, TREECHANGE, TREEDELETE, INSERT, GROUP3, SEARCH,
    LOC_SEARCH, BACK, PRINT, EXCEL, LIST2, GROUP2, SETTING, IMAGE3, TOZMAR, IMAGE1, CAFEIE, RTFTEST, GROUP1, PANEL1,
    IMAGE4, BUTTON18, BUTTON19, BUTTON20, BUTTON21, BUTTON22, CHANGE, DELETE, CLOSE,
};

// The settings file and the main window's section in it.
inline constexpr const char* SETTINGS_FILE = ".\\Velquin.INI";
inline constexpr const char* MAIN_SECTION = "MainWindow";

class BROWSEOFFICE {
public:
    // Runs the whole procedure: builds the window, checks the version and the single instance, opens the
    // library, shows the window and runs its loop; then writes the settings and closes the library.
    void run();

    static rt::WindowDesc description();

private:
    // Ends the procedure before the window opens when false.
    bool PREPAREDB();
    void SETUPSCREEN();
    void events();
    void closing_settings();
    void closing();

    std::unique_ptr<rt::Window> window_;
    TREE_QUEUE TREE;
    rt::Queue<Q2TYPE> Q2;
    rt::Queue<LISTFORMAT> FQ;
    struct {
        rt::Fixed<30> SEARCH;
    } LOC;
    rt::Fixed<100> SAV_FORMAT;
    std::uint8_t SAV_FIELDNO = 0;
    std::int32_t INITWIDTH = 0;
    std::int32_t WIDTHDFF = 0;
    rt::Fixed<128> SELECTDB;
    rt::Resizer WINRESIZE;
};

// The main procedure: switches full-window dragging off around BROWSEOFFICE and restores it.
void _main();

} // namespace velquin

#endif
