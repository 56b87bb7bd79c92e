"""Reads the sample workbooks with outside readers, xlrd (.xls) and openpyxl (.xlsx), and checks that both show
the same cells, types, formats, widths, heights, default font and sheet name."""
import datetime
import sys
from pathlib import Path

import openpyxl
import xlrd

folder = Path(sys.argv[1])
failures = []


def check(got, want, what):
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


LONG = "".join(chr(ord("가") + i % 50) for i in range(9000))
DATE, TEXT, NUM = "date", "text", "number"
# The small book's cells: (row, column) -> (kind, value); dates as serial days.
SMALL = {
    (0, 0): (TEXT, "편집일"), (0, 1): (TEXT, "제목"), (0, 2): (TEXT, "분류"), (0, 3): (TEXT, "크기"),
    (1, 0): (DATE, 46364), (1, 1): (TEXT, "가나다 report 2026"), (1, 2): (TEXT, "분류"), (1, 3): (NUM, 12),
    (2, 1): (TEXT, 'a&b <c> "d" _x0041_'), (2, 2): (TEXT, "  lead and trail  "), (2, 3): (NUM, -3.5),
    (3, 0): (DATE, 46000), (3, 1): (TEXT, LONG), (3, 2): (TEXT, "분류"), (3, 3): (NUM, 1234567890123),
    (4, 0): (NUM, 1e-5), (4, 1): (TEXT, "second"), (4, 3): (NUM, 0.1),
}
WIDTHS = [15, 25, 9.75, 8]
SHEETS = ["편집일순", "a_b__c_d_e_f_g 1234567890123456"]
EPOCH = datetime.datetime(1899, 12, 30)


def big_row(r):
    """Row r (from 1) of the big sheets."""
    return [(DATE, 46000 + r % 1000), (TEXT, f"제목 {r}"), (TEXT, f"분류{r % 20}"), (TEXT, "DOC"), (NUM, r * 3),
            (TEXT, "O" if r % 2 else "-"), (TEXT, f"file{r}.txt"), (TEXT, f"A-{r}")]


def xls_cell(book, sheet, r, c):
    cell = sheet.cell(r, c)
    if cell.ctype == xlrd.XL_CELL_EMPTY:
        return None
    kind = {xlrd.XL_CELL_TEXT: TEXT, xlrd.XL_CELL_NUMBER: NUM, xlrd.XL_CELL_DATE: DATE}.get(cell.ctype, cell.ctype)
    return (kind, cell.value)


def xlsx_cell(cell):
    if cell.value is None:
        return None
    if cell.is_date:
        return (DATE, (cell.value - EPOCH).days)
    return (TEXT if cell.data_type == "s" else NUM, cell.value)


def check_small_xls():
    book = xlrd.open_workbook(folder / "small.xls", formatting_info=True)
    check(book.sheet_names(), SHEETS, "xls sheet names")
    sheet = book.sheet_by_index(0)
    check((sheet.nrows, sheet.ncols), (5, 4), "xls size")
    for r in range(5):
        for c in range(4):
            check(xls_cell(book, sheet, r, c), SMALL.get((r, c)), f"xls cell {r},{c}")
    font = book.font_list[0]
    check((font.name, font.height), ("돋움", 220), "xls default font")
    for r, c in [(1, 0), (3, 0)]:
        check(book.xf_list[sheet.cell_xf_index(r, c)].format_key, 14, f"xls date format {r},{c}")
    for c in range(4):
        border = book.xf_list[sheet.cell_xf_index(0, c)].border
        check((border.top_line_style, border.bottom_line_style), (1, 1), f"xls header border {c}")
        check(sheet.colinfo_map[c].width, int(WIDTHS[c] * 256), f"xls width {c}")
    border = book.xf_list[sheet.cell_xf_index(1, 1)].border
    check((border.top_line_style, border.bottom_line_style), (0, 0), "xls body border")
    row = sheet.rowinfo_map[0]
    check((row.height, row.has_default_xf_index), (300, 1), "xls header row")
    check(book.xf_list[row.xf_index].border.top_line_style, 1, "xls header row format")


def check_small_xlsx():
    book = openpyxl.load_workbook(folder / "small.xlsx")
    check(book.sheetnames, SHEETS, "xlsx sheet names")
    sheet = book.worksheets[0]
    check((sheet.max_row, sheet.max_column), (5, 4), "xlsx size")
    for r in range(5):
        for c in range(4):
            check(xlsx_cell(sheet.cell(r + 1, c + 1)), SMALL.get((r, c)), f"xlsx cell {r},{c}")
    font = sheet.cell(2, 2).font
    check((font.name, font.sz), ("돋움", 11), "xlsx default font")
    check(sheet.cell(2, 1).number_format, "mm-dd-yy", "xlsx date format")
    for c in range(4):
        border = sheet.cell(1, c + 1).border
        check((border.top.style, border.bottom.style), ("thin", "thin"), f"xlsx header border {c}")
        check(sheet.column_dimensions[openpyxl.utils.get_column_letter(c + 1)].width, WIDTHS[c], f"xlsx width {c}")
    check(sheet.cell(2, 2).border.top.style, None, "xlsx body border")
    check(sheet.row_dimensions[1].height, 15, "xlsx header row")


def check_big(name, rows, read):
    """read() yields each row as a list of (kind, value); all rows are compared."""
    count = 0
    for r, got in enumerate(read()):
        want = [(TEXT, f"H{c}") for c in range(8)] if r == 0 else big_row(r)
        if got != want:
            check(got, want, f"{name} row {r}")
            break
        count += 1
    check(count, rows + 1, f"{name} rows")


def read_big_xls():
    book = xlrd.open_workbook(folder / "big.xls")
    sheet = book.sheet_by_index(0)
    for r in range(sheet.nrows):
        yield [xls_cell(book, sheet, r, c) for c in range(sheet.ncols)]


def read_big_xlsx():
    book = openpyxl.load_workbook(folder / "big.xlsx", read_only=True)
    for row in book.active.iter_rows():
        yield [xlsx_cell(c) for c in row]


check_small_xls()
check_small_xlsx()
check_big("big.xls", 65535, read_big_xls)
check_big("big.xlsx", 100000, read_big_xlsx)
for f in failures:
    print(f)
sys.exit(1 if failures else 0)
