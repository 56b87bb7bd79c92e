#ifdef _WIN32

#include "organizer/standard.h"

#include "organizer/warnings.h"
#include "runtime/ini.h"
#include "runtime/prompt.h"
#include "runtime/text.h"

#include <climits>
#include <string>

namespace velquin {

namespace {

rt::Icon icon_of(WarningIcon icon) {
    switch (icon) {
    case WarningIcon::Information:
        return rt::Icon::information;
    case WarningIcon::Exclamation:
        return rt::Icon::exclamation;
    default:
        return rt::Icon::none;
    }
}

} // namespace

long STANDARDWARNING(long number, std::string_view text1, std::string_view text2) {
    const long code = rt::error_code();
    const std::string error_text =
        warning_error_text(code, rt::error_text(), rt::driver_error_code(), rt::driver_error_text());
    const WarningMessage m = build_warning(number, text1, text2, error_text, code);
    if (!m.shown) return 0;

    const int answer = rt::message(rt::to_cp949(m.text), rt::to_cp949(m.caption), icon_of(m.icon),
                                   static_cast<unsigned>(m.buttons), static_cast<unsigned>(m.default_button));
    if (!m.stop_text.empty() && (m.ends_on == 0 || m.ends_on == answer)) rt::halt(rt::to_cp949(m.stop_text));
    return m.returns_two ? 2 : answer;
}

void CHECKOPEN(rt::KeyFile& file, int create, int mode) {
    const int OPENMODE = mode == OMITTED ? rt::MODE_READ_WRITE_SHARED : mode;
    const std::string name = file.name();

    rt::Status opened = file.open(OPENMODE);
    if (opened.code() == rt::ERR_LOCKED) {
        file.send("Recover=10");
        opened = file.open(OPENMODE);
    }
    switch (opened.code()) {
    case 0:
    case rt::ERR_ALREADY_OPEN:
        return;
    case rt::ERR_FILE_NOT_FOUND:
        if (create == OMITTED) break;
        if (create != 1) STANDARDWARNING(4, name);
        // CREATEFILE: make the file empty with its keys and open it; PROCEDURERETURN when it opened.
        if (!file.create()) STANDARDWARNING(4, name);
        if (file.open(OPENMODE)) return;
        STANDARDWARNING(5, name);
        return;
    case rt::ERR_INVALID_FILE:
        STANDARDWARNING(1, name);
        return;
    case rt::ERR_KEYS_DAMAGED:
        STANDARDWARNING(2, name); // ends the program on No
        if (!file.build()) STANDARDWARNING(3, name);
        opened = file.open(OPENMODE);
        break;
    default:
        break;
    }
    if (!opened) {
        if (STANDARDWARNING(30, name) != 0) rt::halt("Disk Error");
    }
}

namespace {

constexpr long UNSET = LONG_MIN; // -2147483648: a coordinate not saved

void put_number(std::string_view section, std::string_view key, long value, std::string_view file) {
    if (value == UNSET)
        rt::remove_ini(section, key, file);
    else
        rt::put_ini(section, key, std::to_string(value), file);
}

} // namespace

void INISAVEWINDOW(rt::Window& window, std::string_view section, std::string_view file) {
    const bool maximized = window.maximized();
    const bool minimized = window.minimized();
    long x = UNSET, y = UNSET, w = UNSET, h = UNSET;
    if (!maximized && !minimized) {
        const rt::Rect r = window.position();
        x = r.x;
        y = r.y;
        if (window.resizable()) {
            w = r.w;
            h = r.h;
        }
    }
    rt::put_ini(section, "Maximize", maximized ? "Yes" : "No", file);
    rt::put_ini(section, "Minimize", minimized ? "Yes" : "No", file);
    put_number(section, "XPos", x, file);
    put_number(section, "YPos", y, file);
    put_number(section, "Width", w, file);
    put_number(section, "Height", h, file);
}

void INIRESTOREWINDOW(rt::Window& window, std::string_view section, std::string_view file) {
    const std::string saved = rt::get_ini(section, "Maximize", "", file);
    bool maximized;
    if (saved == "Yes")
        maximized = true;
    else if (saved == "No")
        maximized = false;
    else
        return;                                  // never saved, or not by this program: the window stays as described
    rt::get_ini(section, "Minimize", "0", file); // read, not used: the window never starts minimized
    const long x = rt::get_ini_number(section, "XPos", UNSET, file);
    const long y = rt::get_ini_number(section, "YPos", UNSET, file);
    const long w = rt::get_ini_number(section, "Width", UNSET, file);
    const long h = rt::get_ini_number(section, "Height", UNSET, file);

    if (!maximized && window.maximized()) window.restore();
    const int ux = x == UNSET ? rt::unchanged : static_cast<int>(x);
    const int uy = y == UNSET ? rt::unchanged : static_cast<int>(y);
    int uw = rt::unchanged, uh = rt::unchanged;
    if (window.resizable()) {
        if (w != UNSET) uw = static_cast<int>(w);
        if (h != UNSET) uh = static_cast<int>(h);
    }
    window.set_position(ux, uy, uw, uh);
    if (maximized && !window.maximized()) window.maximize();
    if (window.minimized()) window.restore();
}

bool refuse_entry(rt::Window& window, rt::Id entry, std::string_view text) {
    rt::beep();
    rt::message(text);
    window.focus(entry);
    return false;
}

} // namespace velquin

#endif
