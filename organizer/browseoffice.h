// The main window BROWSEOFFICE: its description, start-up road, set-up routine and event loop.
#pragma once

#ifdef _WIN32

#include "organizer/globals.h"
#include "organizer/office.h"
#include "runtime/resizer.h"
#include "runtime/window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace rt {
class ListBox;
class TreeBox;
} // namespace rt

// winnt.h's DELETE access right would stand in for the control of that name.
#ifdef DELETE
#undef DELETE
#endif

namespace velquin {

// The main window's controls, numbered in the order of its description.
enum class Ctl : int {
    HELP = 1,
    SHEET1,
    TAB1,
    TREE,
    OPEN,
    NEWDB,
    TREEINSERT,
    TREECHANGE,
    TREEDELETE,
    INSERT,
    GROUP3,
    SEARCH,
    LOC_SEARCH,
    BACK,
    PRINT,
    EXCEL,
    LIST2,
    GROUP2,
    SETTING,
    IMAGE3,
    HOMEPAGE,
    IMAGE1,
    CAFEIE,
    RTFTEST,
    GROUP1,
    PANEL1,
    IMAGE4,
    BUTTON18,
    BUTTON19,
    BUTTON20,
    BUTTON21,
    BUTTON22,
    CHANGE,
    DELETE,
    CLOSE
};

// The settings file and the main window's section in it.
inline constexpr const char* SETTINGS_FILE = ".\\Velquin.INI";
inline constexpr const char* MAIN_SECTION = "MainWindow";

// The procedures of other windows that the main window calls, as it hands them their work (ACTION, the OFFICE
// buffer, GNODE's buffer) and reads their answer. One that is not set is a window not yet in the program: its
// button does nothing.
// A procedure that prints or exports the list: its title, its visible columns and its rows.
using ListProcedure = void(const std::string& title, rt::Queue<LISTFORMAT>& FQ, rt::Queue<Q2TYPE>& Q2);

struct MainProcedures {
    std::function<void()> UPDATEOFFICE;                 // the document form
    std::function<void(std::int16_t SORT)> UPDATECLASS; // the category form
    std::function<void()> NEWDB;                        // the new-library form
    std::function<void()> SETTING;                      // the settings window
    std::function<void()> RTF_TEST;                     // the RTF source window
    std::function<ListProcedure> LISTPRINT, LISTEXCEL;
};
MainProcedures& main_procedures();

// The program that opens web pages, and the pages of the web buttons.
inline constexpr const char* WEB_BROWSER = "c:\\program Files\\Internet Explorer\\iexplore.exe";

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

    // Event handling.
    void on_alert(const rt::Event& e);
    void on_accepted(int control);
    void on_sized();
    void INSERT_ACCEPTED();
    void CHANGE_ACCEPTED();
    void DELETE_ACCEPTED();
    void RTFTEST_ACCEPTED();
    void OPEN_ACCEPTED();
    void NEWDB_ACCEPTED();
    void TREEINSERT_ACCEPTED();
    void TREECHANGE_ACCEPTED();
    void TREE_ACCEPTED();
    void open_library(); // OINI:DB: closes the open one, opens this one and sets the window up again
    void header_sort();
    void column_swap();
    void open_page(int control);

    // Category tree and trash.
    void SET_TREE();
    void FIND_GNODE();
    void TREEUPDATE();
    void TRASH_CATEGORY();
    void RESTORE_CATEGORY();
    void DELETE_CATEGORY();
    void MOVE_CATEGORY(int step);
    void RESTORE_RECORD();
    bool get_tree_selection();                    // the TREE row of the tree's selection into the buffer
    bool get_category(std::int16_t number);       // the category record through OFC:TREE_KEY
    bool get_row_category();                      // ... of the TREE row; false after the stop prompt
    bool get_changeable_category();               // ... of the selection, a category not in the trash, or false
    bool category_failed(CategoryFailure failed); // true after the stop prompt for a failed category write
    void select_tree_row(std::size_t row);        // selects it; the list keeps its view
    void show_tree_row(std::size_t row);          // selects it and shows its view, as the user's choice does
    void select_tree_pointer(std::int32_t pos);   // the TREE row of a category record

    // Document list.
    void FILLQUE2();
    void ASSIGNTOQUE();
    void FORMATLIST();
    void MAKE_FQ();
    bool GETRECORD(); // false (after the stop prompt) when the row or its record cannot be read
    void add_row_by_date();
    void select_list_row(std::size_t row);
    bool has_selected_row(); // the list shows a selected row, which the buttons act on
    void remove_list_row();  // Q2's current row goes; the row that takes its place (or the last) is selected

    rt::ListBox* list_ = nullptr;
    rt::TreeBox* tree_ = nullptr;

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
