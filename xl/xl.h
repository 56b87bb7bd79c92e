/* Spreadsheet workbooks written row by row: an .xls workbook (BIFF8 in a compound file) or an .xlsx workbook
 * (OOXML in a zip). Texts are CP949. A sheet's rows go to a temporary file as soon as a later row is written, so
 * memory stays the same however many rows there are; rows must therefore be written in increasing order (cells of
 * one row in any order). Handles stay valid until the book is released. */
#ifndef VELQUIN_XL_XL_H
#define VELQUIN_XL_XL_H

#ifdef __cplusplus
extern "C" {
#endif

typedef struct XlBook* BookHandle;
typedef struct XlSheet* SheetHandle;
typedef struct XlFormat* FormatHandle;

/* Border line styles. */
enum { XL_BORDER_NONE = 0, XL_BORDER_THIN = 1 };

/* A new .xls workbook, or 0 when it cannot be made. */
BookHandle xlCreateBookCA(void);
/* A new .xlsx workbook, or 0 when it cannot be made. */
BookHandle xlCreateXMLBookCA(void);

/* A new sheet named `name` after the existing ones (a name that the format cannot hold is cut and its forbidden
 * characters replaced); 0 when `init_sheet` is not 0 (sheets are not copied) or the sheet cannot be made. */
SheetHandle xlBookAddSheetA(BookHandle book, const char* name, SheetHandle init_sheet);
/* The font of every cell without a font of its own: its name and size in points. */
void xlBookSetDefaultFontA(BookHandle book, const char* font_name, int font_size);
/* A new cell format, a copy of `init_format` (0: the plain format). */
FormatHandle xlBookAddFormatA(BookHandle book, FormatHandle init_format);
/* Writes the book to the file; 0 when it could not (folder missing, file in use, disk full). A failed save leaves
 * any earlier file of that name as it was. */
int xlBookSaveA(BookHandle book, const char* file_name);
/* Frees the book, its sheets and formats. */
void xlBookReleaseA(BookHandle book);

/* The number format: a built-in number (14 is the short date). */
void xlFormatSetNumFormatA(FormatHandle format, int num_format);
void xlFormatSetBorderTopA(FormatHandle format, int style);
void xlFormatSetBorderBottomA(FormatHandle format, int style);

/* A text cell (row and column from 0; format 0: none). 0 when the cell lies outside the sheet or before a row
 * already written. */
int xlSheetWriteStrA(SheetHandle sheet, int row, int col, const char* value, FormatHandle format);
/* A number cell, as above. */
int xlSheetWriteNumA(SheetHandle sheet, int row, int col, double value, FormatHandle format);
/* Width (in characters of the default font) and format of the columns col_first to col_last. */
int xlSheetSetColA(SheetHandle sheet, int col_first, int col_last, double width, FormatHandle format, int hidden);
/* Height (in points) and format of a row; any row, also one already written. */
int xlSheetSetRowA(SheetHandle sheet, int row, double height, FormatHandle format, int hidden);

#ifdef __cplusplus
}
#endif

#endif
