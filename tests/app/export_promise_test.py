#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# Batch export's promise, for every format and through each way a script reaches it (vondrel-host,
# and the C library through the Python package): the run succeeds if and only if the file was
# written. A problem before the export (a refused print, a failed drill, a plug-in's error, a place
# that cannot be written) leaves no file, or the earlier file byte for byte; a harmless message (the
# record a double click shows) still writes it. Text from the database that is not UTF-8 comes out
# as valid text in every format, read back by strict independent readers (Python's json, xlrd,
# openpyxl, pdftotext) and, for .cll, by vondrel-template's dump.
#   export_promise_test.py <vondrel-host> <demo.db> <vondrel-template>
#   (VONDREL_LIBRARY names the library of the Python package; without it only vondrel-host runs)
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile
import unittest

import openpyxl
import xlrd

HOST, BUILT_DEMO_DB, TEMPLATE_TOOL = sys.argv[1], sys.argv[2], sys.argv[3]
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "python"))
FORMATS = {"xls": b"\xd0\xcf\x11\xe0", "cll": b"vondrel-cll", "xlsx": b"PK", "pdf": b"%PDF", "png": b"\x89PNG",
           "json": b"{"}
LOGIN = {"FUsername": "张三", "fuserid": "1"}
OLD = b"an earlier file of that name"
# Bytes that are not UTF-8 (a stray 0xFF, a broken pair, a cut-off sequence) in a customer's name.
BAD_NAME_SQL = ("UPDATE xs_customer SET fname = CAST(X'E58C97E4BAAC' || X'FF' || X'C328' || X'E4BA' AS TEXT) "
                "|| '华联' WHERE fcode = 'C001'")
REPAIRED_NAME = "北京\ufffd\ufffd(\ufffd\ufffd华联"


def demo_copy(folder, name, *statements):
    path = os.path.join(folder, name)
    shutil.copyfile(BUILT_DEMO_DB, path)
    with sqlite3.connect(path) as db:
        for statement in statements:
            db.execute(statement)
    return path


