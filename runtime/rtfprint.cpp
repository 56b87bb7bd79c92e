// Printing the editor's body: the print dialog, the message when nothing could be printed, and the pages. The
// rich-text control formats the pages itself where it can; where it cannot (Wine's has no page formatting), the
// pages are laid out here from a hidden copy of the body, paragraph by paragraph, with each run's font and colours
// and the paragraph's alignment, indents, spacing and bullets.
#ifdef _WIN32

#include "runtime/rtfcontrol.h"

#include "runtime/prompt.h"
#include "runtime/report.h"
#include "runtime/rtfcopy.h"
#include "runtime/text.h"

#include <cderr.h>
#include <commdlg.h>
#include <richedit.h>
#include <winspool.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

namespace rt {

namespace {

// The paper of a printer DC: the area inside half-inch margins, in device pixels from the DC's origin.
struct Paper {
    HDC dc;
    int dpi_x, dpi_y;
    RECT area;
};

Paper paper_of(HDC dc) {
    Paper p{dc, GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY), {}};
    const int x = GetDeviceCaps(dc, PHYSICALOFFSETX), y = GetDeviceCaps(dc, PHYSICALOFFSETY);
    p.area = {p.dpi_x / 2 - x, p.dpi_y / 2 - y, GetDeviceCaps(dc, PHYSICALWIDTH) - p.dpi_x / 2 - x,
              GetDeviceCaps(dc, PHYSICALHEIGHT) - p.dpi_y / 2 - y};
    return p;
}

long text_length(HWND edit) {
    GETTEXTLENGTHEX g{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<long>(SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&g), 0));
}

enum class Formatted { printed, failed, unsupported };

// The pages as the control formats them; unsupported, with nothing printed, when it formats no page.
Formatted format_pages(HWND edit, const Paper& p) {
    const auto tx = [&](int px) { return MulDiv(px, 1440, p.dpi_x); };
    const auto ty = [&](int px) { return MulDiv(px, 1440, p.dpi_y); };
    const RECT rc{tx(p.area.left), ty(p.area.top), tx(p.area.right), ty(p.area.bottom)};
    FORMATRANGE fr{};
    fr.hdc = fr.hdcTarget = p.dc;
    fr.rcPage = {0, 0, tx(GetDeviceCaps(p.dc, PHYSICALWIDTH)), ty(GetDeviceCaps(p.dc, PHYSICALHEIGHT))};
    fr.rc = rc;
    fr.chrg = {0, -1};
    // Character positions count a paragraph mark as one, as the control's page ends do.
    const long length = text_length(edit);
    const auto first = SendMessageW(edit, EM_FORMATRANGE, FALSE, reinterpret_cast<LPARAM>(&fr));
    SendMessageW(edit, EM_FORMATRANGE, FALSE, 0);
    if (length > 0 && first <= 0) return Formatted::unsupported;
    bool ok = true;
    do {
        fr.rc = rc; // the control may leave the height it used in it
        ok = StartPage(p.dc) > 0;
        const auto next = ok ? SendMessageW(edit, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&fr)) : 0;
        ok = ok && EndPage(p.dc) > 0;
        if (!ok || next <= fr.chrg.cpMin) break;
        fr.chrg.cpMin = static_cast<LONG>(next);
    } while (fr.chrg.cpMin < length);
    SendMessageW(edit, EM_FORMATRANGE, FALSE, 0);
    return ok ? Formatted::printed : Formatted::failed;
}

// A stretch of a paragraph in one character format.
struct Run {
    std::wstring text;
    CHARFORMAT2W cf;
};

struct Paragraph {
    std::vector<Run> runs;
    CHARFORMAT2W mark; // the format of its paragraph mark: the height of an empty paragraph
    PARAFORMAT2 pf;
};

CHARFORMAT2W format_of(HWND edit, long from, long to) {
    CHARRANGE r{from, to};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

constexpr DWORD run_mask = CFM_FACE | CFM_CHARSET | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT |
                           CFM_COLOR | CFM_BACKCOLOR;

// The paragraphs of a control's text. Runs are found by growing a stretch while the control reports one format
// for it, doubling and then halving, so that long runs cost a few calls each.
std::vector<Paragraph> paragraphs_of(HWND edit, long length) {
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GETTEXTEX gt{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    const auto n =
        SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(text.data()));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    const long size = static_cast<long>(text.size());
    std::vector<Paragraph> out;
    for (long start = 0;;) {
        long end = start;
        while (end < size && text[static_cast<size_t>(end)] != L'\r' && text[static_cast<size_t>(end)] != L'\n')
            ++end;
        Paragraph para;
        para.mark = format_of(edit, end, end + 1);
        para.pf.cbSize = sizeof para.pf;
        SendMessageW(edit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&para.pf));
        for (long a = start; a < end;) {
            const CHARFORMAT2W cf = format_of(edit, a, a + 1);
            const DWORD full = cf.dwMask & run_mask;
            auto one_format = [&](long to) { return (format_of(edit, a, to).dwMask & full) == full; };
            long good = a + 1, bad = end + 1;
            while (good < end && one_format(std::min(end, a + 2 * (good - a)))) {
                good = std::min(end, a + 2 * (good - a));
            }
            if (good < end) bad = std::min(end, a + 2 * (good - a));
            while (bad - good > 1) {
                const long mid = good + (bad - good) / 2;
                (one_format(mid) ? good : bad) = mid;
            }
            para.runs.push_back({text.substr(static_cast<size_t>(a), static_cast<size_t>(good - a)), cf});
            a = good;
        }
        out.push_back(std::move(para));
        if (end >= size) break;
        start = end + 1;
    }
    return out;
}

