// Message boxes, popup menus, the stop prompt, the fatal halt and the beep; the installed test driver.
#include "runtime/prompt.h"

#ifdef _WIN32
#include "runtime/text.h"
#include "runtime/win32.h"
#include "runtime/window.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#endif

namespace rt {

namespace {
Driver* the_driver = nullptr;
}

void install_driver(Driver* driver) noexcept {
    the_driver = driver;
}
Driver* installed_driver() noexcept {
    return the_driver;
}

std::vector<std::string> split_bar(std::string_view text) {
    std::vector<std::string> out;
    if (text.empty()) return out;
    for (;;) {
        const size_t bar = text.find('|');
        out.emplace_back(text.substr(0, bar));
        if (bar == std::string_view::npos) break;
        text.remove_prefix(bar + 1);
    }
    return out;
}

std::string box_text(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '|')
            out += "\r\n";
        else if (c == SHOWN_BAR)
            out += '|';
        else
            out += c;
    }
    return out;
}

#ifdef _WIN32

namespace {

std::function<void()> halt_hook;

// The standard buttons in the order the platform shows them, with their labels for a box of our own.
struct StandardButton {
    unsigned code;
    int id; // the platform's answer
    const char* label;
};
constexpr StandardButton standard_buttons[] = {
    {button::ok, IDOK, "OK"},          {button::yes, IDYES, "Yes"},          {button::no, IDNO, "No"},
    {button::retry, IDRETRY, "Retry"}, {button::cancel, IDCANCEL, "Cancel"},
};

// The platform's message box types for the sets of standard buttons it has.
UINT native_type(unsigned buttons) {
    switch (buttons) {
    case button::ok:
        return MB_OK;
    case button::ok | button::cancel:
        return MB_OKCANCEL;
    case button::yes | button::no:
        return MB_YESNO;
    case button::yes | button::no | button::cancel:
        return MB_YESNOCANCEL;
    case button::retry | button::cancel:
        return MB_RETRYCANCEL;
    }
    return UINT(-1);
}

UINT icon_flags(Icon icon) {
    switch (icon) {
    case Icon::information:
        return MB_ICONINFORMATION;
    case Icon::exclamation:
        return MB_ICONEXCLAMATION;
    case Icon::stop:
        return MB_ICONHAND;
    case Icon::none:
        break;
    }
    return 0;
}

HWND owner_window() {
    Window* top = Window::top();
    return top && top->hwnd() && IsWindowVisible(top->hwnd()) ? top->hwnd() : nullptr;
}

// --- a box with the program's own buttons -------------------------------------------------------------------

constexpr int own_first_id = 100; // ids of the own buttons: clear of IDOK and IDCANCEL

struct OwnBox {
    std::wstring caption;
    std::wstring text;
    Icon icon = Icon::none;
    std::vector<std::wstring> labels;
    int default_index = 0; // from 0
    HFONT font = nullptr;
    bool selectable = false;
};

void lay_out(HWND dlg, OwnBox& box) {
    ScreenDC dc;
    Selected sel(dc.get(), box.font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.get(), &tm);
    const int margin = std::max(10L, tm.tmHeight);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);

