// The rich-text editor class: binds a Kind::rich_text control and a toolbar of controls, each bound by its item
// kind, and carries out the toolbar's functions on the text (open, save, print, find and replace, clipboard,
// undo and redo, alignment, bullets, font name and size, style and colours). The toolbar follows the selection.
// The body goes in and out as RTF; Korean text is written as code page 949 bytes with a charset 129 font.
// The find and replace dialogs are the program's: it registers them, and the editor runs each on a thread of its
// own and waits in its own message loop for the result posted back to its thread.
#pragma once
#ifdef _WIN32

#include "runtime/window.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <string_view>

namespace rt {

// Item kinds of ADDITEM; kind k fills the k-th CTL field after CTLRTF.
namespace rtf_item {
constexpr int show_file_name = 1, show_line_no = 2, show_pos_in_line = 3, show_dirty = 4, button_new = 5,
              button_open = 6, button_save = 7, button_print = 8, button_find = 9, button_find_and_replace = 10,
              button_cut = 11, button_copy = 12, button_paste = 13, button_undo = 14, button_redo = 15,
              button_tabs = 16, button_para = 17, alignment = 18, alignment_just = 19, bullets = 20, bullet_style = 21,
              font_name = 22, font_size = 23, font_script = 24, bold = 25, italic = 26, underline = 27, font_color = 28,
              font_bkcolor = 29;
constexpr int count = 29;
} // namespace rtf_item

// Options of find and replace, as a bit set.
namespace rtf_find {
constexpr long up = 1, match_case = 2, whole_word = 4, replace_one = 8, replace_all = 16;
}

// The events a find dialog posts to the editor's thread when it ends (as the message WM_APP + event).
constexpr unsigned rtf_found = 0x3001, rtf_not_found = 0x3000;

// The most bytes the body's RTF may take (a 2,000,000-byte buffer with its closing NUL).
constexpr std::size_t rtf_body_limit = 2'000'000;

// A find dialog procedure: the editor's reference as a decimal number, and a search text to start with or blank.
using FindDialogProc = void (*)(std::string_view editor, std::string_view text);

// What the editor tells its owner.
class RTFNOTIFY {
public:
    virtual ~RTFNOTIFY() = default;
    virtual void CHANGECALLBACK() = 0;                              // the text changed
    virtual void EVENTCALLBACK(const Event& e) = 0;                 // an event reached TAKEEVENT
    virtual std::string CONTEXTMENUTEXT() = 0;                      // extra right-click entries, '|' between
    virtual void CONTEXTMENUCHOICE(int choice) = 0;                 // extra entry chosen, from 1
    virtual std::string CONTEXTMENUXLAT(std::string_view text) = 0; // a standard entry's text as shown
    virtual void LINKPRESSED(std::string_view link) = 0;            // a link in the text was pressed
};

class RTFCONTROLCLASS : public RTFNOTIFY {
public:
    RTFCONTROLCLASS();
    ~RTFCONTROLCLASS() override;
    RTFCONTROLCLASS(const RTFCONTROLCLASS&) = delete;
    RTFCONTROLCLASS& operator=(const RTFCONTROLCLASS&) = delete;

    // Binds a control of the window to the function of an item kind (1 to 29); other kinds are ignored.
    void ADDITEM(int kind, Id control);

    // RTFNOTIFY, answered by the class's own operations below.
    void CHANGECALLBACK() override;
    void EVENTCALLBACK(const Event& e) override;
    std::string CONTEXTMENUXLAT(std::string_view text) override { return CONTEXTMENUTRANSLATE(text); }

