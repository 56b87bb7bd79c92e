// The body: clipboard, undo and redo with the toolbar's states, files, the size limit and the right-click menu.
#include "form.h"

#include <vector>

using namespace edtest;
using uitest::u8;

namespace {

// The driver, answering the save-as dialog as well; like the platform's dialogs, it leaves the folder `browsed`
// current when one is given.
struct FileDriver : uitest::ScriptDriver {
    std::deque<std::string> save_answers;
    std::wstring browsed;
    bool file_open(std::string_view title, std::string& path, std::string_view filter) override {
        if (!browsed.empty()) SetCurrentDirectoryW(browsed.c_str());
        return ScriptDriver::file_open(title, path, filter);
    }
    bool file_save(std::string_view, std::string& path, std::string_view) override {
        if (!browsed.empty()) SetCurrentDirectoryW(browsed.c_str());
        if (save_answers.empty()) return false;
        path = save_answers.front();
        save_answers.pop_front();
        return true;
    }
};

void empty_clipboard(HWND owner) {
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    CloseClipboard();
}

TEST(Body, ClipboardUndoAndRedoThroughTheToolbarWhichEnablesWhatCanAct) {
    // Emptied before the form opens: the toolbar reads the clipboard when the selection changes, and another
    // program may have left text on it.
    empty_clipboard(nullptr);
    Form f;
    f.set_body(L"가나다 abc");
    f.select(0, 0);
    EXPECT_FALSE(f.w.enabled(Ctl::UNDO));
    EXPECT_FALSE(f.w.enabled(Ctl::REDO));
    EXPECT_FALSE(f.w.enabled(Ctl::PASTE));

    f.select(4, 7);
    f.click(Ctl::CUT);
    EXPECT_EQ(f.body(), L"가나다 ");
    EXPECT_TRUE(f.w.enabled(Ctl::PASTE));
    EXPECT_TRUE(f.w.enabled(Ctl::UNDO));
    f.select(0, 0);
    f.click(Ctl::PASTE);
    EXPECT_EQ(f.body(), L"abc가나다 ");
    f.select(3, 5);
    f.click(Ctl::COPY);
    f.select(7, 7);
    f.click(Ctl::PASTE);
    EXPECT_EQ(f.body(), L"abc가나다 가나");

    f.click(Ctl::UNDO);
    EXPECT_EQ(f.body(), L"abc가나다 ");
    EXPECT_TRUE(f.w.enabled(Ctl::REDO));
    f.click(Ctl::REDO);
    EXPECT_EQ(f.body(), L"abc가나다 가나");
    f.click(Ctl::UNDO);
    f.click(Ctl::UNDO);
    f.click(Ctl::UNDO);
    EXPECT_EQ(f.body(), L"가나다 abc");
    EXPECT_FALSE(f.w.enabled(Ctl::UNDO));
}

// The editor's own RTF of a Korean body that takes exactly `size` bytes.
std::string korean_rtf(Form& f, size_t size) {
    std::wstring text;
    auto make = [&](size_t korean, size_t ascii) {
        text.clear();
        for (size_t i = 0; i < korean; ++i)
            text += i % 100 == 99 ? L'\r' : static_cast<wchar_t>(L'가' + i % 2000);
        text.append(ascii, L'a');
        SetWindowTextW(f.edit(), text.c_str());
        return f.ed.rtf().size();
    };
    const size_t base = make(0, 0);
    const double per_char = (static_cast<double>(make(1000, 0)) - static_cast<double>(base)) / 1000;
    size_t korean = static_cast<size_t>(static_cast<double>(size - base) / per_char);
    size_t got = make(korean, 0);
    while (got > size) {
        korean -= (got - size) / 8 + 1;
        got = make(korean, 0);
    }
    got = make(korean, size - got);
    return got == size ? f.ed.rtf() : std::string();
}

TEST(Body, AKoreanBodyOfTheFullSizeRoundTripsAndOpenAndPasteRefuseToGoOverIt) {
    Form f;
    const std::string full = korean_rtf(f, rt::rtf_body_limit - 1);
    ASSERT_EQ(full.size(), rt::rtf_body_limit - 1);
    EXPECT_NE(full.find("\\ansicpg949"), std::string::npos);
    EXPECT_NE(full.find("\\'b0\\'a1"), std::string::npos); // 가 as CP949 bytes
    f.set_body(L"");
    f.ed.set_rtf(full);
    EXPECT_TRUE(f.ed.rtf() == full) << "the full-size body did not come back byte for byte";

    uitest::TempFolder dir(L"velquin-editor");
    const std::wstring bigger = dir.file(L"큰문서.rtf");
    std::string over = full;
    over.insert(over.rfind("\\par"), "abcdefghij");
    uitest::write_bytes(bigger, over);
    empty_clipboard(f.w.hwnd());
    FileDriver d;
    d.file_answers = {rt::narrow(bigger)};
    d.message_answers = {rt::button::ok, rt::button::ok};
    {
        uitest::DriverScope scope(d);
        f.click(Ctl::OPEN);
        EXPECT_TRUE(f.ed.rtf() == full) << "an open over the limit changed the body";
        ASSERT_TRUE(OpenClipboard(f.w.hwnd()));
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, 2 * 11);
        memcpy(GlobalLock(g), L"abcdefghij", 2 * 11);
        GlobalUnlock(g);
        SetClipboardData(CF_UNICODETEXT, g);
        CloseClipboard();
        f.select(0, 0);
        f.click(Ctl::PASTE);
        EXPECT_TRUE(f.ed.rtf() == full) << "a paste over the limit changed the body";
    }
    ASSERT_EQ(d.messages.size(), 2u);
    for (const rt::MessageRequest& m : d.messages) {
        EXPECT_NE(u8(m.text).find("2,000,000"), std::string::npos) << u8(m.text);
        EXPECT_EQ(m.icon, rt::Icon::exclamation);
    }
}

