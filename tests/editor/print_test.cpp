// The body printed through the toolbar's print button to the file printer of the test prefix, and what the user is
// told when nothing can be printed.
#include "form.h"

#include "tests/ui/fileprinter.h"

#include <cstdio>
#include <vector>

using namespace edtest;
using uitest::u8;

namespace {

// The driver, answering the print dialog as well.
struct PrinterDriver : uitest::ScriptDriver {
    std::deque<std::string> printers; // the chosen printers ("" the default); none left cancels the dialog
    bool printer(std::string& name) override {
        if (printers.empty()) return false;
        name = printers.front();
        printers.pop_front();
        return true;
    }
};

// A body of `lines` paragraphs of Korean text in 12-point Gulim, each ending in its number.
std::string korean_lines(int lines) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg949\\deff0{\\fonttbl{\\f0\\fcharset129 " + K(u"굴림") + ";}}\\f0\\fs24 ";
    for (int i = 1; i <= lines; ++i)
        rtf += K(u"한글 본문 인쇄 줄 ") + std::to_string(i) + "\\par ";
    return rtf + "}";
}

// The printer's PostScript draws each glyph by its index in the font ("/g0ad8 glyphshow"): the indices drawn on
// each page, in order.
std::vector<std::vector<unsigned>> glyphs_by_page(const std::string& ps) {
    std::vector<std::vector<unsigned>> pages;
    for (std::size_t at = 0; (at = ps.find('\n', at)) != std::string::npos; ++at) {
        unsigned g = 0;
        char rest[16] = "";
        if (ps.compare(at + 1, 8, "%%Page: ") == 0) pages.emplace_back();
        if (!pages.empty() && std::sscanf(ps.c_str() + at + 1, "/g%4x %15s", &g, rest) == 2 &&
            std::string(rest) == "glyphshow")
            pages.back().push_back(g);
    }
    return pages;
}

// How many times a text is drawn in a list of glyph indices of the font face.
std::size_t times_drawn(const std::vector<unsigned>& drawn, const wchar_t* face, std::wstring_view text) {
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -16;
    lf.lfCharSet = HANGUL_CHARSET;
    lstrcpyW(lf.lfFaceName, face);
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    std::vector<WORD> want(text.size());
    GetGlyphIndicesW(dc, text.data(), static_cast<int>(text.size()), want.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    std::size_t n = 0;
    for (std::size_t i = 0; i + want.size() <= drawn.size(); ++i)
        n += std::equal(want.begin(), want.end(), drawn.begin() + static_cast<std::ptrdiff_t>(i));
    return n;
}

TEST(Print, AKoreanBodyOfThreePagesReachesThePrinterEveryLineOnce) {
    uitest::TempFolder dir(L"velquin-editor-print");
    const std::wstring out = dir.file(L"printed.ps");
    uitest::FilePrinter printer(out);
    Form f;
    // 120 lines of 12-point text: three pages on letter or A4 paper for any line height from 13 to 18 points.
    ASSERT_TRUE(f.ed.set_rtf(korean_lines(120)));
    PrinterDriver d;
    d.printers = {""};
    {
        uitest::DriverScope scope(d);
        f.click(Ctl::PRINT);
    }
    EXPECT_TRUE(d.messages.empty());
    const auto pages = glyphs_by_page(uitest::read_bytes(out));
    ASSERT_EQ(pages.size(), 3u);
    std::size_t lines = 0;
    for (const auto& page : pages) {
        const std::size_t on_page = times_drawn(page, L"굴림", L"인쇄");
        EXPECT_GT(on_page, 0u) << "a page without the body's text";
        lines += on_page;
    }
    EXPECT_EQ(lines, 120u) << "lines lost or printed twice at the page ends";
    EXPECT_EQ(times_drawn(pages[2], L"굴림", L"줄 120"), 1u) << "the last line is not on the last page";
}

TEST(Print, NothingPrintedIsToldInKoreanAndACancelledDialogPrintsNothing) {
    struct Case {
        const char* name;
        bool printer_installed;
        const wchar_t* port;            // the file printer's output, under the test's folder
        std::deque<std::string> answer; // the print dialog's answer
        const char16_t* message;        // what the user is told; none when nullptr
    };
    const Case cases[] = {
        {"cancelled", true, L"printed.ps", {}, nullptr},
        {"no printer installed",
         false,
         L"printed.ps",
         {""},
         u"설치된 프린터가 없어 인쇄하지 못했습니다.|프린터를 설치한 뒤 다시 인쇄하십시오."},
        {"a printer that is not there",
         true,
         L"printed.ps",
         {"Velquin No Such Printer"},
         u"설치된 프린터가 없어 인쇄하지 못했습니다.|프린터를 설치한 뒤 다시 인쇄하십시오."},
        {"a printer that refuses the job",
         true,
         L"missing folder\\printed.ps",
         {""},
         u"프린터로 보내지 못해 인쇄하지 못했습니다.|프린터의 상태를 확인하십시오."},
    };
    uitest::TempFolder dir(L"velquin-editor-noprint");
    Form f;
    ASSERT_TRUE(f.ed.set_rtf(korean_lines(3)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring out = dir.file(c.port);
        DeleteFileW(out.c_str());
        std::unique_ptr<uitest::FilePrinter> printer;
        if (c.printer_installed)
            printer = std::make_unique<uitest::FilePrinter>(out);
        else
            uitest::remove_test_printer();
        PrinterDriver d;
        d.printers = c.answer;
        if (c.message) d.message_answers = {rt::button::ok};
        {
            uitest::DriverScope scope(d);
            f.click(Ctl::PRINT);
        }
        EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES) << "something was printed";
        ASSERT_EQ(d.messages.size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(u8(d.messages[0].text), u8(K(c.message)));
            EXPECT_EQ(u8(d.messages[0].caption), "인쇄");
            EXPECT_EQ(d.messages[0].icon, rt::Icon::exclamation);
        }
    }
}

} // namespace