    RECT text{0, 0, std::max(200L, (work.right - work.left) * 3 / 5), 0};
    DrawTextW(dc.get(), box.text.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    const int icon_size = box.icon == Icon::none ? 0 : GetSystemMetrics(SM_CXICON);
    const int content_w = (icon_size ? icon_size + margin : 0) + text.right;
    const int content_h = std::max<int>(icon_size, text.bottom);

    const int button_h = tm.tmHeight + 10;
    std::vector<int> widths;
    int buttons_w = 0;
    for (const std::wstring& label : box.labels) {
        SIZE s{};
        GetTextExtentPoint32W(dc.get(), label.c_str(), static_cast<int>(label.size()), &s);
        widths.push_back(std::max<int>(75, s.cx + 4 * tm.tmAveCharWidth));
        buttons_w += widths.back();
    }
    const int gap = tm.tmAveCharWidth * 2;
    buttons_w += gap * static_cast<int>(widths.size() > 0 ? widths.size() - 1 : 0);

    // The title bar's caption, in its own font, beside the close box: never cut.
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    UniqueFont caption_font(CreateFontIndirectW(&ncm.lfCaptionFont));
    SIZE caption{};
    {
        Selected cap(dc.get(), caption_font.get());
        GetTextExtentPoint32W(dc.get(), box.caption.c_str(), static_cast<int>(box.caption.size()), &caption);
    }
    const int title_w = caption.cx + 3 * GetSystemMetrics(SM_CXSIZE);

    const int client_w = std::max({content_w, buttons_w, title_w - 2 * margin}) + 2 * margin;
    const int client_h = margin + content_h + margin + button_h + margin;
    const HINSTANCE self = GetModuleHandleW(nullptr);
    if (icon_size) {
        const wchar_t* id = box.icon == Icon::information   ? IDI_INFORMATION
                            : box.icon == Icon::exclamation ? IDI_WARNING
                                                            : IDI_ERROR;
        HWND h = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, margin, margin, icon_size,
                                 icon_size, dlg, nullptr, self, nullptr);
        SendMessageW(h, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, id)), 0);
    }
    const int text_x = margin + (icon_size ? icon_size + margin : 0);
    const int text_y = margin + (content_h - text.bottom) / 2;
    // A selectable text is a read-only edit without a frame or margins, so that it breaks its lines as measured;
    // it is no tab stop, and the default button keeps the focus.
    HWND label = box.selectable
                     ? CreateWindowExW(0, L"EDIT", box.text.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY,
                                       text_x, text_y, text.right + tm.tmAveCharWidth, text.bottom, dlg,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xFFFF)), self, nullptr)
                     : CreateWindowExW(0, L"STATIC", box.text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                       text_x, text_y, text.right, text.bottom, dlg,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(0xFFFF)), self, nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(box.font), FALSE);
    if (box.selectable) SendMessageW(label, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    int x = (client_w - buttons_w) / 2;
    const int y = client_h - margin - button_h;
    HWND def = nullptr;
    for (size_t i = 0; i < box.labels.size(); ++i) {
        const bool is_default = static_cast<int>(i) == box.default_index;
        HWND b = CreateWindowExW(0, L"BUTTON", box.labels[i].c_str(),
                                 WS_CHILD | WS_VISIBLE | WS_TABSTOP | (is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                                 x, y, widths[i], button_h, dlg,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(own_first_id + i)), self, nullptr);
        SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(box.font), FALSE);
        if (is_default) def = b;
        x += widths[i] + gap;
    }
    SendMessageW(dlg, DM_SETDEFID, static_cast<WPARAM>(own_first_id + box.default_index), 0);

    RECT outer{0, 0, client_w, client_h};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(dlg, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dlg, GWL_EXSTYLE)));
    const int ow = outer.right - outer.left, oh = outer.bottom - outer.top;
    RECT around = work;
    if (HWND owner = GetWindow(dlg, GW_OWNER)) GetWindowRect(owner, &around);
    int left = around.left + (around.right - around.left - ow) / 2;
    int top = around.top + (around.bottom - around.top - oh) / 2;
    left = std::clamp<int>(left, work.left, std::max<int>(work.left, work.right - ow));
    top = std::clamp<int>(top, work.top, std::max<int>(work.top, work.bottom - oh));
    SetWindowPos(dlg, nullptr, left, top, ow, oh, SWP_NOZORDER | SWP_NOACTIVATE);
    if (def) SetFocus(def);
}

INT_PTR CALLBACK own_box_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
        case WM_INITDIALOG: {
            auto* box = reinterpret_cast<OwnBox*>(lp);
            SetWindowLongPtrW(dlg, DWLP_USER, lp);
            lay_out(dlg, *box);
            return FALSE; // the focus is set
        }
        case WM_COMMAND: {
            auto* box = reinterpret_cast<OwnBox*>(GetWindowLongPtrW(dlg, DWLP_USER));
            const int n = static_cast<int>(box->labels.size());
            const int id = LOWORD(wp);
            if (id >= own_first_id && id < own_first_id + n)
                EndDialog(dlg, id - own_first_id + 1);
            else if (id == IDCANCEL)
                EndDialog(dlg, n); // Esc and the close box answer the last button
            else if (id == IDOK)
                EndDialog(dlg, box->default_index + 1);
            return TRUE;
        }
        }
    } catch (...) {
        hold_exception();
    }
    return FALSE;
}

