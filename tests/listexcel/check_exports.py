"""Reads the two workbooks the export test left (export.xls with xlrd, export.xlsx with openpyxl) and checks the
header row, the widths, and each list value as a date, a number, text or an empty cell."""
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


DATE, TEXT, NUM = "date", "text", "number"
HEADERS = ["편집일", "제목", "분류", "종류", "삽입문서", "링크", "링크파일1"]  # 목차 (9 wide) left out
WIDTHS = [15, 25, 9, 3, 7, 3, 12]
ROWS = [
    [(DATE, 46364), (NUM, 12), (TEXT, "보고서"), (TEXT, "DOC"), (TEXT, "12 K"), (TEXT, "O"), (TEXT, "file1.txt")],
    [(DATE, 80000 - 36161), None, (TEXT, "보고서"), None, None, None, None],
    [None, (TEXT, "2026년 계획"), (TEXT, "보고서"), None, None, None, None],
]
GRID = [[(TEXT, h) for h in HEADERS]] + ROWS


def xls():
    book = xlrd.open_workbook(folder / "export.xls", formatting_info=True)
    check(book.sheet_names(), ["보고서"], "xls sheet")
    sheet = book.sheet_by_index(0)
    kinds = {xlrd.XL_CELL_TEXT: TEXT, xlrd.XL_CELL_NUMBER: NUM, xlrd.XL_CELL_DATE: DATE}
    grid = [[None if sheet.cell(r, c).ctype == xlrd.XL_CELL_EMPTY else
             (kinds.get(sheet.cell(r, c).ctype), sheet.cell(r, c).value) for c in range(sheet.ncols)]
            for r in range(sheet.nrows)]
    check(grid, GRID, "xls cells")
    check([sheet.colinfo_map[c].width // 256 for c in range(len(HEADERS))], WIDTHS, "xls widths")
    check(book.xf_list[sheet.cell_xf_index(1, 0)].format_key, 14, "xls date format")
    border = book.xf_list[sheet.cell_xf_index(0, 0)].border
    check((border.top_line_style, border.bottom_line_style), (1, 1), "xls header border")
    check(sheet.rowinfo_map[0].height, 300, "xls header height")
    check((book.font_list[0].name, book.font_list[0].height), ("돋움", 220), "xls font")


def xlsx():
    book = openpyxl.load_workbook(folder / "export.xlsx")
    check(book.sheetnames, ["보고서"], "xlsx sheet")
    sheet = book.active
    epoch = datetime.datetime(1899, 12, 30)

    def cell(c):
        if c.value is None:
            return None
        if c.is_date:
            return (DATE, (c.value - epoch).days)
        return (TEXT if c.data_type == "s" else NUM, c.value)

    check([[cell(c) for c in row] for row in sheet.iter_rows()], GRID, "xlsx cells")
    check([sheet.column_dimensions[openpyxl.utils.get_column_letter(c + 1)].width for c in range(len(HEADERS))],
          WIDTHS, "xlsx widths")
    check(sheet.cell(2, 1).number_format, "mm-dd-yy", "xlsx date format")
    border = sheet.cell(1, 1).border
    check((border.top.style, border.bottom.style), ("thin", "thin"), "xlsx header border")
    check(sheet.row_dimensions[1].height, 15, "xlsx header height")
    check((sheet.cell(2, 3).font.name, sheet.cell(2, 3).font.sz), ("돋움", 11), "xlsx font")


xls()
xlsx()
for f in failures:
    print(f)
sys.exit(1 if failures else 0)
