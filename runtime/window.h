// Windows built from a description, their controls and the event loop. A window procedure describes its window
// (title, font, size in dialog units, controls in their order with kind, geometry, texts, icon, tip and flags),
// builds it, opens it modally over the window open before it, and calls accept() until it returns no event.
#pragma once

#ifdef _WIN32

#include "runtime/imagelist.h"
#include "runtime/win32.h"

#include <windows.h>

#include <climits>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace rt {

// A control's number in the program: a plain int or any enum value (Ctl::LIST2).
struct Id {
    int value = 0;
    constexpr Id(int v) noexcept : value(v) {}
    template <class E>
    requires std::is_enum_v<E>
    constexpr Id(E e) noexcept : value(static_cast<int>(e)) {}
};

// Left as it is, in positions and sizes; a window's x or y left so is centred.
constexpr int unchanged = INT_MIN;

// Position and size in dialog units.
struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class Kind {
    button,    // push button: text and icon; with flag::transparent a click area drawn as nothing
    prompt,    // a label
    entry,     // a one-line text entry
    text,      // a multi-line plain text box with a vertical scroll bar
    group,     // an undrawn group holding the controls that name it as parent
    group_box, // a framed group, with its text on the frame
    panel,     // a plain background area
    image,     // a picture (BMP, GIF, JPEG) scaled to the control
    sheet,     // a tab sheet; its pages are the tab controls that name it as parent
    tab,       // one page of a sheet (no window of its own); holds the controls that name it as parent
    list,      // a list (report view); its rows come through an attached ControlHandler
    tree,      // a tree list; likewise
    ole,       // an OLE container's site: draws nothing of its own (OleContainer::of gives its object)
    check,     // a check box; with an icon and no text a push-like toggle button
    option,    // an option group: framed when it has a text; its radios name it as parent
    radio,     // a radio of the option group that is its parent; with an icon and no text a push-like button
    drop_list, // a drop-down list of entries, each with an optional icon (runtime/droplist.h)
    rich_text, // a rich-text editor (runtime/rtfcontrol.h binds it)
    page,      // a page image: the enhanced metafile named by its text, on white (runtime/imagefield.h)
    spin,      // a number entry with up and down arrows (runtime/gauges.h)
    progress,  // a progress bar, 0 to 100 (runtime/gauges.h)
};

// Controls whose text the user types: entries, text boxes and spin boxes.
inline bool typed(Kind k) noexcept {
    return k == Kind::entry || k == Kind::text || k == Kind::spin;
}

namespace flag {
constexpr unsigned hidden = 1;      // hidden when the window opens
constexpr unsigned disabled = 2;    // disabled when the window opens
constexpr unsigned transparent = 4; // button: nothing drawn, the picture under it shows through
constexpr unsigned tabs = 8;        // sheet: its tab shows also when it has only one page
} // namespace flag

// Keys and mouse actions, as alerted and reported. A key is its virtual-key code with modifier bits.
using KeyCode = unsigned;
namespace key {
constexpr KeyCode shift = 0x10000, ctrl = 0x20000, alt = 0x40000;
constexpr KeyCode esc = VK_ESCAPE, enter = VK_RETURN, tab = VK_TAB, del = VK_DELETE;
constexpr KeyCode f1 = VK_F1, f2 = VK_F2, f8 = VK_F8;
constexpr KeyCode mouse = 0x100000; // the mouse actions below carry this bit
constexpr KeyCode mouse_left = mouse | 1, mouse_left2 = mouse | 2, mouse_right = mouse | 3;
} // namespace key

struct ControlDesc {
    int id = 0; // the program's number for the control: unique in the window, not 0
    Kind kind = Kind::button;
    Rect at{};             // dialog units, relative to the client area
    std::string text{};    // CP949
    std::string icon{};    // an icon resource of the program or an .ico file; a leading '~' is ignored
    std::string tip{};     // CP949 pop-up hint
    unsigned flags = 0;    // flag::...
    int parent = 0;        // the group, group box, sheet or tab that holds it; 0: the window itself
    KeyCode key = 0;       // a key that presses the control from anywhere in the window
    std::string picture{}; // image: a picture resource (RCDATA) of the program or a picture file
    std::string value{};   // radio: the value its option group takes when it is chosen
};

// A control description with the fields that most descriptions set.
inline ControlDesc control(Id id, Kind kind, Rect at, std::string text = {}, std::string icon = {}, unsigned flags = 0,
                           Id parent = 0) {
    ControlDesc d;
    d.id = id.value;
    d.kind = kind;
    d.at = at;
    d.text = std::move(text);
    d.icon = std::move(icon);
    d.flags = flags;
    d.parent = parent.value;
    return d;
}