// Shows a box with the given buttons; answers the number of the button pressed, from 1.
int own_box(std::string_view text, std::string_view caption, Icon icon, const std::vector<std::string>& labels,
            int default_button, Modal modal, BoxText shown = BoxText::fixed) {
    OwnBox box;
    box.selectable = shown == BoxText::selectable;
    box.caption = wide(caption);
    box.text = wide(box_text(text));
    box.icon = icon;
    for (const std::string& l : labels)
        box.labels.push_back(wide(l));
    const int n = static_cast<int>(box.labels.size());
    box.default_index = default_button >= 1 && default_button <= n ? default_button - 1 : 0;
    // The window's own font when a window is open, else the platform's message font.
    UniqueFont message_font;
    if (Window* top = Window::top(); top && top->font()) {
        box.font = top->font();
    } else {
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
        message_font.reset(CreateFontIndirectW(&ncm.lfMessageFont));
        box.font = message_font.get();
    }

    // An empty dialog template: the controls are made and laid out when the dialog starts.
    const std::wstring title = wide(caption);
    std::vector<WORD> tmpl(sizeof(DLGTEMPLATE) / sizeof(WORD) + 2 + title.size() + 1, 0);
    auto* dt = reinterpret_cast<DLGTEMPLATE*>(tmpl.data());
    dt->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
    dt->dwExtendedStyle = modal == Modal::system ? WS_EX_TOPMOST : 0;
    std::copy(title.begin(), title.end(), tmpl.begin() + sizeof(DLGTEMPLATE) / sizeof(WORD) + 2);

    if (icon != Icon::none) MessageBeep(icon_flags(icon));
    const INT_PTR answer = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dt, owner_window(), own_box_proc,
                                                   reinterpret_cast<LPARAM>(&box));
    rethrow_held();
    if (answer <= 0) {
        report_failure("DialogBoxIndirectParamW", text);
        return box.default_index + 1;
    }
    return static_cast<int>(answer);
}

[[noreturn]] void end_program(std::string_view text, bool stopped) {
    static bool ending = false;
    if (!ending && halt_hook) {
        ending = true;
        try {
            halt_hook();
        } catch (...) {
        }
        ending = false;
    }
    if (the_driver) throw Halted{std::string(text), stopped};
    ExitProcess(0);
}

} // namespace

int message(std::string_view text, std::string_view caption, Icon icon, unsigned buttons, unsigned default_button,
            Modal modal) {
    if (buttons == 0) buttons = button::ok;
    if (the_driver) {
        MessageRequest r{
            std::string(text),     std::string(caption), icon, buttons, {}, static_cast<int>(default_button),
            modal == Modal::system};
        return the_driver->message(r);
    }
    std::vector<const StandardButton*> shown;
    for (const StandardButton& b : standard_buttons)
        if (buttons & b.code) shown.push_back(&b);
    int default_place = 0;
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i]->code == default_button) default_place = static_cast<int>(i);

    const UINT type = native_type(buttons);
    if (type == UINT(-1)) {
        // A set the platform has no box for: a box of our own with the standard labels, answered by code.
        std::vector<std::string> labels;
        for (const StandardButton* b : shown)
            labels.emplace_back(b->label);
        if (labels.empty()) return 0;
        const int n = own_box(text, caption, icon, labels, default_place + 1, modal);
        return static_cast<int>(shown[static_cast<size_t>(n - 1)]->code);
    }
    const UINT flags = type | icon_flags(icon) | static_cast<UINT>(default_place) * MB_DEFBUTTON2 |
                       (modal == Modal::system ? MB_SYSTEMMODAL : MB_APPLMODAL);
    const std::wstring w = wide(box_text(text)), c = wide(caption);
    // An empty caption is an empty title (no caption would give the platform's "Error").
    const int id = MessageBoxW(owner_window(), w.c_str(), c.c_str(), flags);
    rethrow_held();
    for (const StandardButton* b : shown)
        if (b->id == id) return static_cast<int>(b->code);
    if (id == 0) report_failure("MessageBoxW", text);
    return 0;
}

