# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# The template as one would draw it in a spreadsheet program (here with openpyxl).
from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, Side

wb = Workbook()
ws = wb.active
thin = Side(style="thin")
box = Border(left=thin, right=thin, top=thin, bottom=thin)
centre = Alignment(horizontal="center", vertical="center")

ws["A1"] = "商品销售排行"
ws["A1"].font = Font(name="黑体", size=16, bold=True)
ws["A1"].alignment = centre
ws.merge_cells("A1:E1")
ws["A2"] = "&P0"
ws["D2"] = "&P1"
for cell in ("A2", "D2"):
    ws[cell].alignment = Alignment(horizontal="left")
ws["A3"] = "start"
# Two header rows: 商品 spans both, 本期销售 stands over its three columns.
for cell, text in {"A5": "排名", "B5": "商品", "C5": "本期销售", "C6": "数量", "D6": "金额", "E6": "毛利"}.items():
    ws[cell] = text
ws.merge_cells("A5:A6")
ws.merge_cells("B5:B6")
ws.merge_cells("C5:E5")
for row in ws["A5:E6"]:
    for cell in row:
        cell.font = Font(name="宋体", size=10, bold=True)
        cell.alignment = centre
        cell.border = box
# The field row: each column's data field, with the style of its data cells.
for cell, text in {"A7": "frank", "B7": "fname", "C7": "fqty", "D7": "famount", "E7": "fprofit"}.items():
    ws[cell] = text
    ws[cell].font = Font(name="宋体", size=10)
    ws[cell].alignment = Alignment(horizontal="left" if cell == "B7" else "center")
for cell in ("C7", "D7", "E7"):
    ws[cell].number_format = "#,##0.00;-#,##0.00;" if cell != "C7" else "#,##0"
    ws[cell].alignment = Alignment(horizontal="right")
ws["A8"] = "end"
ws["A9"] = "合计"
ws["C9"] = "y"
ws["D9"] = "y"
ws["E9"] = "y"
for col, width in zip("ABCDE", (8, 24, 12, 16, 16)):
    ws.column_dimensions[col].width = width
wb.save("商品排行.xlsx")
