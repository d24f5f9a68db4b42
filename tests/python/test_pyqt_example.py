#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# examples/pyqt_host.py driven as its user would: "显示" opens the report's parameter dialog (answered
# with its own "确定" button) and then the report window, modal over the example's main window in the
# example's own QApplication; the window is pictured and closed; "导出" writes the selected report.
#   test_pyqt_example.py <demo.db> <picture>   (VONDREL_LIBRARY names the library under test)
import os
import shutil
import sys
import tempfile
import unittest

from PyQt6.QtCore import QTimer
from PyQt6.QtGui import QGuiApplication
from PyQt6.QtWidgets import QApplication, QDialogButtonBox, QToolBar

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples"))
import pyqt_host  # noqa: E402
import vondrel  # noqa: E402  (on the path through the example)

DEMO_DB, PICTURE = sys.argv[1], sys.argv[2]


class PyQtExample(unittest.TestCase):
    def test_show_over_the_main_window_then_export(self):
        folder = tempfile.mkdtemp(prefix="vondrel-pyqt-")
        shutil.copyfile(DEMO_DB, os.path.join(folder, "demo.db"))
        app = QApplication.instance() or QApplication([sys.argv[0]])
        host = vondrel.Host(os.path.join(folder, "demo.db"))
        host.login(FUsername="张三", fuserid=1)
        window = pyqt_host.ReportsWindow(host)
        window.show()
        seen = {}

        def on_shown(shown_host):
            report = QApplication.activeModalWidget()
            seen["title"] = report.windowTitle()
            seen["has toolbar"] = report.findChild(QToolBar) is not None
            seen["same application"] = QApplication.instance() is app
            # Shown before it was made modal, the report left the host's window clickable behind it.
            seen["blocks the host"] = QGuiApplication.modalWindow() == report.windowHandle()
            parent = report.windowHandle().transientParent()
            seen["transient parent"] = parent is not None and parent == window.windowHandle()
            seen["centre offset"] = (report.frameGeometry().center() - window.frameGeometry().center()).manhattanLength()
            shown_host.save_window_image(PICTURE)
            shown_host.close_window()

        host.on_shown = on_shown

        def answer_parameter_dialog():
            dialog = QApplication.activeModalWidget()
            if dialog is None or dialog.findChild(QToolBar) is not None:
                QTimer.singleShot(20, answer_parameter_dialog)
                return
            seen["parameter dialog"] = dialog.windowTitle()
            dialog.findChild(QDialogButtonBox).button(QDialogButtonBox.StandardButton.Ok).click()

        QTimer.singleShot(0, answer_parameter_dialog)
        window.show_button.click()  # returns when the report window has closed

        self.assertEqual(seen.get("parameter dialog"), "销售汇总：报表参数")
        self.assertEqual(seen.get("title"), "销售汇总")
        self.assertTrue(seen.get("has toolbar"))
        self.assertTrue(seen.get("same application"))
        self.assertTrue(seen.get("blocks the host"), "modal: the host's window takes no input meanwhile")
        self.assertTrue(seen.get("transient parent"), "the report stacks over the host's window")
        self.assertLessEqual(seen.get("centre offset", 999), 2, "centred on the host's window")
        with open(PICTURE, "rb") as f:
            self.assertEqual(f.read(4), b"\x89PNG")

        out = os.path.join(folder, "销售汇总.xls")
        self.assertEqual(window.export_selected(out), out)
        with open(out, "rb") as f:
            self.assertEqual(f.read(8), b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", "an OLE2 workbook")
        window.close()
        host.close()


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