int message(std::string_view text, std::string_view caption, Icon icon, std::string_view buttons, int default_button,
            Modal modal, BoxText shown) {
    const std::vector<std::string> labels = split_bar(buttons);
    if (labels.empty()) return message(text, caption, icon, button::ok, 0, modal);
    if (the_driver) {
        MessageRequest r{std::string(text),      std::string(caption),        icon, 0, labels, default_button,
                         modal == Modal::system, shown == BoxText::selectable};
        return the_driver->message(r);
    }
    return own_box(text, caption, icon, labels, default_button, modal, shown);
}

int popup(std::string_view items) {
    const std::vector<std::string> list = split_bar(items);
    if (the_driver) return the_driver->popup(list);
    if (list.empty()) return 0;
    UniqueMenu menu(CreatePopupMenu());
    for (size_t i = 0; i < list.size(); ++i)
        AppendMenuW(menu.get(), MF_STRING, i + 1, wide(list[i]).c_str());
    // The menu needs a window of this thread in the foreground to be dismissed by a click elsewhere.
    UniqueWindow helper;
    HWND owner = owner_window();
    if (!owner) {
        helper.reset(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
        owner = helper.get();
    }
    POINT pt{};
    GetCursorPos(&pt);
    SetForegroundWindow(owner);
    const BOOL chosen = TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN,
                                         pt.x, pt.y, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
    rethrow_held();
    return static_cast<int>(chosen);
}

void stop(std::string_view text) {
    bool end = false;
    if (the_driver)
        end = the_driver->stop(text);
    else
        end = own_box(text, "Stop", Icon::stop, {"Abort", "Ignore"}, 2, Modal::program) == 1;
    if (end) end_program(text, true);
}

void halt(std::string_view text) {
    if (the_driver) {
        the_driver->halt(text);
    } else {
        const std::wstring w = wide(box_text(text));
        MessageBoxW(owner_window(), w.c_str(), L"Halt", MB_OK | MB_ICONHAND | MB_APPLMODAL);
    }
    end_program(text, false);
}

void set_halt_hook(std::function<void()> hook) {
    halt_hook = std::move(hook);
}

void beep() {
    if (the_driver)
        the_driver->beep();
    else
        MessageBeep(0xFFFFFFFF);
}

void beep(Icon sound) {
    if (the_driver)
        the_driver->beep();
    else
        MessageBeep(sound == Icon::none ? 0xFFFFFFFF : icon_flags(sound));
}

namespace {

bool file_dialog(bool save, std::string_view title, std::string& path, std::string_view filter);

// A filter's pattern as the dialog takes it: each ';'-separated part, a leading '.' before '*' dropped
// (".*.VL1" is "*.VL1").
std::string dialog_pattern(std::string_view pattern) {
    std::string out;
    for (;;) {
        const size_t semi = pattern.find(';');
        std::string_view part = pattern.substr(0, semi);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        if (part.size() > 1 && part[0] == '.' && part[1] == '*') part.remove_prefix(1);
        if (!out.empty()) out += ';';
        out += part;
        if (semi == std::string_view::npos) break;
        pattern.remove_prefix(semi + 1);
    }
    return out;
}

// "name|pattern|..." as the dialog's list of NUL-separated pairs, ending in two NULs.
std::wstring dialog_filter(std::string_view filter, std::string_view fallback_pattern) {
    const std::vector<std::string> parts = split_bar(filter);
    std::wstring out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        out += wide(parts[i]);
        out += L'\0';
        out += wide(dialog_pattern(parts[i + 1]));
        out += L'\0';
    }
    if (out.empty() && !fallback_pattern.empty()) {
        const std::wstring p = wide(fallback_pattern);
        out += p + L'\0' + p + L'\0';
    }
    out += L'\0';
    return out;
}

} // namespace

