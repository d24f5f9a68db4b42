#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# A host whose window lives in another toolkit (here: another process) names it by its native id:
# the report window becomes its transient child on the X server, so window managers stack it over
# the host and centre it there. Run under Xvfb (a real X server; offscreen has no native ids).
#   test_foreign_parent.py <demo.db>   (VONDREL_LIBRARY names the library under test)
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "python"))
import vondrel  # noqa: E402

HOST_WINDOW = """
import sys
from PyQt6.QtWidgets import QApplication, QWidget
app = QApplication(sys.argv)
window = QWidget()
window.setWindowTitle("宿主窗口")
window.show()
app.processEvents()
print(int(window.winId()), flush=True)
sys.stdin.readline()
"""


class ForeignParent(unittest.TestCase):
    def test_the_report_is_the_transient_child_of_a_window_of_another_process(self):
        from PyQt6.QtWidgets import QApplication  # the library's application, seen through PyQt6

        folder = tempfile.mkdtemp(prefix="vondrel-foreign-")
        shutil.copyfile(sys.argv[1], os.path.join(folder, "demo.db"))
        other = subprocess.Popen([sys.executable, "-c", HOST_WINDOW], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                 text=True)
        try:
            native_id = int(other.stdout.readline())
            host = vondrel.Host(os.path.join(folder, "demo.db"))
            host.login(fuserid=1)
            seen = []

            def on_shown(shown):
                parent = QApplication.activeModalWidget().windowHandle().transientParent()
                seen.append(int(parent.winId()) if parent is not None else None)
                shown.close_window()

            host.on_shown = on_shown
            host.show(1, params={"fdatefrom": "2024-03-01"}, parent=native_id)
            self.assertEqual(seen, [native_id])
            host.close()
        finally:
            other.communicate("\n", timeout=30)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