std::wstring roman(int n) {
    static const std::pair<int, const wchar_t*> parts[] = {
        {1000, L"m"}, {900, L"cm"}, {500, L"d"}, {400, L"cd"}, {100, L"c"}, {90, L"xc"}, {50, L"l"},
        {40, L"xl"},  {10, L"x"},   {9, L"ix"},  {5, L"v"},    {4, L"iv"},  {1, L"i"}};
    std::wstring s;
    for (auto [value, text] : parts)
        for (; n >= value; n -= value)
            s += text;
    return s;
}

// The label of a numbered or bulleted paragraph: the bullet, or the number n in the paragraph's style.
std::wstring label(const PARAFORMAT2& pf, int n) {
    std::wstring s;
    switch (pf.wNumbering) {
    case PFN_BULLET:
        return L"\x2022";
    case PFN_ARABIC:
        s = std::to_wstring(n);
        break;
    case PFN_LCLETTER:
    case PFN_UCLETTER:
        s.assign(static_cast<size_t>((n - 1) / 26 + 1), static_cast<wchar_t>(L'a' + (n - 1) % 26));
        break;
    case PFN_LCROMAN:
    case PFN_UCROMAN:
        s = roman(n);
        break;
    default:
        return {};
    }
    if (pf.wNumbering == PFN_UCLETTER || pf.wNumbering == PFN_UCROMAN) CharUpperW(s.data());
    switch (pf.wNumberingStyle & 0xF00) {
    case PFNS_PAREN:
        return s + L")";
    case PFNS_PARENS:
        return L"(" + s + L")";
    case PFNS_PLAIN:
        return s;
    case PFNS_NONUMBER:
        return {};
    default:
        return s + L".";
    }
}

// Lays paragraphs out on the pages of a printer DC and draws them, opening pages as they fill.
class PageWriter {
public:
    explicit PageWriter(const Paper& p) : p_(p), y_(p.area.top) {}
    ~PageWriter() { SelectObject(p_.dc, GetStockObject(SYSTEM_FONT)); }
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    bool paragraph(const Paragraph& para, int number);
    bool finish() { return ok_ && (open_ || next_page()) && EndPage(p_.dc) > 0; }

private:
    struct Font {
        UniqueFont font;
        int ascent = 0, descent = 0;
    };
    struct Piece {
        const CHARFORMAT2W* cf;
        std::wstring text;
        int width;
    };
    const Font& font(const CHARFORMAT2W& cf);
    int width(const CHARFORMAT2W& cf, std::wstring_view text);
    bool line(const std::vector<Piece>& pieces, const CHARFORMAT2W& mark, int left, int right, WORD align,
              const std::wstring& label, int label_left);
    bool next_page();
    int px_x(long twips) const { return MulDiv(twips, p_.dpi_x, 1440); }
    int px_y(long twips) const { return MulDiv(twips, p_.dpi_y, 1440); }

    const Paper& p_;
    int y_;
    bool open_ = false, ok_ = true;
    std::map<std::tuple<std::wstring, int, LONG, DWORD>, Font> fonts_;
};

const PageWriter::Font& PageWriter::font(const CHARFORMAT2W& cf) {
    const DWORD effects = cf.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT);
    Font& f = fonts_[{cf.szFaceName, cf.bCharSet, cf.yHeight, effects}];
    if (!f.font) {
        LOGFONTW lf{};
        lf.lfHeight = -px_y(cf.yHeight > 0 ? cf.yHeight : 200);
        lf.lfWeight = effects & CFE_BOLD ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (effects & CFE_ITALIC) != 0;
        lf.lfUnderline = (effects & CFE_UNDERLINE) != 0;
        lf.lfStrikeOut = (effects & CFE_STRIKEOUT) != 0;
        lf.lfCharSet = cf.bCharSet;
        lstrcpynW(lf.lfFaceName, cf.szFaceName, LF_FACESIZE);
        f.font.reset(CreateFontIndirectW(&lf));
        TEXTMETRICW tm{};
        Selected in_use(p_.dc, f.font.get());
        GetTextMetricsW(p_.dc, &tm);
        f.ascent = tm.tmAscent;
        f.descent = tm.tmDescent + tm.tmExternalLeading;
    }
    return f;
}