namespace {

// Sets the current folder back to the one it found when it goes: a file dialog moves it to the folder browsed
// last, and files named relative to it (the settings file, a library) would be looked for there.
class KeptFolder {
public:
    KeptFolder() {
        const DWORD n = GetCurrentDirectoryW(0, nullptr);
        folder_.resize(n);
        if (n == 0 || GetCurrentDirectoryW(n, folder_.data()) >= n) folder_.clear();
    }
    ~KeptFolder() {
        if (!folder_.empty() && !SetCurrentDirectoryW(folder_.c_str()))
            report_failure("SetCurrentDirectoryW", narrow(folder_));
    }
    KeptFolder(const KeptFolder&) = delete;
    KeptFolder& operator=(const KeptFolder&) = delete;

private:
    std::wstring folder_;
};

} // namespace

bool file_open(std::string_view title, std::string& path, std::string_view filter) {
    const KeptFolder kept;
    if (the_driver) return the_driver->file_open(title, path, filter);
    return file_dialog(false, title, path, filter);
}

bool file_save(std::string_view title, std::string& path, std::string_view filter) {
    const KeptFolder kept;
    if (the_driver) return the_driver->file_save(title, path, filter);
    return file_dialog(true, title, path, filter);
}

namespace {

bool file_dialog(bool save, std::string_view title, std::string& path, std::string_view filter) {
    // The common dialogs library is loaded on first use, so that programs built on the runtime need not link it.
    using OpenFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
    using ErrorFn = DWORD(WINAPI*)();
    static HMODULE dlg = LoadLibraryW(L"comdlg32.dll");
    const char* const function = save ? "GetSaveFileNameW" : "GetOpenFileNameW";
    auto open = dlg ? reinterpret_cast<OpenFn>(reinterpret_cast<void*>(GetProcAddress(dlg, function))) : nullptr;
    auto error =
        dlg ? reinterpret_cast<ErrorFn>(reinterpret_cast<void*>(GetProcAddress(dlg, "CommDlgExtendedError"))) : nullptr;
    if (!open) {
        report_failure(function, title);
        return false;
    }
    // The starting folder and file name; a name with wildcards is left to the filter.
    const std::string start = path;
    const size_t slash = start.find_last_of("\\/:");
    std::string folder = slash == std::string::npos ? std::string() : start.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? start : start.substr(slash + 1);
    if (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') && folder[folder.size() - 2] != ':')
        folder.pop_back();
    const bool wildcard = name.find_first_of("*?") != std::string::npos;
    const std::wstring filters = dialog_filter(filter, wildcard ? dialog_pattern(name) : std::string());
    const std::wstring caption = wide(title), initial = wide(folder);
    std::wstring file(32768, L'\0');
    if (!wildcard) lstrcpynW(file.data(), wide(name).c_str(), static_cast<int>(file.size()));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner_window();
    ofn.lpstrFilter = filters.size() > 1 ? filters.c_str() : nullptr;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
    ofn.lpstrTitle = caption.empty() ? nullptr : caption.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                (save ? OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR : OFN_FILEMUSTEXIST);
    // A name typed without an extension takes the one of the first filter ("*.rtf": "rtf").
    std::wstring extension;
    if (const std::vector<std::string> parts = split_bar(filter); parts.size() >= 2) {
        const std::string first = dialog_pattern(parts[1]);
        if (first.rfind("*.", 0) == 0 && first.find_first_of("*?;", 2) == std::string::npos)
            extension = wide(first.substr(2));
    }
    if (save && !extension.empty()) ofn.lpstrDefExt = extension.c_str();
    const BOOL ok = open(&ofn);
    rethrow_held();
    if (!ok) {
        const DWORD code = error ? error() : 0;
        if (code != 0) report_failure(function, start, code);
        return false;
    }
    path = narrow(file.c_str());
    return true;
}

} // namespace

#endif

} // namespace rt
