// The report engine: bands drawn into one enhanced metafile per page, in thousandths of an inch.
#ifdef _WIN32

#include "runtime/report.h"

#include "runtime/prompt.h"

#include <winspool.h>

#include <algorithm>
#include <memory>

namespace rt {

namespace {

// The longest page file name: the folder, a backslash, up to seven digits and ".emf".
constexpr std::size_t longest_page_name = 1 + 7 + 4;

// A folder of its own under the temporary folder (its short form when that is shorter), made now; empty when
// none can be made or its page names would not fit the queue's field.
std::string make_folder(std::string& error) {
    wchar_t temp[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) {
        error = "no temporary folder";
        return {};
    }
    wchar_t short_form[MAX_PATH + 1];
    const DWORD s = GetShortPathNameW(temp, short_form, MAX_PATH + 1);
    std::string base = narrow(s > 0 && s < n ? short_form : temp);
    if (!base.empty() && base.back() != '\\') base += '\\';
    const DWORD pid = GetCurrentProcessId();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[32];
        wsprintfA(name, "VQ%lX_%d", static_cast<unsigned long>(pid), attempt);
        const std::string folder = base + name;
        if (folder.size() + longest_page_name > sizeof(PageImage::PAGEIMAGE)) {
            error = "the temporary folder's path is too long for page names: " + base;
            return {};
        }
        if (CreateDirectoryW(wide(folder).c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            report_failure("CreateDirectoryW", folder);
            error = "the folder for the page images could not be made: " + folder;
            return {};
        }
    }
    error = "no free folder name for the page images";
    return {};
}

// The printer's own settings, turned to the report's orientation and to A4 when the page fits on it (else paper of
// the page's own size); empty when the printer gives none.
std::unique_ptr<char[]> printer_mode(wchar_t* printer, HANDLE hp, const ReportLayout& layout) {
    const LONG size = DocumentPropertiesW(nullptr, hp, printer, nullptr, nullptr, 0);
    if (size <= 0) return {};
    std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(size)]);
    auto* mode = reinterpret_cast<DEVMODEW*>(buffer.get());
    if (DocumentPropertiesW(nullptr, hp, printer, mode, nullptr, DM_OUT_BUFFER) != IDOK) return {};
    mode->dmFields |= DM_ORIENTATION;
    mode->dmOrientation = layout.landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    const int longer = std::max(layout.page_width, layout.page_height);
    const int shorter = std::min(layout.page_width, layout.page_height);
    if (longer <= 11700 && shorter <= 8270) {
        mode->dmFields |= DM_PAPERSIZE;
        mode->dmPaperSize = DMPAPER_A4;
    } else {
        mode->dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH; // tenths of a millimetre
        mode->dmPaperWidth = static_cast<short>(MulDiv(shorter, 254, 1000));
        mode->dmPaperLength = static_cast<short>(MulDiv(longer, 254, 1000));
    }
    DocumentPropertiesW(nullptr, hp, printer, mode, mode, DM_IN_BUFFER | DM_OUT_BUFFER);
    return buffer;
}

} // namespace

Report::Report(ReportLayout layout) : layout_(std::move(layout)) {}

Report::~Report() {
    if (is_open()) {
        flush_ = false;
        close();
    }
}

bool Report::open(PageImageQueue& pages) {
    if (is_open()) return true;
    error_.clear();
    folder_ = make_folder(error_);
    if (folder_.empty()) return false;
    pages_ = &pages;
    page_ = 0;
    write_failed_ = false;
    return true;
}

ReportControl* Report::find(Id control) {
    for (ReportControl& c : layout_.controls)
        if (c.id == control.value) return &c;
    return nullptr;
}

const ReportControl* Report::find(Id control) const {
    for (const ReportControl& c : layout_.controls)
        if (c.id == control.value) return &c;
    return nullptr;
}

int Report::x(Id control) const {
    const ReportControl* c = find(control);
    return c ? c->x : 0;
}
int Report::width(Id control) const {
    const ReportControl* c = find(control);
    return c ? c->width : 0;
}
bool Report::hidden(Id control) const {
    const ReportControl* c = find(control);
    return c && c->hidden;
}
void Report::set_x(Id control, int x) {
    if (ReportControl* c = find(control)) c->x = x;
}
void Report::set_width(Id control, int width) {
    if (ReportControl* c = find(control)) c->width = width;
}
void Report::set_hidden(Id control, bool hidden) {
    if (ReportControl* c = find(control)) c->hidden = hidden;
}
void Report::set_page_size(int width, int height) {
    layout_.page_width = width;
    layout_.page_height = height;
}
void Report::set_landscape(bool on) {
    layout_.landscape = on;
}

std::size_t Report::band_index(ReportKind kind) const {
    for (std::size_t i = 0; i < layout_.controls.size(); ++i)
        if (layout_.controls[i].kind == kind) return i;
    return layout_.controls.size();
}