struct WindowDesc {
    std::string title{};                     // CP949
    std::string font = "Gulim";              // the face of the window's font; dialog units follow it
    int font_size = 9;                       // points
    Rect at{unchanged, unchanged, 300, 200}; // x, y of the window (unchanged: centred); w, h of the client area
    std::string icon{};                      // as for controls
    bool resizable = false;
    bool status_bar = false;             // a status bar along the bottom, below the client area of w x h
    std::vector<ControlDesc> controls{}; // in their documented order: ranges follow it
    // Set: the window is owned by this window (which may belong to another thread) and leaves it enabled, so
    // that both stay usable; unset: owned by the window open now, which is disabled until this one closes.
    HWND owner = nullptr;
};

enum class EventKind {
    none,          // no event: the window is closed, or the thread is quitting
    accepted,      // a button was pressed, an entry's changed text was taken over, ...
    selected,      // a control received the keyboard focus
    new_selection, // the chosen row or page of a list, tree or sheet changed
    alert_key,     // an alerted key or mouse action, after its ordinary effect; key tells which
    sized,         // the window's size changed
    close_window,  // the close box, Alt+F4 or a posted close; the next accept() closes the window
    timer,         // the window's timer
    drop,          // a drag that started on a control ended on it
    gain_focus,    // the window became the active window
};

struct Event {
    EventKind kind = EventKind::none;
    int control = 0; // the control's number; 0 for the window
    KeyCode key = 0; // alert_key: the key or mouse action

    explicit operator bool() const noexcept { return kind != EventKind::none; }
    bool is(EventKind k, Id c = 0) const noexcept { return kind == k && control == c.value; }
};

class Window;
class Picture;

// Behaviour that a kind of control adds beyond what the window does for every control (lists and trees over
// queues, editors). The window hands it the control's notifications first.
class ControlHandler {
public:
    virtual ~ControlHandler() = default;
    // A WM_NOTIFY from the control; true when handled, with the result to return.
    virtual bool notify(Window&, int /*control*/, NMHDR&, LRESULT& /*result*/) { return false; }
    // A WM_COMMAND notification code from the control; true when handled.
    virtual bool command(Window&, int /*control*/, int /*code*/) { return false; }
    // Chooses row `row` (from 1; 0 chooses none); the number of the chosen row (0 none).
    virtual void select(Window&, int /*control*/, int /*row*/) {}
    virtual int selection(Window&, int /*control*/) { return 0; }
};

// Dialog units of a font: a quarter of its average character width across, an eighth of its height down.
struct DialogUnits {
    int cx = 8, cy = 16; // the font's base units in pixels

    static DialogUnits of(HFONT font);
    int x(int du) const noexcept { return MulDiv(du, cx, 4); }
    int y(int du) const noexcept { return MulDiv(du, cy, 8); }
    int du_x(int px) const noexcept { return MulDiv(px, 4, cx); }
    int du_y(int px) const noexcept { return MulDiv(px, 8, cy); }
};

class Window {
public:
    // Builds the window and its controls, not yet shown, owned by the window open now.
    explicit Window(WindowDesc desc);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Shows the window modally: the window open before it is disabled until this one closes.
    void open();
    // The next event; none when the window is closed (after close_window was returned) or the thread quits.
    Event accept();
    // Queues an event for a control (or the window, control 0) behind those already waiting.
    void post(EventKind kind, Id control = 0, KeyCode key = 0);
    // Ends the event loop and destroys the window; the window open before it is enabled again.
    void close();
    bool closed() const noexcept { return ended_; }

    // The window open on top now (the owner of prompts), or nullptr.
    static Window* top() noexcept;

    HWND hwnd() const noexcept { return hwnd_; }
    HFONT font() const noexcept { return font_.get(); }
    const DialogUnits& units() const noexcept { return units_; }
    const WindowDesc& description() const noexcept { return desc_; }

    // The window itself. Its position is the top-left corner on the screen, its size that of the client area
    // (without the status bar), both in dialog units of its font.
    void set_title(std::string_view cp949);
    std::string title() const;
    Rect position() const;
    void set_position(int x, int y, int w = unchanged, int h = unchanged);
    bool maximized() const;
    bool minimized() const;
    bool resizable() const noexcept { return desc_.resizable; }
    void maximize();
    void restore();                 // out of the maximized or minimized state
    void set_timer(int hundredths); // 0 stops it
    void display();                 // redraws the window now
    // Client-area size limits in pixels for the user's resizing (0: none).
    void set_size_limits(SIZE min, SIZE max);
    SIZE client_size() const; // pixels, the status bar left out: the controls' area

    // The status bar of a window described with one (runtime/statusbar.cpp): its text, and the colour the text is
    // drawn in (CLR_INVALID: the system's button text colour).
    void set_status(std::string_view cp949);
    std::string status() const;
    void set_status_colour(COLORREF colour);
    HWND status_bar() const noexcept { return status_bar_; }

    // Alerted keys and mouse actions: window-wide, or on one control.
    void alert(KeyCode key);
    void alert(Id control, KeyCode key);
    bool alerted(Id control, KeyCode key) const; // on the control or window-wide