DWORD CALLBACK read_in(DWORD_PTR cookie, LPBYTE buf, LONG want, LONG* got) {
    auto* rest = reinterpret_cast<std::string_view*>(cookie);
    *got = static_cast<LONG>(std::min(rest->size(), static_cast<size_t>(want)));
    memcpy(buf, rest->data(), static_cast<size_t>(*got));
    rest->remove_prefix(static_cast<size_t>(*got));
    return 0;
}

DWORD CALLBACK write_out(DWORD_PTR cookie, LPBYTE buf, LONG n, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
    *done = n;
    return 0;
}

// What the editor's control makes of RTF streamed straight into it: its text and the RTF it writes back.
struct Plain {
    std::wstring text;
    std::string rtf;
};
Plain streamed_as_is(HWND edit, const std::string& rtf) {
    std::string_view rest = rtf;
    EDITSTREAM in{reinterpret_cast<DWORD_PTR>(&rest), 0, read_in};
    SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&in));
    Plain p{uitest::text_of(edit), {}};
    EDITSTREAM out{reinterpret_cast<DWORD_PTR>(&p.rtf), 0, write_out};
    SendMessageW(edit, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&out));
    while (!p.rtf.empty() && p.rtf.back() == '\0')
        p.rtf.pop_back();
    return p;
}

