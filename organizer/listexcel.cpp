// The spreadsheet export: the save dialog, the workbook written from the list, the message and the shell.
#ifdef _WIN32

#include "organizer/listexcel.h"

#include "organizer/listexcel_rules.h"
#include "organizer/startup.h"
#include "organizer/texts.h"
#include "runtime/clock.h"
#include "runtime/keyfile.h"
#include "runtime/launch.h"
#include "runtime/listformat.h"
#include "runtime/prompt.h"
#include "runtime/text.h"

#include <windows.h>

#include <iterator>

namespace velquin {

namespace {

// The short (8.3) form of an existing file's path; the path itself when it has none.
std::string short_form(const std::string& path) {
    const std::wstring w = rt::wide(path);
    wchar_t buf[MAX_PATH];
    const DWORD n = GetShortPathNameW(w.c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? rt::narrow(buf) : path;
}

// The system's shell program, which opens a file with the program registered for it.
std::string shell_program() {
    wchar_t buf[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(buf, MAX_PATH);
    return (n > 0 && n < MAX_PATH ? rt::narrow(buf) : std::string("C:\\Windows")) + "\\explorer.exe";
}

} // namespace

std::uint8_t EXCELWRITE(std::string& SFILENAME, const std::string& SHEETNAME, BookHandle& BOOK, SheetHandle& SHEET) {
    const std::string FONTNAME = k(u"돋움");
    if (!rt::file_save(k(u"저장할 위치를 선택해 주세요."), SFILENAME, k(u"엑셀파일 | *.xls;*.xlsx"))) return 0;
    SFILENAME = workbook_name(SFILENAME);
    BOOK = is_xml_workbook(SFILENAME) ? xlCreateXMLBookCA() : xlCreateBookCA();
    if (!BOOK) return 0;
    SHEET = xlBookAddSheetA(BOOK, SHEETNAME.c_str(), nullptr);
    if (!SHEET) {
        // Cells written to no sheet would be lost, and the saved workbook would hold none.
        xlBookReleaseA(BOOK);
        BOOK = nullptr;
        rt::message(k(u"엑셀파일에 시트를 만들지 못해 저장하지 못했습니다. ||") + SHEETNAME);
        return 0;
    }
    xlBookSetDefaultFontA(BOOK, FONTNAME.c_str(), 11);
    return 1;
}

void LISTEXCEL(const std::string& title, rt::Queue<LISTFORMAT>& FQ, rt::Queue<Q2TYPE>& Q2) {
    BookHandle BOOK = nullptr;
    SheetHandle SHEET = nullptr;
    FormatHandle FORMATHANDLE[5] = {};
    const std::string PATHNOW = current_folder_short();
    std::string SFILENAME = proposed_workbook_name(title, rt::today(), rt::clock());
    const std::string SHEETNAME = title;
    // The dialog may leave another folder current, also when cancelled: the settings file and the library are
    // found relative to it, so it is set back on every way out.
    struct FolderBack {
        const std::string& path;
        ~FolderBack() { SetCurrentDirectoryW(rt::wide(path).c_str()); }
    } folder_back{PATHNOW};
    if (!EXCELWRITE(SFILENAME, SHEETNAME, BOOK, SHEET)) return;
    // A sheet holds 65,536 rows (.xls) or 1,048,576 (.xlsx), the header row among them: a longer list would lose
    // its last rows. Too long for .xls it may go into an .xlsx workbook; too long for that, into none.
    if (Q2.records() > body_rows(SFILENAME)) {
        xlBookReleaseA(BOOK);
        if (is_xml_workbook(SFILENAME))
            rt::message(k(u"목록이 1,048,575개보다 많아 엑셀파일 하나에 모두 담을 수 없습니다.|목록을 나누어 저장해 "
                          u"주세요."));
        else
            rt::message(k(u"목록이 65,535개보다 많아 .xls 파일에 모두 담을 수 없습니다.|파일 이름 끝을 .xlsx로 하여 "
                          u"다시 저장해 주세요."));
        return;
    }

    FORMATHANDLE[0] = xlBookAddFormatA(BOOK, nullptr);
    xlFormatSetNumFormatA(FORMATHANDLE[0], 14);
    FORMATHANDLE[2] = xlBookAddFormatA(BOOK, nullptr);
    xlFormatSetBorderBottomA(FORMATHANDLE[2], XL_BORDER_THIN);
    xlFormatSetBorderTopA(FORMATHANDLE[2], XL_BORDER_THIN);

    // Calls write(sheet column) for each list column 10 or more wide, side by side from column 0; a column that
    // cannot be read is reported and ends the row.
    const auto for_each_column = [&FQ](const auto& write) {
        int col = 0;
        for (std::size_t i = 1; i <= FQ.records(); ++i) {
            FQ.get(i);
            if (rt::error_code() != 0) {
                rt::message(rt::error_text());
                return;
            }
            if (FQ.WIDTH >= 10) write(col++);
        }
    };

    for_each_column([&](int col) {
        xlSheetWriteStrA(SHEET, 0, col, FQ.NAME.clip().c_str(), FORMATHANDLE[2]);
        xlSheetSetColA(SHEET, col, col, sheet_column_width(FQ.WIDTH, FQ.NAME.view()), nullptr, 0);
    });

    // Body: one sheet row per list row; dates as serial days, plain numbers as numbers, zeros empty.
    int row = 1;
    for (std::size_t n = 1; n <= Q2.records(); ++n, ++row) {
        Q2.get(n);
        if (rt::error_code() != 0) break;
        for_each_column([&](int col) {
            const std::string DATASTR = rt::cell_text(Q2TYPE_FIELDS, std::size(Q2TYPE_FIELDS), &Q2.buffer(), FQ.NO, {});
            if (is_date_header(FQ.NAME.view())) {
                if (const auto LOC_DATE = date_serial(DATASTR))
                    xlSheetWriteNumA(SHEET, row, col, *LOC_DATE, FORMATHANDLE[0]);
            } else if (const auto number = plain_number(DATASTR)) {
                if (*number != 0) xlSheetWriteNumA(SHEET, row, col, *number, nullptr);
            } else if (!DATASTR.empty()) {
                xlSheetWriteStrA(SHEET, row, col, DATASTR.c_str(), nullptr); // without trailing blanks
            }
        });
    }
    xlSheetSetRowA(SHEET, 0, 15, FORMATHANDLE[2], 0);

    // A workbook that could not be written is reported and not opened.
    const bool saved = xlBookSaveA(BOOK, SFILENAME.c_str()) != 0;
    xlBookReleaseA(BOOK);
    if (saved) {
        SFILENAME = short_form(SFILENAME);
        rt::message(k(u"엑셀파일이 아래 폴더에 생성되었습니다. ||") + SFILENAME);
        rt::start_program(shell_program(), SFILENAME);
    } else {
        rt::message(k(u"엑셀파일을 저장하지 못했습니다. 폴더가 있는지, 다른 프로그램이 파일을 열고 있지 않은지 "
                      u"확인해 주세요. ||") +
                    SFILENAME);
    }
}

} // namespace velquin

#endif