def name_of_bytes(total, fmt):
    """A file name of exactly `total` bytes ending in ".fmt", Chinese where it fits."""
    stem = "报" * ((total - len(fmt) - 1) // 3)
    return stem + "x" * (total - len(fmt) - 1 - len(stem.encode())) + "." + fmt


def run_host(db, report, path, fmt, actions):
    args = [HOST, "--db", db, "--report", str(report), "--export", path, "--format", fmt]
    for key, value in LOGIN.items():
        args += ["--login", f"{key}={value}"]
    for action in actions:
        args += ["--do", action]
    done = subprocess.run(args, capture_output=True, text=True, timeout=300,
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    return done.returncode == 0, done.stderr


def run_package(db, report, path, fmt, actions):
    import vondrel
    host = vondrel.Host(db)
    try:
        host.login(**LOGIN)
        host.export(report, path, format=fmt, actions=actions)
        return True, ""
    except vondrel.Error as error:
        return False, error.message
    finally:
        host.close()


RUNNERS = [("vondrel-host", run_host)]
if os.environ.get("VONDREL_LIBRARY"):
    RUNNERS.append(("python package", run_package))


class Promise(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="vondrel-promise-")
        cls.demo = demo_copy(cls.dir, "demo.db")
        # The drill-down of 销售汇总 leads to a report that is not in the catalogue.
        cls.broken_drill = demo_copy(cls.dir, "drill.db", "UPDATE qv_rptdetail SET qrptchildid = 99")
        # The plug-in's query of 收款明细 fails: the plug-in reports the database's error.
        cls.broken_plugin = demo_copy(cls.dir, "plugin.db",
                                      "UPDATE qv_sqlreport SET qsql = 'SELECT nosuchcol FROM xs_receipt' WHERE qid = 6")

    def scenarios(self):
        folder = os.path.join(self.dir, "out")

        def usual(fmt):
            return "报表." + fmt

        # name, database, report, actions, file name for a format, written?, text in the messages
        return [
            ("clean run", self.demo, 1, [], usual, True, ""),
            # The record a double click shows on a report without drill-down is information, not a
            # problem: the file is written.
            ("a record shown first", self.demo, 6, ["dblclick:2"], usual, True, "收款明细 - 记录"),
            # Nothing to print to: the print the script asked for did not happen, so the run fails
            # rather than pretend. Before, .xls and .cll were written anyway and the run said 1.
            ("print refused", self.demo, 1, ["print"], usual, False, "批处理时不能打印或预览"),
            ("preview refused", self.demo, 1, ["printpreview"], usual, False, "批处理时不能打印或预览"),
            # Before, the file was written after the failed drill, holding the parent report.
            ("failed drill", self.broken_drill, 1, ["dblclick:3"], usual, False, "下级报表"),
            ("plug-in error", self.broken_plugin, 6, [], usual, False, "no such column: nosuchcol"),
            ("no such folder", self.demo, 1, [], lambda fmt: os.path.join("no", "such", "r." + fmt), False, "不存在"),
            # The longest legal name: the temporary name beside it once made this fail in English.
            ("255-byte name", self.demo, 1, [], lambda fmt: name_of_bytes(255, fmt), True, ""),
            ("256-byte name", self.demo, 1, [], lambda fmt: name_of_bytes(256, fmt), False, "文件名太长"),
        ], folder

    def test_the_run_succeeds_if_and_only_if_the_file_was_written(self):
        scenarios, folder = self.scenarios()
        for runner_name, runner in RUNNERS:
            for name, db, report, actions, file_name, written, text in scenarios:
                for fmt, magic in FORMATS.items():
                    with self.subTest(runner=runner_name, scenario=name, format=fmt):
                        shutil.rmtree(folder, ignore_errors=True)
                        os.makedirs(folder)
                        path = os.path.join(folder, file_name(fmt))
                        has_old = os.path.isdir(os.path.dirname(path)) and len(os.path.basename(path).encode()) <= 255
                        if has_old:
                            with open(path, "wb") as f:
                                f.write(OLD)
                        ok, messages = runner(db, report, path, fmt, actions)
                        self.assertEqual(ok, written, messages)
                        if not ok or runner is run_host:  # the library returns messages only on failure
                            self.assertIn(text, messages)
                        if written:
                            with open(path, "rb") as f:
                                self.assertTrue(f.read(16).startswith(magic), "a whole new file")
                        elif has_old:
                            with open(path, "rb") as f:
                                self.assertEqual(f.read(), OLD, "the earlier file is untouched")
                        else:
                            self.assertFalse(os.path.exists(path))
                        self.assertEqual(sorted(os.listdir(folder)), [os.path.basename(path)] if has_old or written
                                         else [], "no temporary file left behind")


class Screenshot(unittest.TestCase):
    """--screenshot writes its picture as the exports write their files."""

    def test_the_picture_is_written_only_for_a_report_that_was_shown(self):
        folder = tempfile.mkdtemp(prefix="vondrel-shot-")
        db = demo_copy(folder, "demo.db")
        cases = [
            ("shown", ["--report", "1"], "shot.png", True),
            ("a 255-byte name", ["--report", "1"], name_of_bytes(255, "png"), True),
            # Before, the refused report's picture was written over the earlier one and then removed.
            ("refused parameter", ["--report", "1", "--param", "fdateto=2024-02-30"], "shot.png", False),
        ]
        for name, args, file_name, written in cases:
            with self.subTest(name):
                path = os.path.join(folder, file_name)
                with open(path, "wb") as f:
                    f.write(OLD)
                login = [a for k, v in LOGIN.items() for a in ("--login", f"{k}={v}")]
                done = subprocess.run([HOST, "--db", db, *login, *args, "--screenshot", path], capture_output=True,
                                      text=True, timeout=300, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
                self.assertEqual(done.returncode == 0, written, done.stderr)
                with open(path, "rb") as f:
                    content = f.read()
                if written:
                    self.assertTrue(content.startswith(b"\x89PNG"))
                else:
                    self.assertEqual(content, OLD, "the earlier picture is untouched")
                self.assertEqual([n for n in os.listdir(folder) if n.startswith(".")], [], "no temporary file left")


class InvalidText(unittest.TestCase):
    """A customer name holding bytes that are not UTF-8, exported to every format."""

    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="vondrel-badtext-")
        cls.db = demo_copy(cls.dir, "bad.db", BAD_NAME_SQL)
        cls.files = {}
        for fmt in ("json", "xls", "xlsx", "cll", "pdf"):
            path = os.path.join(cls.dir, "r." + fmt)
            ok, messages = run_host(cls.db, 1, path, fmt, [])
            assert ok, messages
            cls.files[fmt] = path

    def texts(self, fmt):
        path = self.files[fmt]
        if fmt == "json":
            # Before, the raw bytes made the file invalid: json.load failed on byte 0xff.
            with open(path, encoding="utf-8") as f:
                return [cell for row in json.load(f)["rows"] for cell in row["cells"]]
        if fmt == "xls":
            sheet = xlrd.open_workbook(path).sheet_by_index(0)
            return [str(v) for r in range(sheet.nrows) for v in sheet.row_values(r)]
        if fmt == "xlsx":
            # Before, the shared-strings part was not well-formed XML and openpyxl refused the file.
            sheet = openpyxl.load_workbook(path).active
            return [str(c.value) for row in sheet.iter_rows() for c in row if c.value is not None]
        if fmt == "cll":
            done = subprocess.run([TEMPLATE_TOOL, "dump", path], capture_output=True, timeout=120)
            self.assertEqual(done.returncode, 0, done.stderr.decode("utf-8", "replace"))
            return done.stdout.decode("utf-8").splitlines()  # strict: fails on bytes that are not UTF-8
        done = subprocess.run(["pdftotext", "-enc", "UTF-8", path, "-"], capture_output=True, timeout=120)
        return done.stdout.decode("utf-8").splitlines()

    def test_every_format_reads_back_as_valid_text_with_replacement_marks(self):
        for fmt in self.files:
            with self.subTest(format=fmt):
                texts = self.texts(fmt)
                self.assertTrue(any(REPAIRED_NAME in t for t in texts), f"{REPAIRED_NAME!r} not among {texts[:40]}")
                self.assertTrue(any("北京百货有限公司" in t for t in texts), "the other names as they were")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
