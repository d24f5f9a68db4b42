#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# vondrel-host's batch mode as a script would use it, on the demo: every report exported to json and
# xls and the two checked against each other and against what the demo must show; navigation and
# drill-down through --do; bad arguments and bad parameter values. On PostgreSQL (when the test
# script started a server) the same reports must come out identical to SQLite's.
#   host_batch_test.py <vondrel-host> <demo.db> <source dir>
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import xlrd

HOST, BUILT_DEMO_DB, SOURCE = sys.argv[1], sys.argv[2], sys.argv[3]
# A copy of its own: other tests open (and, closing windows, write to) the built demo database.
DEMO_DB = os.path.join(tempfile.mkdtemp(prefix="vondrel-batch-db-"), "demo.db")
shutil.copyfile(BUILT_DEMO_DB, DEMO_DB)
DEMO_REPORTS = {1: "销售汇总", 2: "销售日报", 3: "客户往来账", 4: "客户对账单", 5: "月度销售趋势", 6: "收款明细"}
LOGIN = ["--login", "FUsername=张三", "--login", "fuserid=1"]


def run(args, db=DEMO_DB):
    """Runs vondrel-host in batch mode; returns (status, stderr)."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    done = subprocess.run([HOST, "--db", db] + LOGIN + args, capture_output=True, text=True, env=env, timeout=300)
    return done.returncode, done.stderr


def number(text):
    try:
        return float(text.replace(",", ""))
    except ValueError:
        return None


class Batch(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="vondrel-batch-")

    def path(self, name):
        return os.path.join(self.dir, name)

    def export_json(self, report, *extra, db=DEMO_DB):
        out = self.path(f"r{report}-{abs(hash((extra, db)))}.json")
        status, err = run(["--report", str(report), "--export", out, "--format", "json", *extra], db)
        self.assertEqual(status, 0, err)
        self.assertEqual(err.strip(), "", "no message box on a clean run")
        with open(out, encoding="utf-8") as f:
            return json.load(f)

    def test_every_demo_report_exports_matching_json_and_xls(self):
        for report, name in DEMO_REPORTS.items():
            with self.subTest(report=name):
                grid = self.export_json(report)
                self.assertEqual(grid["caption"], name)
                self.assertGreater(grid["headerRows"], 0)
                self.assertGreater(len(grid["rows"]), 0, "the demo report has rows")
                cols = len(grid["columns"])
                spanned = sum(h["rowSpan"] * h["colSpan"] for h in grid["header"])
                self.assertEqual(spanned, grid["headerRows"] * cols, "header blocks tile the header")

                xls = self.path(f"r{report}.xls")
                status, err = run(["--report", str(report), "--export", xls, "--format", "xls"])
                self.assertEqual(status, 0, err)
                self.assertIn(f"[Qovira提示] 引出[{name}]成功", err)
                sheet = xlrd.open_workbook(xls, formatting_info=True).sheet_by_index(0)
                # The print sheet's data rows are the grid's rows, totals row included, in order:
                # find the first data row by its first cell and compare every shown cell.
                first = grid["rows"][0]["cells"]
                shown = [c for c in range(cols) if not grid["columns"][c]["hidden"]]
                top = next(r for r in range(sheet.nrows)
                           if all(str(sheet.cell_value(r, c)) == first[c] or number(first[c]) == sheet.cell_value(r, c)
                                  for c in shown if first[c]))
                for k, row in enumerate(grid["rows"]):
                    for c in shown:
                        text, value = row["cells"][c], sheet.cell_value(top + k, c)
                        if not text:
                            self.assertEqual(value, "", f"row {k} col {c}: blank stays blank")
                        elif number(text) is not None and isinstance(value, float):
                            self.assertAlmostEqual(value, number(text), places=6, msg=f"row {k} col {c}")
                        else:
                            self.assertEqual(str(value), text, f"row {k} col {c}")
                for c in range(cols):
                    if grid["columns"][c]["hidden"]:
                        self.assertEqual(sheet.colinfo_map[c].hidden or sheet.colinfo_map[c].width == 0, True,
                                         f"hidden column {c} prints with width 0")

    def test_summary_shows_its_totals_hidden_column_and_blanked_zeros(self):
        grid = self.export_json(1)
        totals = grid["rows"][grid["totalsRow"] - grid["headerRows"]]
        self.assertEqual(totals["cells"][0], "合计")
        self.assertNotEqual(totals["back"], grid["rows"][0]["back"], "the totals row has its own colour")
        self.assertTrue(grid["columns"][10]["hidden"], "毛利 is hidden")
        for c in (4, 5, 6, 7):  # quantities and amounts are summed ("y" columns)
            body = sum(number(r["cells"][c]) or 0 for r in grid["rows"][:-1])
            self.assertAlmostEqual(number(totals["cells"][c]), body, places=2)

    def test_navigation_moves_through_the_master_list_in_both_modes(self):
        for report in (3, 4):  # the window moves / the plug-in moves
            with self.subTest(report=report):
                first = self.export_json(report)
                second = self.export_json(report, "--do", "movenext")
                last = self.export_json(report, "--do", "movelast")
                back = self.export_json(report, "--do", "movelast", "--do", "movefirst")
                self.assertNotEqual(first["parameters"][-1], second["parameters"][-1], "another customer")
                self.assertNotEqual(second["parameters"][-1], last["parameters"][-1])
                self.assertEqual(back["parameters"], first["parameters"])
                self.assertEqual(back["rows"], first["rows"])

    def test_drill_down_into_a_customer_and_back(self):
        summary = self.export_json(1)
        row = summary["headerRows"] + 2
        customer = summary["rows"][2]["cells"][1]
        child = self.export_json(1, "--do", f"dblclick:{row}")
        self.assertEqual(child["caption"], "销售日报")
        self.assertTrue(child["rows"], "the customer has sales in the period")
        names = {r["cells"][2] for r in child["rows"][:-1]}
        self.assertEqual(names, {customer}, "only the clicked customer's sales")
        returned = self.export_json(1, "--do", f"dblclick:{row}", "--do", "t_return")
        self.assertEqual(returned["caption"], "销售汇总")
        self.assertEqual(returned["rows"], summary["rows"])

    def test_pdf_png_xlsx_and_cll_are_written(self):
        for fmt, magic in (("pdf", b"%PDF"), ("png", b"\x89PNG"), ("xlsx", b"PK"), ("cll", None)):
            with self.subTest(format=fmt):
                out = self.path(f"r1.{fmt}")
                status, err = run(["--report", "1", "--export", out, "--format", fmt])
                self.assertEqual(status, 0, err)
                with open(out, "rb") as f:
                    head = f.read(8)
                if magic:
                    self.assertTrue(head.startswith(magic), head)
                else:
                    self.assertGreater(os.path.getsize(out), 0)
        text = subprocess.run(["pdftotext", self.path("r1.pdf"), "-"], capture_output=True, text=True).stdout
        self.assertIn("销售汇总表", text)
        self.assertIn("第1页共", text)

    def test_bad_arguments_and_values_fail_with_a_message_and_no_file(self):
        out = self.path("bad.xls")
        cases = [
            (["--report", "1", "--export", out, "--format", "doc"], "不支持的导出格式：doc"),
            (["--report", "1", "--export", out, "--do", "dblclick:x"], "双击的行号必须是非负整数"),
            (["--report", "1", "--format", "xls"], "--format 和 --do 只能和 --export 一起用"),
            (["--report", "1", "--export", out, "--param", "fdateto=2024-02-30"], "不是有效的日期"),
            (["--report", "1", "--export", out, "--param", "fregion=3"], "没有参数“fregion”"),
            (["--report", "99", "--export", out], ""),
            (["--report", "1", "--export", out, "--do", "dblclick:100000"], "双击的行不存在"),
            (["--report", "1", "--export", self.path("no/such/folder/r.xls")], "r.xls"),
            # A disabled button does nothing on screen; batch mode pressed it anyway and moved on.
            (["--report", "3", "--no-move", "--export", out, "--do", "movenext"], "（movenext）已禁用，不能按下"),
            (["--report", "1", "--export", out, "--do", "nosuchkey"], "工具栏没有按钮“nosuchkey”"),
        ]
        for args, text in cases:
            with self.subTest(args=args):
                if os.path.exists(out):
                    os.remove(out)
                status, err = run(args)
                self.assertEqual(status, 1, err)
                self.assertIn(text, err)
                self.assertTrue(err.strip(), "a message says what went wrong")
                self.assertFalse(os.path.exists(out), "no output file after an error")

    def test_monthly_report_prints_whole_numbers_and_each_caption_once_a_page(self):
        # The months are variable columns: "重设" runs the column procedure, on a database of its own so
        # that the other tests see the report as the demo ships it.
        db = self.path("monthly.db")
        shutil.copyfile(BUILT_DEMO_DB, db)
        pdf, grid_json = self.path("r5.pdf"), self.path("r5.json")
        for out in (pdf, grid_json):
            status, err = run(["--report", "5", "--do", "t_csgs", "--export", out], db)
            self.assertEqual(status, 0, err)
        with open(grid_json, encoding="utf-8") as f:
            grid = json.load(f)
        self.assertEqual(len(grid["columns"]), 15, "客户, 地区, 全年合计 and twelve months")
        pages = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True).stdout.split("\f")
        pages = [page for page in pages if page.strip()]
        self.assertGreater(len(pages), 1)
        for number, page in enumerate(pages, 1):
            with self.subTest(page=number):
                # The title, the parameter and the caption over the months: once a page, whole. Printed
                # once per part of the page (title columns, body), a cut copy came out beside the title
                # ("月度销售趋势 度销售趋") and the parameter as "地区:全".
                self.assertEqual(page.count("月度销售趋势"), 1, page)
                self.assertEqual(page.count("销售趋"), 1, page)
                self.assertEqual(page.count("地区:"), page.count("地区:全部地区"), page)
                self.assertEqual(page.count("售额"), page.count("各月销售额"), page)
                self.assertLessEqual(page.count("各月销售额"), 1, page)
                self.assertNotIn("#", page, "a number too wide for its column")
        # Every total prints whole, with its thousands separators, as the grid shows it.
        printed = "".join(pages)
        totals = grid["rows"][grid["totalsRow"] - grid["headerRows"]]["cells"]
        for text in totals[2:]:
            self.assertIn(",", text)
            self.assertIn(text, printed)


@unittest.skipUnless(os.environ.get("VONDREL_PG_CONNINFO"), "no PostgreSQL server")
class BatchOnPostgres(unittest.TestCase):
    """The demo loaded into a fresh PostgreSQL database gives the same reports as SQLite."""

    @classmethod
    def setUpClass(cls):
        base = os.environ["VONDREL_PG_CONNINFO"]
        name = f"vondrel_batch_{os.getpid()}"
        subprocess.run(["psql", base, "-q", "-v", "ON_ERROR_STOP=1", "-c", f"CREATE DATABASE {name}"], check=True)
        cls.conninfo = " ".join(p for p in base.split() if not p.startswith("dbname=")) + f" dbname={name}"
        scripts = sorted(os.listdir(os.path.join(SOURCE, "demo", "postgres")))
        quiet = dict(os.environ, PGOPTIONS="-c client_min_messages=warning")
        for script in scripts:
            subprocess.run(["psql", cls.conninfo, "-q", "-v", "ON_ERROR_STOP=1", "-f",
                            os.path.join(SOURCE, "demo", "postgres", script)], check=True,
                           stdout=subprocess.DEVNULL, env=quiet)
        cls.dir = tempfile.mkdtemp(prefix="vondrel-batch-pg-")

    def test_reports_equal_their_sqlite_exports(self):
        for report in DEMO_REPORTS:
            with self.subTest(report=report):
                outs = []
                for db in (DEMO_DB, self.conninfo):
                    out = os.path.join(self.dir, f"r{report}-{len(outs)}.json")
                    status, err = run(["--report", str(report), "--export", out, "--format", "json"], db)
                    self.assertEqual(status, 0, err)
                    with open(out, encoding="utf-8") as f:
                        outs.append(json.load(f))
                self.assertEqual(outs[1], outs[0])


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
