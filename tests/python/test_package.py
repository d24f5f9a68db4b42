#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# The Python package as a script would use it, on a copy of the demo: every report exported from
# Python equals vondrel-host's export (json byte for byte, xls cell for cell through xlrd); refused
# calls raise vondrel.Error with the system's message and leave no file; parameters and actions take
# effect; a report is shown for real (offscreen) and closed from Python.
#   test_package.py <vondrel-host> <demo.db>   (VONDREL_LIBRARY names the library under test)
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import xlrd

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "python"))
import vondrel  # noqa: E402

HOST, BUILT_DEMO_DB = sys.argv[1], sys.argv[2]
LOGIN = {"FUsername": "张三", "fuserid": 1}
# Every parameter of each demo report at its default: a parameter left out takes the value last used
# for that report through the same host (as the dialog remembers it), so comparisons give them all.
PARAMS = {
    1: {"fdatefrom": "2024-03-01", "fdateto": "2024-03-31", "fregionid": "0"},
    2: {"fdatefrom": "2024-03-01", "fdateto": "2024-03-07", "fcustomer": ""},
    3: {"fdatefrom": "2024-01-01", "fdateto": "2024-03-31", "fregionid": "3"},
    4: {"fdatefrom": "2024-01-01", "fdateto": "2024-03-31", "fregionid": "5"},
    5: {"fyear": "2024", "fregionid": "0"},
    6: {"fdatefrom": "2024-03-01", "fdateto": "2024-03-31", "fmethod": "", "fminamount": "0"},
}


def scratch(prefix):
    """A folder of its own with a copy of the demo database (closing a window stores column widths)."""
    folder = tempfile.mkdtemp(prefix=prefix)
    shutil.copyfile(BUILT_DEMO_DB, os.path.join(folder, "demo.db"))
    return folder