int PageWriter::width(const CHARFORMAT2W& cf, std::wstring_view text) {
    SIZE s{};
    Selected in_use(p_.dc, font(cf).font.get());
    GetTextExtentPoint32W(p_.dc, text.data(), static_cast<int>(text.size()), &s);
    return s.cx;
}

bool PageWriter::next_page() {
    if (open_ && EndPage(p_.dc) <= 0) return ok_ = false;
    open_ = StartPage(p_.dc) > 0;
    y_ = p_.area.top;
    return ok_ = open_;
}

bool PageWriter::line(const std::vector<Piece>& pieces, const CHARFORMAT2W& mark, int left, int right, WORD align,
                      const std::wstring& label, int label_left) {
    int ascent = 0, descent = 0, used = 0;
    for (const Piece& piece : pieces) {
        const Font& f = font(*piece.cf);
        ascent = std::max(ascent, f.ascent);
        descent = std::max(descent, f.descent);
        used += piece.width;
    }
    if (pieces.empty()) {
        ascent = font(mark).ascent;
        descent = font(mark).descent;
    }
    if (!open_ || (y_ + ascent + descent > p_.area.bottom && y_ > p_.area.top)) {
        if (!next_page()) return false;
    }
    const int baseline = y_ + ascent;
    int x = align == PFA_RIGHT ? right - used : align == PFA_CENTER ? left + (right - left - used) / 2 : left;
    SetTextAlign(p_.dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    auto draw = [&](const CHARFORMAT2W& cf, const std::wstring& text, int at) {
        SelectObject(p_.dc, font(cf).font.get());
        SetTextColor(p_.dc, cf.dwEffects & CFE_AUTOCOLOR ? RGB(0, 0, 0) : cf.crTextColor);
        const bool back = (cf.dwMask & CFM_BACKCOLOR) && !(cf.dwEffects & CFE_AUTOBACKCOLOR);
        SetBkMode(p_.dc, back ? OPAQUE : TRANSPARENT);
        if (back) SetBkColor(p_.dc, cf.crBackColor);
        TextOutW(p_.dc, at, baseline, text.data(), static_cast<int>(text.size()));
    };
    if (!label.empty()) draw(pieces.empty() ? mark : *pieces.front().cf, label, label_left);
    for (const Piece& piece : pieces) {
        draw(*piece.cf, piece.text, x);
        x += piece.width;
    }
    y_ += ascent + descent;
    return true;
}

bool PageWriter::paragraph(const Paragraph& para, int number) {
    const PARAFORMAT2& pf = para.pf;
    const bool numbered = (pf.dwMask & PFM_NUMBERING) && pf.wNumbering;
    const WORD align = pf.dwMask & PFM_ALIGNMENT ? pf.wAlignment : PFA_LEFT;
    const int start = p_.area.left + px_x(pf.dxStartIndent), right = p_.area.right - px_x(pf.dxRightIndent);
    const int tab = numbered ? px_x(pf.wNumberingTab > 0 ? pf.wNumberingTab : 360) : 0;
    if (pf.dwMask & PFM_SPACEBEFORE) y_ += px_y(pf.dySpaceBefore);
    // Words end after their blanks; a word wider than the line is broken between characters.
    std::vector<Piece> pieces;
    int used = 0;
    bool first = true;
    std::wstring text_label = numbered ? label(pf, number) : std::wstring();
    auto left = [&] { return start + tab + (first ? 0 : px_x(pf.dxOffset)); };
    auto flush = [&] {
        const bool done = line(pieces, para.mark, left(), right, align, first ? text_label : std::wstring(), start);
        pieces.clear();
        used = 0;
        first = false;
        return done;
    };
    for (const Run& run : para.runs) {
        for (size_t at = 0; at < run.text.size();) {
            size_t end = run.text.find(L' ', at);
            end = end == std::wstring::npos ? run.text.size() : run.text.find_first_not_of(L' ', end);
            if (end == std::wstring::npos) end = run.text.size();
            std::wstring word = run.text.substr(at, end - at);
            int w = width(run.cf, word);
            if (used + w > right - left() && !pieces.empty() && !flush()) return false;
            while (w > right - left() && word.size() > 1) {
                int fit = 0;
                SIZE s{};
                Selected in_use(p_.dc, font(run.cf).font.get());
                GetTextExtentExPointW(p_.dc, word.data(), static_cast<int>(word.size()), right - left(), &fit, nullptr,
                                      &s);
                fit = std::max(fit, 1);
                pieces.push_back({&run.cf, word.substr(0, static_cast<size_t>(fit)), 0});
                pieces.back().width = width(run.cf, pieces.back().text);
                if (!flush()) return false;
                word.erase(0, static_cast<size_t>(fit));
                w = width(run.cf, word);
            }
            pieces.push_back({&run.cf, std::move(word), w});
            used += w;
            at = end;
        }
    }
    if (!flush()) return false;
    if (pf.dwMask & PFM_SPACEAFTER) y_ += px_y(pf.dySpaceAfter);
    return true;
}

// The pages laid out here from a copy of the body.
bool lay_out_pages(HWND like, std::string_view rtf, const Paper& p) {
    RichTextCopy copy(like, rtf);
    if (!copy.handle()) return false;
    PageWriter pages(p);
    int number = 0;
    WORD numbering = 0;
    for (const Paragraph& para : paragraphs_of(copy.handle(), copy.length())) {
        const WORD now = para.pf.dwMask & PFM_NUMBERING ? para.pf.wNumbering : 0;
        number = now && now == numbering
                     ? number + 1
                     : (para.pf.dwMask & PFM_NUMBERINGSTART && para.pf.wNumberingStart ? para.pf.wNumberingStart : 1);
        numbering = now;
        if (!pages.paragraph(para, number)) return false;
    }
    return pages.finish();
}

// A DC for the named printer (blank: the default printer), or why there is none.
UniqueDC printer_dc(std::string name, PrintResult& refused) {
    std::wstring w = wide(name);
    if (w.empty()) {
        wchar_t buf[256];
        DWORD n = 256;
        if (!GetDefaultPrinterW(buf, &n)) {
            refused = PrintResult::no_printer;
            return {};
        }
        w = buf;
    }
    HANDLE h = nullptr;
    if (!OpenPrinterW(w.data(), &h, nullptr)) {
        refused = PrintResult::no_printer;
        return {};
    }
    ClosePrinter(h);
    UniqueDC dc(CreateDCW(L"WINSPOOL", w.c_str(), nullptr, nullptr));
    if (!dc) {
        report_failure("CreateDCW", narrow(w));
        refused = PrintResult::failed;
    }
    return dc;
}

} // namespace

