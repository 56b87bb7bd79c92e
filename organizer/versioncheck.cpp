#ifdef _WIN32

#include "organizer/versioncheck.h"

#include "browser/Brovana.h"
#include "organizer/startup.h"
#include "organizer/texts.h"
#include "organizer/version.h"
#include "runtime/launch.h"
#include "runtime/picture.h"
#include "runtime/text.h"
#include "runtime/win32.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string_view>

namespace velquin {

namespace versioncheck {

namespace {

rt::ControlDesc control(Ctl id, rt::Kind kind, rt::Rect at, std::string text = {}, std::string icon = {},
                        Ctl parent = Ctl{}) {
    return rt::control(id, kind, at, std::move(text), std::move(icon), 0, parent);
}

// The version page's address (a test's driver may serve another).
std::string version_page() {
    return rt::page_address(VERSION_PAGE);
}

// The text without surrounding blanks and line ends, as the window shows it.
std::string_view trimmed(std::string_view s) {
    const std::string_view space = " \t\r\n";
    const auto first = s.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(space) - first + 1);
}

// Replaces the clipboard's contents with the text. Another program may hold the clipboard for a moment.
void put_on_clipboard(HWND owner, std::string_view cp949) {
    const std::wstring text = rt::wide(cp949);
    bool open = false;
    for (int attempt = 0; attempt < 20 && !(open = OpenClipboard(owner) != FALSE); ++attempt)
        Sleep(10);
    if (!open) {
        rt::report_failure("OpenClipboard", cp949);
        return;
    }
    EmptyClipboard();
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(mem), text.c_str(), bytes);
        GlobalUnlock(mem);
        if (!SetClipboardData(CF_UNICODETEXT, mem)) {
            rt::report_failure("SetClipboardData", cp949);
            GlobalFree(mem);
        }
    }
    CloseClipboard();
}

// Starts the browser with the download page without waiting for it.
void start_download() {
    rt::start_program(BROWSER, DOWNLOAD_PAGE);
}

} // namespace

rt::WindowDesc P1_WINDOW() {
    using rt::Kind;
    rt::WindowDesc w;
    w.title = k(u"[버전 확인]");
    w.font = "MS Sans Serif";
    w.font_size = 8;
    w.at = {rt::unchanged, rt::unchanged, 238, 110};
    auto& c = w.controls;
    c.push_back(
        control(Ctl::STRING8, Kind::prompt, {12, 8, 216, 10}, k(u"※ 현재 사용하시는 버전이 최신버전이 아닙니다.  ")));
    c.push_back(control(Ctl::STRING2, Kind::prompt, {12, 20, 216, 10},
                        k(u"포털 사이트의 자료실에서 최신 버전을 받으시겠습니까?")));
    c.push_back(control(Ctl::GROUP1, Kind::group_box, {12, 33, 214, 38}));
    c.push_back(control(Ctl::VERSION_PROMPT, Kind::prompt, {26, 43, 46, 10}, k(u"현재 버전 :"), {}, Ctl::GROUP1));
    c.push_back(control(Ctl::VERSION, Kind::prompt, {74, 43, 140, 10}, {}, {}, Ctl::GROUP1));
    c.push_back(control(Ctl::NEWVERSION_PROMPT, Kind::prompt, {26, 56, 46, 10}, k(u"최신 버전 :"), {}, Ctl::GROUP1));
    c.push_back(control(Ctl::NEWVERSION, Kind::prompt, {74, 56, 140, 10}, {}, {}, Ctl::GROUP1));
    c.push_back(control(Ctl::OK, Kind::button, {58, 82, 58, 20}, k(u"확인"), "WIZOK.ICO"));
    c.push_back(control(Ctl::CANCEL, Kind::button, {122, 82, 58, 20}, k(u"취소"), "WIZCNCL.ICO"));
    return w;
}

std::string download_command() {
    return rt::command_line(BROWSER, DOWNLOAD_PAGE);
}

} // namespace versioncheck

unsigned char VERSIONCHECK() {
    using versioncheck::Ctl;
    rt::Window window(versioncheck::P1_WINDOW());
    const std::string SOURCEDIR = current_folder_short();

    const std::string URLNAME = versioncheck::version_page();
    char SAVEFILENAME[255] = {};
    // Taken as unsigned: the error result -1 fails the size test like any answer that is too long.
    const auto HTMLLENGTH = static_cast<std::uint32_t>(GetHtmlLength(URLNAME.c_str(), SAVEFILENAME));
    if (HTMLLENGTH < 2 || HTMLLENGTH > 20) return 1;

    // At most HTMLLENGTH bytes of the library's text, which ends at its first NUL.
    std::string GETHTMLPAGE;
    if (const char* source = GetHtmlSource()) GETHTMLPAGE.assign(source, strnlen(source, HTMLLENGTH));
    const std::string NEWVERSION = version_from_page(GETHTMLPAGE);
    const std::string VERSION = CHECKVERSION("VELQUIN");
    // Number by number, with blanks and line ends around the announced text ignored: only a newer version is
    // offered (1.0.10.0 over 1.0.9.0 included; the same version with a line end is not).
    if (!announced_is_newer(NEWVERSION, VERSION)) return 1;

    window.set_text(Ctl::VERSION, rt::format(VERSION, "@s20"));
    window.set_text(Ctl::NEWVERSION, rt::format(versioncheck::trimmed(NEWVERSION), "@s20"));
    window.open();
    // The start folder in its long form, ready to paste where the new version is to be installed.
    versioncheck::put_on_clipboard(window.hwnd(), long_form(SOURCEDIR));

    unsigned char result = 1; // also when the window is closed otherwise
    while (const rt::Event e = window.accept()) {
        if (e.is(rt::EventKind::accepted, Ctl::OK)) {
            versioncheck::start_download();
            result = 0;
            break;
        }
        if (e.is(rt::EventKind::accepted, Ctl::CANCEL)) {
            result = 1;
            break;
        }
    }
    window.close();
    return result;
}

} // namespace velquin

#endif
