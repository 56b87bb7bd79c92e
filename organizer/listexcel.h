// LISTEXCEL: the main window's document list saved as a spreadsheet workbook (.xls or .xlsx), then opened.
#pragma once

#ifdef _WIN32

#include "organizer/globals.h"
#include "xl/xl.h"

#include <cstdint>
#include <string>

namespace velquin {

// Saves the list's rows Q2 under the visible columns FQ in a workbook whose sheet is named after the title.
void LISTEXCEL(const std::string& title, rt::Queue<LISTFORMAT>& FQ, rt::Queue<Q2TYPE>& Q2);

// The save dialog and the new workbook with its sheet: SFILENAME holds the proposed name and receives the
// workbook's name. 1 when the book and its sheet exist, 0 when the user cancelled or no book could be made.
std::uint8_t EXCELWRITE(std::string& SFILENAME, const std::string& SHEETNAME, BookHandle& BOOK, SheetHandle& SHEET);

} // namespace velquin

#endif