// The body ends at its own bottom, or higher where the page (less its footer) ends first.
int Report::body_bottom() const {
    const std::size_t f = band_index(ReportKind::footer);
    const int footer = f < layout_.controls.size() ? layout_.controls[f].height : 0;
    return std::min(layout_.body.y + layout_.body.h, layout_.page_height - footer);
}

void Report::start_page() {
    ++page_;
    char name[16];
    wsprintfA(name, "\\%ld.emf", page_);
    const std::string file = folder_ + name;
    // The frame is in hundredths of a millimetre; drawing is in thousandths of an inch.
    const RECT frame{0, 0, MulDiv(layout_.page_width, 254, 100), MulDiv(layout_.page_height, 254, 100)};
    if (!reference_) {
        reference_.reset(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
        const HDC ref = reference_.get();
        SetMapMode(ref, MM_ANISOTROPIC);
        SetWindowExtEx(ref, 1000, 1000, nullptr);
        SetViewportExtEx(ref, GetDeviceCaps(ref, LOGPIXELSX), GetDeviceCaps(ref, LOGPIXELSY), nullptr);
    }
    dc_ = CreateEnhMetaFileW(reference_.get(), wide(file).c_str(), &frame, L"Velquin\0Page\0");
    selected_ = nullptr;
    cursor_ = layout_.body.y;
    if (!dc_) {
        report_failure("CreateEnhMetaFileW", file);
        write_failed_ = true;
        return;
    }
    files_.push_back(file);
    SetMapMode(dc_, MM_ANISOTROPIC);
    SetWindowExtEx(dc_, 1000, 1000, nullptr);
    SetViewportExtEx(dc_, GetDeviceCaps(reference_.get(), LOGPIXELSX), GetDeviceCaps(reference_.get(), LOGPIXELSY),
                     nullptr);
    SetBkMode(dc_, TRANSPARENT);
    SetTextAlign(dc_, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
    const std::size_t h = band_index(ReportKind::header);
    if (h < layout_.controls.size()) draw_band(h, layout_.controls[h].x, layout_.controls[h].y);
}

void Report::end_page() {
    if (!dc_) return;
    const std::size_t f = band_index(ReportKind::footer);
    if (f < layout_.controls.size()) draw_band(f, layout_.controls[f].x, body_bottom());
    const UniqueMetafile emf(CloseEnhMetaFile(dc_));
    dc_ = nullptr;
    if (!emf) {
        report_failure("CloseEnhMetaFile", files_.back());
        write_failed_ = true;
        return;
    }
    pages_->PAGEIMAGE = files_.back();
    pages_->add();
}

void Report::print(Id band) {
    if (!is_open()) return;
    const ReportControl* b = find(band);
    if (!b || (b->kind != ReportKind::detail && b->kind != ReportKind::totals)) return;
    const std::size_t index = static_cast<std::size_t>(b - layout_.controls.data());
    if (dc_ && cursor_ + b->height > body_bottom()) end_page();
    if (!dc_) start_page();
    if (!dc_) return;
    draw_band(index, layout_.body.x + b->x, cursor_);
    cursor_ += b->height;
}

void Report::draw_band(std::size_t band, int origin_x, int origin_y) {
    if (layout_.controls[band].hidden) return;
    for (std::size_t i = band + 1; i < layout_.controls.size(); ++i) {
        const ReportControl& c = layout_.controls[i];
        if (c.kind <= ReportKind::footer) break; // the next band
        if (!c.hidden) draw(c, origin_x + c.x, origin_y + c.y);
    }
}

HFONT Report::font(const ReportControl& c) {
    const std::string face = c.font.empty() ? layout_.font : c.font;
    const int size = c.font_size > 0 ? c.font_size : layout_.font_size;
    auto key = std::make_tuple(face, size, c.bold);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(size, 1000, 72); // points in thousandths of an inch
    lf.lfWeight = c.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = HANGUL_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, wide(face).c_str(), LF_FACESIZE);
    UniqueFont f(CreateFontIndirectW(&lf));
    if (!f) report_failure("CreateFontIndirectW", face);
    return fonts_.emplace(key, std::move(f)).first->second.get();
}

void Report::draw(const ReportControl& c, int x, int y) {
    switch (c.kind) {
    case ReportKind::text:
    case ReportKind::page_number: {
        // Blanks at the end draw nothing: a fixed field's padding is left out.
        const std::string text = rt::clip(c.kind == ReportKind::page_number ? rt::format(page_, c.picture)
                                          : c.value                         ? c.value(c.picture)
                                                                            : c.text);
        if (text.empty()) return;
        HFONT f = font(c);
        if (f != selected_) {
            SelectObject(dc_, f);
            selected_ = f;
        }
        const std::wstring w = wide(text);
        const RECT clip{x, y, x + c.width, y + std::max(c.height, 1000)};
        ExtTextOutW(dc_, x, y, c.width > 0 ? ETO_CLIPPED : 0, c.width > 0 ? &clip : nullptr, w.c_str(),
                    static_cast<UINT>(w.size()), advances(f, w).data());
        return;
    }
    case ReportKind::line: {
        const POINT ends[2] = {{x, y}, {x + c.width, y}};
        Polyline(dc_, ends, 2); // one record where a move and a line take two
        return;
    }
    case ReportKind::box:
        Rectangle(dc_, x, y, x + c.width, y + c.height);
        return;
    default:
        return;
    }
}

const std::vector<INT>& Report::advances(HFONT f, std::wstring_view text) {
    std::vector<int>& widths = widths_[f];
    if (widths.empty()) widths.assign(65536, -1);
    advances_.resize(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        int& w = widths[static_cast<unsigned short>(text[i])];
        if (w < 0) {
            Selected sel(reference_.get(), f);
            INT got = 0;
            w = GetCharWidth32W(reference_.get(), text[i], text[i], &got) ? got : 0;
        }
        advances_[i] = w;
    }
    return advances_;
}

PrintResult Report::send(std::string_view title) {
    if (!is_open()) return PrintResult::discarded;
    if (dc_) end_page();
    if (files_.empty()) return PrintResult::discarded;
    return write_failed_ ? PrintResult::failed : print_pages(title);
}

PrintResult Report::close(std::string_view title) {
    if (!is_open()) return PrintResult::discarded;
    if (dc_) end_page();
    const PrintResult result = flush_ ? send(title) : PrintResult::discarded;
    remove_files();
    pages_ = nullptr;
    flush_ = false;
    page_ = 0;
    return result;
}

void Report::remove_files() {
    for (const std::string& f : files_)
        if (!DeleteFileW(wide(f).c_str())) report_failure("DeleteFileW", f);
    files_.clear();
    if (!folder_.empty() && !RemoveDirectoryW(wide(folder_).c_str())) report_failure("RemoveDirectoryW", folder_);
    folder_.clear();
}

void print_failure_message(PrintResult result) {
    if (result == PrintResult::no_printer)
        message(to_cp949(u"설치된 프린터가 없어 인쇄하지 못했습니다.|프린터를 설치한 뒤 다시 인쇄하십시오."),
                to_cp949(u"인쇄"), Icon::exclamation);
    else if (result == PrintResult::failed)
        message(to_cp949(u"프린터로 보내지 못해 인쇄하지 못했습니다.|프린터의 상태를 확인하십시오."), to_cp949(u"인쇄"),
                Icon::exclamation);
}

PrintResult Report::print_pages(std::string_view title) {
    wchar_t printer[256];
    DWORD n = 256;
    if (!GetDefaultPrinterW(printer, &n)) return PrintResult::no_printer;
    // A default that names no installed printer is no printer.
    HANDLE hp = nullptr;
    if (!OpenPrinterW(printer, &hp, nullptr)) return PrintResult::no_printer;
    std::unique_ptr<char[]> mode_buffer = printer_mode(printer, hp, layout_);
    ClosePrinter(hp);
    const auto* mode = reinterpret_cast<const DEVMODEW*>(mode_buffer.get());
    const UniqueDC printer_dc(CreateDCW(L"WINSPOOL", printer, nullptr, mode));
    const HDC dc = printer_dc.get();
    if (!dc) {
        report_failure("CreateDCW", narrow(printer));
        return PrintResult::failed;
    }
    const std::wstring doc = wide(title.empty() ? std::string_view("Velquin") : title);
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = doc.c_str();
    bool ok = StartDocW(dc, &info) > 0;
    const int dpi_x = GetDeviceCaps(dc, LOGPIXELSX), dpi_y = GetDeviceCaps(dc, LOGPIXELSY);
    // Drawn from the paper's corner: the printable area starts at the physical offset.
    const int left = -GetDeviceCaps(dc, PHYSICALOFFSETX), top = -GetDeviceCaps(dc, PHYSICALOFFSETY);
    const RECT to{left, top, left + MulDiv(layout_.page_width, dpi_x, 1000),
                  top + MulDiv(layout_.page_height, dpi_y, 1000)};
    for (std::size_t i = 0; ok && i < files_.size(); ++i) {
        const UniqueMetafile emf(GetEnhMetaFileW(wide(files_[i]).c_str()));
        ok = emf && StartPage(dc) > 0;
        if (ok) ok = PlayEnhMetaFile(dc, emf.get(), &to) && EndPage(dc) > 0;
    }
    if (ok)
        ok = EndDoc(dc) > 0;
    else
        AbortDoc(dc);
    return ok ? PrintResult::printed : PrintResult::failed;
}

} // namespace rt

#endif
