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
    for ref, flag in (("A10", "合计"), ("E10", "y"), ("G10", "y")):  # a unit price has no total
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


def report(path, title, widths, header, fields, totals, footer, params, landscape=True, unit="单位：元",
           unit_cell=None):
    """A template in the house layout: title and parameter rows, "start", a spacer row, the header
    rows, the field row, "end", the totals-flag row and the footer rows.

    header: (range, caption) pairs on rows 5.. (merged when a range); fields: (name, align, format)
    per column from A; totals: {column letter: flag}; footer: (cell, text) pairs below the totals row;
    params: (cell, text) pairs on row 2; unit_cell: where the unit goes (default: the last column of
    row 2), a cell that prints: not in a column the report hides, not where a parameter runs on."""
    wb = Workbook()
    ws = wb.active
    ws.title = title
    last = chr(64 + len(fields))
    for idx, w in enumerate(widths):
        ws.column_dimensions[chr(65 + idx)].width = w
    ws.merge_cells(f"A1:{last}1")
    cell(ws, "A1", title, size=18, bold=True, face="黑体", h="center")
    ws.row_dimensions[1].height = 27
    for ref, text in params:
        cell(ws, ref, text, h="left")
    cell(ws, unit_cell or f"{last}2", unit, h="right")
    ws["A3"] = "start"
    ws.row_dimensions[4].height = 6
    header_rows = sorted({int("".join(ch for ch in part if ch.isdigit())) for rng, _ in header for part in rng.split(":")})
    first, lastrow = header_rows[0], header_rows[-1]
    for rng, caption in header:
        if ":" in rng:
            ws.merge_cells(rng)
        cell(ws, rng.split(":")[0], caption, bold=True, h="center")
    for row in ws[f"A{first}:{last}{lastrow}"]:
        for c in row:
            c.border = BOX
            if c.font.name != SONG:
                cell(ws, c.coordinate, bold=True, h="center", border=True)
    for r in range(first, lastrow + 1):
        ws.row_dimensions[r].height = 18
    field_row = lastrow + 1
    for idx, (name, align, fmt) in enumerate(fields):
        cell(ws, f"{chr(65 + idx)}{field_row}", name, h=align, fmt=fmt)
    ws.row_dimensions[field_row].height = 18
    ws[f"A{field_row + 1}"] = "end"
    for col, flag in totals.items():
        ws[f"{col}{field_row + 2}"] = flag
    for ref, text in footer:
        cell(ws, ref.replace("#", str(field_row + 3)), text, h="right" if text.endswith("：") else "left")
    ws.print_title_rows = f"1:{lastrow}"
    ws.print_area = f"A1:{last}{field_row + 3}"
    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.orientation = "landscape" if landscape else "portrait"
    ws.print_options.horizontalCentered = True
    ws.page_margins.left = ws.page_margins.right = 0.5
    ws.oddFooter.center.text = "第&P页共&N页"
    wb.save(path)


MONEY = "#,##0.00"
MONEY_BLANK = "#,##0.00;-#,##0.00;"
COUNT_BLANK = "#,##0;-#,##0;"
FOOTER = [("A#", "制表人："), ("B#", "&PUSER"), ("D#", "打印日期："), ("E#", "&PDATE")]


def sales_summary(path):
    # 毛利 names a field the query leaves out for sales staff: the column stays in the template and
    # the report hides it.
    report(path, "销售汇总表", [9, 22, 7, 8, 10, 14, 12, 14, 14, 14, 12],
           [("A5:C5", "客户"), ("D5:H5", "本期销售"), ("I5:J5", "往来款项"), ("K5:K7", "毛利"),
            ("A6:A7", "编号"), ("B6:B7", "名称"), ("C6:C7", "地区"), ("D6:D7", "单数"), ("E6:E7", "数量"),
            ("F6:H6", "金额"), ("F7", "不含税"), ("G7", "税额"), ("H7", "价税合计"),
            ("I6:I7", "本期收款"), ("J6:J7", "期末应收")],
           [("fcustcode", "center", None), ("fcustname", "left", None), ("fregion", "center", None),
            ("fbills", "right", COUNT_BLANK), ("fqty", "right", COUNT_BLANK), ("famount", "right", MONEY_BLANK),
            ("ftax", "right", MONEY_BLANK), ("ftotal", "right", MONEY_BLANK), ("freceived", "right", MONEY_BLANK),
            ("fbalance", "right", MONEY), ("fprofit", "right", MONEY)],
           {"A": "合计", "D": "y", "E": "y", "F": "y", "G": "y", "H": "y", "I": "y", "J": "y", "K": "y"},
           FOOTER + [("H#", "账套："), ("I#", "&PACCT")],
           [("A2", "&P0"), ("D2", "&P1"), ("G2", "&P2")], unit_cell="J2")  # K (毛利) is hidden


def customer_ledger(path):
    report(path, "客户往来账", [11, 13, 24, 14, 14, 15],
           [("A5:A6", "日期"), ("B5:B6", "单号"), ("C5:C6", "摘要"), ("D5:E5", "发生额"),
            ("D6", "应收增加"), ("E6", "收款"), ("F5:F6", "余额")],
           [("fdate", "center", "yyyy-mm-dd"), ("fbillno", "center", None), ("fsummary", "left", None),
            ("fdebit", "right", MONEY_BLANK), ("fcredit", "right", MONEY_BLANK), ("fbalance", "right", MONEY)],
           {"C": "合计", "D": "y", "E": "y", "F": "bal"},
           FOOTER, [("A2", "&P3"), ("C2", "&P0"), ("D2", "&P1")], landscape=False)


def monthly_sales(path):
    # The months are variable columns: the column procedure inserts one per month with sales
    # between 地区 and 全年合计.
    report(path, "月度销售趋势", [22, 7, 16],
           [("A5:A6", "客户"), ("B5:B6", "地区"), ("C5:C6", "全年合计")],
           [("fcustname", "left", None), ("fregion", "center", None), ("ftotal", "right", MONEY)],
           {"A": "合计", "C": "y"},
           [("A#", "制表人："), ("B#", "&PUSER")], [("A2", "&P0"), ("B2", "&P1")],
           unit_cell="C3")  # the region (B2) runs on over C2


def receipts(path):
    report(path, "收款明细", [11, 13, 24, 14, 15],
           [("A5", "日期"), ("B5", "收款单号"), ("C5", "客户"), ("D5", "收款方式"), ("E5", "金额")],
           [("fdate", "center", "yyyy-mm-dd"), ("fbillno", "center", None), ("fcustname", "left", None),
            ("fmethod", "center", None), ("famount", "right", MONEY)],
           {"A": "合计", "E": "y"},
           FOOTER, [("A2", "&P0"), ("C2", "&P1"), ("D2", "&P2")], landscape=False,
           unit_cell="E3")  # the payment method (D2) runs on over E2


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    sales_daily(os.path.join(folder, "销售日报.xlsx"))
    sales_summary(os.path.join(folder, "销售汇总.xlsx"))
    customer_ledger(os.path.join(folder, "客户往来账.xlsx"))
    monthly_sales(os.path.join(folder, "月度销售.xlsx"))
    receipts(os.path.join(folder, "收款明细.xlsx"))