def sheet_values(path):
    sheet = xlrd.open_workbook(path).sheet_by_index(0)
    return [sheet.row_values(r) for r in range(sheet.nrows)]


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = scratch("vondrel-python-")
        cls.db = os.path.join(cls.dir, "demo.db")
        cls.host = vondrel.Host(cls.db)
        cls.host.login(**LOGIN)

    @classmethod
    def tearDownClass(cls):
        cls.host.close()

    def path(self, name):
        return os.path.join(self.dir, name)

    def host_export(self, report, out):
        login = [a for k, v in LOGIN.items() for a in ("--login", f"{k}={v}")]
        params = [a for k, v in PARAMS[report].items() for a in ("--param", f"{k}={v}")]
        done = subprocess.run([HOST, "--db", self.db, *login, *params, "--report", str(report), "--export", out],
                              capture_output=True, text=True, timeout=300)
        self.assertEqual(done.returncode, 0, done.stderr)

    def test_reports_are_the_catalogue_in_list_order(self):
        reports = self.host.reports()
        self.assertEqual([r.id for r in reports], [1, 2, 3, 4, 5, 6])
        self.assertEqual(reports[0], vondrel.Report(1, "销售汇总", 1, "销售报表"))
        self.assertEqual(reports[-1].group_name, "财务报表")

    def test_every_demo_report_exports_as_vondrel_host_does(self):
        for report in self.host.reports():
            with self.subTest(report=report.name):
                ours, theirs = self.path(f"py{report.id}.json"), self.path(f"host{report.id}.json")
                self.assertEqual(self.host.export(report.id, ours, params=PARAMS[report.id]), ours)
                self.host_export(report.id, theirs)
                with open(ours, "rb") as a, open(theirs, "rb") as b:
                    self.assertEqual(a.read(), b.read())
                ours, theirs = self.path(f"py{report.id}.xls"), self.path(f"host{report.id}.xls")
                self.host.export(report.id, ours, format="xls", params=PARAMS[report.id])
                self.host_export(report.id, theirs)
                self.assertEqual(sheet_values(ours), sheet_values(theirs))

    def test_refusals_raise_the_message_and_leave_no_file(self):
        out = self.path("refused.xls")
        cases = [
            ("unknown format", dict(report_id=1, path=self.path("r.doc")), "不支持的导出格式：doc"),
            ("invalid date", dict(report_id=1, path=out, params={"fdateto": "2024-02-30"}), "不是有效的日期"),
            ("unknown parameter", dict(report_id=1, path=out, params={"fregion": 3}), "没有参数“fregion”"),
            ("no such report", dict(report_id=99, path=out), "报表参数设置有错误"),
            ("no such folder", dict(report_id=1, path=self.path("no/such/r.xls")), "r.xls"),
            ("no folder for json", dict(report_id=1, path=self.path("no/such/r.json")), "文件夹不存在"),
            ("malformed action", dict(report_id=1, path=out, actions=["dblclick:x"]), "双击的行号必须是非负整数"),
            ("row beyond the grid", dict(report_id=1, path=out, actions=["dblclick:100000"]), "双击的行不存在"),
        ]
        for reason, call, text in cases:
            with self.subTest(reason):
                with self.assertRaises(vondrel.Error) as raised:
                    self.host.export(**call)
                self.assertIn(text, raised.exception.message)
                self.assertFalse(os.path.exists(call["path"]), "no file after a refusal")

    def test_a_disabled_button_is_refused_until_the_host_enables_it(self):
        out = self.path("moved.json")
        self.host.move_buttons = False
        try:
            with self.assertRaises(vondrel.Error) as raised:
                self.host.export(3, out, actions=["movenext"])
            self.assertIn("已禁用", raised.exception.message)
            self.assertFalse(os.path.exists(out))
        finally:
            self.host.move_buttons = True
        self.host.export(3, out, actions=["movenext"])
        self.assertTrue(os.path.exists(out))

    def test_parameters_and_actions_change_the_export(self):
        import json

        def grid(name, params=PARAMS[1], **kwargs):
            out = self.host.export(1, self.path(name), format="json", params=params, **kwargs)
            with open(out, encoding="utf-8") as f:
                return json.load(f)

        plain = grid("plain.json")
        # A parameter named by its caption in the dialog, as a user knows it (refused before captions were
        # accepted as well as names).
        by_caption = {**{k: v for k, v in PARAMS[1].items() if k != "fdatefrom"}, "开始日期": "2024-03-20"}
        narrowed = grid("narrowed.json", params=by_caption)
        self.assertIn("开始日期:2024-03-20", narrowed["parameters"])
        self.assertNotEqual(narrowed["rows"], plain["rows"])
        drilled = grid("drilled.json", actions=[f"dblclick:{plain['headerRows'] + 2}"])
        self.assertEqual(drilled["caption"], "销售日报")
        back = grid("back.json", actions=[f"dblclick:{plain['headerRows'] + 2}", "t_return"])
        self.assertEqual(back["rows"], plain["rows"])

    def test_a_report_is_shown_and_closed_from_python(self):
        picture = self.path("shown.png")
        seen = []

        def on_shown(host):
            seen.append(True)
            host.save_window_image(picture)
            host.close_window()

        self.host.on_shown = on_shown
        messages = []
        self.host.set_message_handler(lambda text, title, buttons, icon: messages.append(text))
        try:
            self.host.show(2, params={"fdatefrom": "2024-03-05"})
            self.assertEqual(seen, [True])
            with open(picture, "rb") as f:
                self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
            self.assertEqual(messages, [])
            # Refused inside the window: the user saw the message, and show() raises it.
            with self.assertRaises(vondrel.Error) as raised:
                self.host.show(1, params={"fdateto": "2024-02-30"})
            self.assertIn("不是有效的日期", raised.exception.message)
            self.assertEqual(len(messages), 1)
            self.assertEqual(seen, [True], "a window that closed itself was never shown")
        finally:
            self.host.on_shown = None
            self.host.set_message_handler(None)

    def test_pip_installs_the_package_from_the_checkout(self):
        source = os.path.join(self.dir, "source")
        shutil.copytree(os.path.join(os.path.dirname(vondrel.__file__), ".."), source,
                        ignore=shutil.ignore_patterns("build", "*.egg-info", "__pycache__"))
        target = os.path.join(self.dir, "site")
        subprocess.run([sys.executable, "-m", "pip", "install", "--quiet", "--no-deps", "--no-index",
                        "--no-build-isolation", "--target", target, source], check=True, capture_output=True)
        out = self.path("installed.json")
        script = ("import sys, vondrel; assert vondrel.__file__.startswith(sys.argv[1]), vondrel.__file__; "
                  "h = vondrel.Host(sys.argv[2]); h.login(FUsername='张三', fuserid=1); print(h.export(5, sys.argv[3]))")
        done = subprocess.run([sys.executable, "-c", script, target, self.db, out], capture_output=True, text=True,
                              env=dict(os.environ, PYTHONPATH=target), cwd=self.dir)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertTrue(os.path.exists(out))

    def test_without_a_display_or_off_the_ui_thread_show_raises(self):
        # Qt aborted the whole host process ("could not connect to display") on the first window.
        env = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY")}
        out = self.path("headless.json")
        script = ("import sys, vondrel\n"
                  "h = vondrel.Host(sys.argv[1]); h.login(fuserid=1)\n"
                  "try:\n    h.show(1, params={'fdatefrom': '2024-03-01'})\n"
                  "except vondrel.Error as e:\n    print(e.message)\n"
                  "h.export(1, sys.argv[2])\n"
                  # The export made the application on this thread; another thread may not show.
                  "import threading\n"
                  "def other():\n"
                  "    try:\n        h.show(1, params={'fdatefrom': '2024-03-01'})\n"
                  "    except vondrel.Error as e:\n        print(e.message)\n"
                  "t = threading.Thread(target=other); t.start(); t.join()\n")
        done = subprocess.run([sys.executable, "-c", script, self.db, out], capture_output=True, text=True, env=env,
                              cwd=os.path.dirname(vondrel.__file__) + "/..", timeout=120)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("没有可用的图形显示", done.stdout)
        self.assertIn("只能在宿主程序的界面线程", done.stdout)
        self.assertTrue(os.path.exists(out))

    def test_a_database_that_cannot_open_raises(self):
        with self.assertRaises(vondrel.Error) as raised:
            vondrel.Host(self.path("no/such/folder/x.db"))
        self.assertIn("无法打开 SQLite 数据库", raised.exception.message)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