    // Controls.
    bool has(Id control) const noexcept { return index_of(control) >= 0; }
    HWND handle(Id control) const;
    void set_text(Id control, std::string_view cp949);
    std::string text(Id control) const;
    void set_icon(Id control, std::string_view name);
    void set_tip(Id control, std::string_view cp949);
    std::string tip(Id control) const;
    void set_font(Id control, std::string_view face, int points, int weight = FW_NORMAL);
    void hide(Id control) { hide(control, control); }
    void show(Id control) { show(control, control); }
    void enable(Id control) { enable(control, control); }
    void disable(Id control) { disable(control, control); }
    // Ranges: from first to last in the order of the description.
    void hide(Id first, Id last);
    void show(Id first, Id last);
    void enable(Id first, Id last);
    void disable(Id first, Id last);
    bool visible(Id control) const; // shown itself and by every group and page that holds it
    bool enabled(Id control) const;
    Rect position(Id control) const;
    void set_position(Id control, int x, int y, int w = unchanged, int h = unchanged);
    void focus(Id control);
    // The most characters an entry or text box takes from the user.
    void set_limit(Id control, std::size_t characters);
    // As if the user typed the text into the entry and left it: the text is replaced and accepted.
    void type(Id control, std::string_view cp949);
    void select(Id control, int row);
    int selection(Id control);
    // Check boxes and push-like toggles: checked or not. Option groups: the value of the chosen radio ("" when
    // none is chosen); setting a value that no radio has chooses none. Neither queues an event.
    bool checked(Id control) const;
    void set_checked(Id control, bool on);
    std::string value(Id option) const;
    void set_value(Id option, std::string_view value);
    void attach(Id control, std::unique_ptr<ControlHandler> handler);
    ControlHandler* handler(Id control) const;

    // The control at place i of the description (0-based) and its place.
    int index_of(Id control) const noexcept;
    HWND handle_at(int index) const { return controls_.at(static_cast<size_t>(index)).hwnd; }

private:
    struct Control {
        ControlDesc desc;
        HWND hwnd = nullptr;
        bool shown = true;
        bool active = true; // enabled by itself
        bool tip_added = false;
        UniqueIcon icon;
        ImageList icon_above; // a button's icon drawn above its text (lay_icon)
        UniqueFont font;
        std::unique_ptr<Picture> picture;
        std::unique_ptr<ControlHandler> handler;
        Control();
        ~Control();
        Control(Control&&) noexcept;
    };

    static LRESULT CALLBACK thunk(HWND, UINT, WPARAM, LPARAM);
    LRESULT proc(UINT msg, WPARAM wp, LPARAM lp);
    void create_control(int index);
    Control* find(Id control);
    const Control* find(Id control) const;
    int control_of(HWND h) const;
    bool effective_shown(int index) const;
    bool effective_active(int index) const;
    void apply_states();
    void range(Id first, Id last, void (*op)(Control&));
    void queue(Event e);
    void process(MSG& msg);
    void after_input(const MSG& msg, int index);
    void move_focus(int step);
    bool focusable(int index) const;
    void end_loop();
    HWND tooltip();
    int tab_index(int index) const;   // place of a tab among its sheet's pages
    int sheet_under(int index) const; // the sheet whose page holds the control, or -1
    int pages_of(int sheet) const;    // the number of pages of the sheet at that place
    HBRUSH sheet_brush(HWND control, HDC dc);
    static LRESULT CALLBACK page_frame_proc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK page_frame_messages(HWND, UINT, WPARAM, LPARAM);
    // The kinds of runtime/window_kinds.cpp: their window class and styles, and their commands.
    static bool kind_style(const ControlDesc& d, const wchar_t*& cls, DWORD& style, DWORD& ex, bool& with_text);
    // The status bar of runtime/statusbar.cpp: made with the window, its height in pixels, its text drawn.
    void create_status_bar();
    int status_height() const;
    bool draw_status(const DRAWITEMSTRUCT& item);
    void kind_created(int index);
    bool kind_command(int index, int code);
    void lay_icon(Control& c);

    WindowDesc desc_;
    std::vector<Control> controls_;
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND saved_focus_ = nullptr;
    UniqueFont font_;
    UniqueIcon icon_big_, icon_small_;
    UniqueBrush sheet_brush_; // a sheet's page as drawn, for the labels on it
    HWND sheet_brush_of_ = nullptr;
    SIZE sheet_brush_size_{0, 0};
    HWND frame_painting_ = nullptr; // a group box on a sheet, while it draws its frame
    HWND status_bar_ = nullptr;
    std::wstring status_text_;
    COLORREF status_colour_ = CLR_INVALID;
    DialogUnits units_;
    std::deque<Event> events_;
    struct Alert {
        int index; // -1: window-wide
        KeyCode key;
    };
    std::vector<Alert> alerts_;
    SIZE min_{0, 0}, max_{0, 0};
    bool opened_ = false;
    bool ending_ = false; // close_window was returned: the next accept() ends the loop
    bool ended_ = false;
};

} // namespace rt

#endif