void RTFCONTROLCLASS::PRINTDOCUMENT() {
    if (!edit_) return;
    PrintResult result = PrintResult::printed;
    UniqueDC dc;
    if (Driver* d = installed_driver()) {
        std::string printer;
        if (!d->printer(printer)) return;
        dc = printer_dc(printer, result);
    } else {
        PRINTDLGW pd{};
        pd.lStructSize = sizeof pd;
        pd.hwndOwner = window();
        // No warning of the dialog's own: a missing printer is told below, as every failure is.
        pd.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOWARNING;
        // The common dialogs library is loaded on first use, as for the file dialogs.
        using PrintFn = BOOL(WINAPI*)(LPPRINTDLGW);
        using ErrorFn = DWORD(WINAPI*)();
        static HMODULE dlg = LoadLibraryW(L"comdlg32.dll");
        auto print =
            dlg ? reinterpret_cast<PrintFn>(reinterpret_cast<void*>(GetProcAddress(dlg, "PrintDlgW"))) : nullptr;
        auto error =
            dlg ? reinterpret_cast<ErrorFn>(reinterpret_cast<void*>(GetProcAddress(dlg, "CommDlgExtendedError")))
                : nullptr;
        if (!print || !print(&pd)) {
            const DWORD code = error ? error() : CDERR_INITIALIZATION;
            if (code == 0) return; // cancelled
            result =
                code == PDERR_NODEFAULTPRN || code == PDERR_NODEVICES ? PrintResult::no_printer : PrintResult::failed;
        }
        dc.reset(pd.hDC);
        if (pd.hDevMode) GlobalFree(pd.hDevMode);
        if (pd.hDevNames) GlobalFree(pd.hDevNames);
    }
    if (dc) {
        if (!PRINTRTF(dc.get(), file_name_.empty() ? std::string("RTF") : file_name_)) result = PrintResult::failed;
    }
    print_failure_message(result);
}

bool RTFCONTROLCLASS::PRINTRTF(HDC printer, std::string_view document_name) {
    if (!edit_ || !printer) return false;
    const std::wstring name = wide(document_name);
    DOCINFOW di{};
    di.cbSize = sizeof di;
    di.lpszDocName = name.c_str();
    if (StartDocW(printer, &di) <= 0) {
        report_failure("StartDocW", document_name);
        return false;
    }
    const Paper paper = paper_of(printer);
    Formatted done = format_pages(edit_, paper);
    if (done == Formatted::unsupported)
        done = lay_out_pages(edit_, rtf(), paper) ? Formatted::printed : Formatted::failed;
    if (done == Formatted::printed && EndDoc(printer) > 0) return true;
    AbortDoc(printer);
    return false;
}

} // namespace rt

#endif