    // Attaches the editor to the rich-text control of the window (and loads the file when one is named).
    virtual void INIT(Window& w, Id control, std::string_view file = {});
    // Closes its open find dialogs and detaches from the window.
    virtual void KILL();
    // Carries out the function of the accepted control; false when it is not bound.
    virtual bool TAKEACCEPTED(int control);
    // Carries out the function of an item kind.
    virtual bool TAKEACTION(int kind);
    // Handles the event when it is an accepted bound control; true when consumed.
    virtual bool TAKEEVENT(const Event& e);
    virtual void CHECKUNDOREDO();    // undo and redo enabled only when they can act
    virtual void CHECKPASTEBUTTON(); // paste enabled only when the clipboard holds something to paste
    virtual void INDENTDLG() {}      // no paragraph dialog of its own
    virtual void TABDLG() {}         // no tab dialog of its own
    // Runs a find dialog on its own thread until it ends; true when it found something.
    virtual bool FINDDLG();
    virtual bool FINDANDREPLACEDLG();
    virtual void PRINTDOCUMENT(); // asks for a printer and prints the body
    virtual void RESIZE() {}      // the window's layout places the controls
    virtual void LOADFONTS();     // the installed fonts into the font-name list
    virtual void REFRESHFILENAME();
    virtual void REFRESHLINEPOS();
    virtual void SHOWCTLGROUP(bool show);  // the toolbar controls
    virtual void SHOWINFOGROUP(bool show); // the file name, line, position and changed displays
    virtual void BINDCONTROLS();           // fills the bound lists and shows the state of the text
    virtual void UPDATECONTROLS();         // the toolbar shows the selection's format
    virtual std::string SELECTEDTEXT();    // CP949
    virtual void SETFOCUS();
    virtual bool PRINTRTF(HDC printer, std::string_view document_name);
    virtual bool CHANGED();
    virtual void TOUCH();
    std::string CONTEXTMENUTEXT() override { return {}; }
    void CONTEXTMENUCHOICE(int) override {}
    virtual std::string CONTEXTMENUTRANSLATE(std::string_view text) { return std::string(text); }
    void LINKPRESSED(std::string_view) override {}
    virtual bool ALLOWFORMATCHANGE() { return true; }

    // The program's find and replace dialogs (process-wide).
    static void set_find_dialogs(FindDialogProc find, FindDialogProc replace) noexcept;
    // The editor a reference names; nullptr for 0 or no number.
    static RTFCONTROLCLASS* from_reference(std::string_view reference) noexcept;

    // What the find dialogs use; callable from their threads.
    HWND window() const noexcept; // the top-level window of the editor: owner of the dialogs
    long find(std::string_view text, long options, long start);
    long replace(std::string_view text, std::string_view replacement, long options, long position);
    std::string last_search() const;
    std::string last_replace() const; // empty when there is none

    // The body.
    HWND handle() const noexcept { return edit_; }
    std::string rtf() const;
    // Replaces the body with RTF (or, when it is no RTF, with CP949 text); false when it is refused as too big.
    bool set_rtf(std::string_view rtf);
    bool open_file(const std::string& path); // RTF or CP949 text; a message tells why not
    bool save_file(const std::string& path); // as RTF
    void paste();                            // refused with a message when the body would grow too big
    void context_menu();                     // the right-click menu at the mouse

    long CTLRTF = 0, CTLSHOWFILENAME = 0, CTLSHOWLINENO = 0, CTLSHOWPOSINLINE = 0, CTLSHOWDIRTY = 0, CTLBUTTONNEW = 0,
         CTLBUTTONOPEN = 0, CTLBUTTONSAVE = 0, CTLBUTTONPRINT = 0, CTLBUTTONFIND = 0, CTLBUTTONFINDANDREPLACE = 0,
         CTLBUTTONCUT = 0, CTLBUTTONCOPY = 0, CTLBUTTONPASTE = 0, CTLBUTTONUNDO = 0, CTLBUTTONREDO = 0,
         CTLBUTTONTABS = 0, CTLBUTTONPARA = 0, CTLALIGNMENT = 0, CTLALIGNMENTJUST = 0, CTLBULLETS = 0,
         CTLBULLETSTYLE = 0, CTLFONTNAME = 0, CTLFONTSIZE = 0, CTLFONTSCRIPT = 0, CTLBOLD = 0, CTLITALIC = 0,
         CTLUNDERLINE = 0, CTLFONTCOLOR = 0, CTLFONTBKCOLOR = 0;

private:
    class Hook;
    long& field(int kind) noexcept; // CTLRTF for 0, the kind's field for 1 to 29
    bool run_dialog(FindDialogProc proc);
    void close_dialog();
    void apply_char(DWORD mask, DWORD effects, int kind);
    void apply_para(int kind);
    void fill_lists();
    bool within_limit();

    Window* window_ = nullptr;
    HWND edit_ = nullptr;
    std::string file_name_;
    HANDLE dialog_ = nullptr; // the thread of the open find dialog
    DWORD dialog_id_ = 0;
    mutable std::mutex texts_;
    std::string last_search_, last_replace_;
};

} // namespace rt

#endif