// The editor loads RTF in a form of its own that keeps its formats shared (a switch to a font of its own before
// each font switch); what it shows and writes back is what the RTF streamed in as it is gives.
TEST(Body, ABodyLoadsWithTheSameTextAndFormatsAsItsRtfStreamedInAsItIs) {
    Form f;
    const std::string head = "{\\rtf1\\ansi\\ansicpg949\\deff0{\\fonttbl{\\f0\\fnil\\fcharset129 Gulim;}"
                             "{\\f1\\froman\\fcharset0{\\*\\panose 02020603050405020304} Times New Roman;}"
                             "{\\f2\\fnil\\fcharset129 Dotum;}}"
                             "{\\colortbl ;\\red255\\green0\\blue0;}"
                             "{\\stylesheet{\\s1\\f2\\fs28 Heading;}}\\uc1\\pard\\f0\\fs20 ";
    std::string lines;
    for (int i = 0; i < 60; ++i)
        lines += "\\f" + std::to_string(i % 3) + (i % 2 ? "\\fs24 " : "\\fs20 ") + K(u"본문 줄") + std::to_string(i) +
                 "\\par\n";
    const std::vector<std::pair<const char*, std::string>> bodies = {
        {"fonts by line", head + lines + "}"},
        {"a switch right after Korean bytes", head + K(u"가나") + "\\f1 ab\\f2 " + K(u"다라") + "\\f0\\par}"},
        {"a font the table lacks", head + "a\\f7 b\\f1 c\\f7 " + K(u"한글") + "\\par}"},
        {"escapes that look like switches", head + "\\\\f1 \\{\\f2 x\\} \\'5cf1 \\u54620? \\b bold\\b0\\par}"},
        {"groups and colour", head + "{\\f2\\cf1 " + K(u"빨강") + "}\\f1 after{\\i\\f0 it}\\par}"},
        {"no font table", "{\\rtf1\\ansi\\ansicpg949 plain\\f0  text\\par}"},
    };
    for (const auto& [what, rtf] : bodies) {
        f.set_body(L"");
        const Plain want = streamed_as_is(f.edit(), rtf);
        ASSERT_FALSE(want.text.empty()) << what;
        f.set_body(L"");
        f.ed.set_rtf(rtf);
        EXPECT_EQ(f.body(), want.text) << what;
        const std::string got = f.ed.rtf();
        EXPECT_TRUE(got == want.rtf) << what << "\n" << got << "\n" << want.rtf;
        EXPECT_EQ(got.find("Filler"), std::string::npos) << what;
    }
}

// Bodies as other writers make them. The editor's load shows and writes back what the RTF streamed in as it is
// gives, and where the control reads the RTF right, the text the writer meant. Known losses of the platform's
// control under Wine, marked below, are not ours: it shows the bytes of binary data and loses what follows them
// when they hold a brace, and it drops the shown text of fields.
TEST(Body, BodiesOfOtherWritersLoadAsTheirRtfStreamedInAsItIs) {
    Form f;
    const std::string zh = "\\'d6\\'d0\\'ce\\'c4"; // 中文 in code page 936
    const std::wstring zh_text(L"\u4E2D\u6587");
    const struct {
        const char* what;
        std::string rtf;
        const wchar_t* text; // what the writer meant; nullptr where the platform reads it otherwise
    } bodies[] = {
        {"charset 134",
         "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}\\f0 " + zh + zh + zh + zh + zh +
             "\\par}",
         nullptr},
        {"charset 134 between Latin fonts",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
         "\\f0 a\\f1 " +
             zh + "\\f0 b\\par}",
         nullptr},
        {"a switch before the font table",
         "{\\rtf1\\ansi\\ansicpg936\\f0{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}{\\f1\\fnil\\fcharset0 Arial;}}"
         "\\f0 " +
             zh + "\\f1  x\\par}",
         nullptr},
        {"a switch before the font table, no closing brace",
         "{\\rtf1\\ansi\\f1{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}{\\f1\\fnil\\fcharset0 Arial;}}\\f0 " + zh +
             "\\f1  x",
         nullptr},
        {"code page 437 named",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
         "{\\f1\\fmodern\\fcharset255\\cpg437 Terminal;}}\\f1 \\'f1\\'f2\\'f3\\f0  x\\par}",
         L"\u00B1\u2265\u2264 x"},
        // Charset 255 alone is the OEM code page, on a Korean system 949: the platform's reading.
        {"charset 255",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
         "{\\f1\\fmodern\\fcharset255 Terminal;}}\\f1 \\'f1\\'f2\\f0  x\\par}",
         nullptr},
        // The platform: binary data.
        {"binary data in a picture",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset0 "
         "Courier;}}\\f1 one {\\pict\\pngblip\\bin3 \\'d}two \\f0 three\\par}",
         nullptr},
        {"binary data skipped",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\\f0 one {\\*\\x\\bin3 abc}two"
         "\\par}",
         L"one two"},
        // The platform: fields lose their shown text.
        {"a link field",
         "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset0 Courier;}}\\f0 "
         "see {\\field{\\*\\fldinst{HYPERLINK \"http://example.invalid/\"}}{\\fldrslt{\\f1\\ul link}}}"
         "\\f0  end\\par}",
         nullptr},
    };
    for (const auto& b : bodies) {
        f.set_body(L"");
        const Plain want = streamed_as_is(f.edit(), b.rtf);
        f.set_body(L"");
        f.ed.set_rtf(b.rtf);
        EXPECT_EQ(f.body(), want.text) << b.what;
        if (b.text) EXPECT_EQ(f.body(), b.text) << b.what;
        const std::string got = f.ed.rtf();
        EXPECT_TRUE(got == want.rtf) << b.what << "\n" << got << "\n" << want.rtf;
    }
    f.set_body(L"");
    f.ed.set_rtf(bodies[0].rtf);
    EXPECT_EQ(f.body(), zh_text + zh_text + zh_text + zh_text + zh_text) << "ten characters of charset 134";
}

