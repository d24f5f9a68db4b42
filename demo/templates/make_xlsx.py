#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# Draws the demo report templates as .xlsx workbooks, the way a template author would in a
# spreadsheet program. Turn them into .cll templates with:
#   vondrel-template import 销售日报.xlsx -o 销售日报.cll && vondrel-template check 销售日报.cll
# Usage: make_xlsx.py [output folder]   (default: this script's folder)
import os
import sys

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, Side
from openpyxl.worksheet.properties import PageSetupProperties

THIN = Side(style="thin", color="FF000000")
BOX = Border(left=THIN, right=THIN, top=THIN, bottom=THIN)
SONG = "宋体"


def cell(ws, ref, value=None, size=10, bold=False, face=SONG, h=None, v="center", fmt=None, border=False):
    c = ws[ref]
    if value is not None:
        c.value = value
    c.font = Font(name=face, size=size, bold=bold)
    c.alignment = Alignment(horizontal=h, vertical=v)
    if fmt:
        c.number_format = fmt
    if border:
        c.border = BOX
    return c


def sales_daily(path):
    wb = Workbook()
    ws = wb.active
    ws.title = "销售日报"
    widths = {"A": 8, "B": 12, "C": 18, "D": 18, "E": 9, "F": 11, "G": 13, "H": 8}
    for col, w in widths.items():
        ws.column_dimensions[col].width = w

    # Title rows: the report name and the parameter line above the header.
    ws.merge_cells("A1:H1")
    cell(ws, "A1", "销售日报", size=18, bold=True, face="黑体", h="center")
    ws.row_dimensions[1].height = 27
    ws.merge_cells("A2:D2")
    cell(ws, "A2", "&P1", h="left")
    cell(ws, "G2", "单位：元", h="right")
    ws["A3"] = "start"
    ws.row_dimensions[4].height = 6

    # A three-row header with merged blocks across and down.
    header = [
        ("A5:A7", "单号"), ("B5:B7", "日期"), ("C5:H5", "销售情况"),
        ("C6:D6", "客户与商品"), ("E6:G6", "数量与金额"), ("H6:H7", "收款"),
        ("C7", "客户"), ("D7", "商品"), ("E7", "数量"), ("F7", "单价"), ("G7", "金额"),
    ]
    for rng, caption in header:
        if ":" in rng:
            ws.merge_cells(rng)
        cell(ws, rng.split(":")[0], caption, bold=True, h="center")
    for row in ws["A5:H7"]:
        for c in row:
            c.border = BOX
            if c.font.name != SONG:
                cell(ws, c.coordinate, bold=True, h="center", border=True)
    for r in (5, 6, 7):
        ws.row_dimensions[r].height = 18

    # Field row: the data fields of xs_sales with the data cells' alignment, fonts and formats.
    fields = [
        ("finterid", "center", "0"), ("fdate", "center", "yyyy-mm-dd"), ("fcustomer", "left", None),
        ("fproduct", "left", None), ("fqty", "right", "#,##0;-#,##0;"), ("fprice", "right", "#,##0.00"),
        ("famount", "right", "#,##0.00;-#,##0.00;"), ("fpaid", "center", None),
    ]
    for idx, (name, align, fmt) in enumerate(fields):
        cell(ws, f"{chr(65 + idx)}8", name, h=align, fmt=fmt)
    ws.row_dimensions[8].height = 18
    ws["A9"] = "end"
    for ref, flag in (("A10", "合计"), ("E10", "y"), ("F10", "bal"), ("G10", "y")):
        ws[ref] = flag

    # Footer rows: only rows holding "&P" fields reach the print.
    cell(ws, "A11", "制表人：", h="right")
    cell(ws, "B11", "&PUSER", h="left")
    cell(ws, "F11", "打印日期：", h="right")
    cell(ws, "G11", "&PDATE", h="left")
    cell(ws, "A12", "账套：", h="right")
    cell(ws, "B12", "&PACCT", h="left")
    cell(ws, "A13", "（本行没有字段，不会打印）", h="left")

    ws.print_title_rows = "1:7"
    ws.print_area = "A1:H13"
    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.orientation = "landscape"
    ws.print_options.horizontalCentered = True
    ws.page_margins.left = ws.page_margins.right = 0.5
    ws.oddFooter.left.text = "Qovira有限公司"
    ws.oddFooter.center.text = "第&P页共&N页"
    wb.save(path)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    sales_daily(os.path.join(folder, "销售日报.xlsx"))