std::wstring current_folder() {
    wchar_t now[MAX_PATH];
    return GetCurrentDirectoryW(MAX_PATH, now) ? std::wstring(now) : std::wstring();
}

// The dialogs browse another folder; the current one, where the settings file is looked for, stays as it was.
TEST(Body, OpensRtfAndKoreanTextFilesAndSavesAsRtfAndKeepsTheCurrentFolder) {
    Form f;
    uitest::TempFolder dir(L"velquin-editor-files");
    const std::wstring text = dir.file(L"메모.txt"), saved = dir.file(L"저장.rtf");
    uitest::write_bytes(text, K(u"한글 메모\r\n둘째 줄"));
    FileDriver d;
    d.file_answers = {rt::narrow(text), rt::narrow(saved)};
    d.save_answers = {rt::narrow(saved)};
    d.browsed = dir.path();
    const std::wstring start = current_folder();
    ASSERT_NE(start, dir.path());
    uitest::DriverScope scope(d);
    f.click(Ctl::OPEN);
    EXPECT_EQ(f.body(), L"한글 메모\r\n둘째 줄");
    EXPECT_EQ(current_folder(), start) << "after 불러오기";
    f.select(0, 2);
    f.click(Ctl::BOLD);
    const std::string rtf = f.ed.rtf();
    f.click(Ctl::SAVE);
    EXPECT_EQ(uitest::read_bytes(saved), rtf);
    EXPECT_EQ(current_folder(), start) << "after 다른이름으로 저장";
    f.set_body(L"");
    f.click(Ctl::OPEN);
    EXPECT_EQ(f.ed.rtf(), rtf);
    ASSERT_EQ(d.file_dialogs.size(), 2u);
    EXPECT_EQ(u8(d.file_dialogs[0]), "불러오기");
    d.file_answers = {""}; // cancelled
    f.click(Ctl::OPEN);
    EXPECT_EQ(current_folder(), start) << "after a cancelled 불러오기";
}

TEST(Body, TheRightClickMenuHasTheStandardEntriesAndTheOwnersAfterThem) {
    Form f;
    f.set_body(L"가나다 abc");
    f.select(0, 0);
    f.ed.extra_menu = K(u"메모 추가");
    uitest::ScriptDriver d;
    d.popup_answers = {7, 8};
    uitest::DriverScope scope(d);
    SendMessageW(f.edit(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    CHARRANGE all{};
    SendMessageW(f.edit(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&all));
    SendMessageW(f.edit(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(d.popups.size(), 2u);
    std::vector<std::string> items;
    for (const std::string& s : d.popups[0])
        items.push_back(u8(s));
    const std::vector<std::string> want = {"실행 취소", "다시 실행", "잘라내기",  "복사",
                                           "붙여넣기",  "삭제",      "모두 선택", "메모 추가"};
    EXPECT_EQ(items, want);
    EXPECT_EQ(all.cpMin, 0);
    EXPECT_GE(all.cpMax, 7); // the whole text, its closing paragraph mark too
    EXPECT_EQ(f.ed.extra_chosen, 1);
}

} // namespace
