#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
"""A small PyQt6 host: the catalogue's reports in a list, "显示" opens the selected report modally over
this window, "导出" writes it to a file the user picks.

    python3 examples/pyqt_host.py <database> [component folder]

The report window runs in this application's own QApplication (Debian's python3-pyqt6 and the
library share one Qt).
"""
import os
import sys

from PyQt6.QtWidgets import (QApplication, QFileDialog, QHBoxLayout, QListWidget, QListWidgetItem, QMainWindow,
                             QMessageBox, QPushButton, QVBoxLayout, QWidget)
from PyQt6.QtCore import Qt

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))
import vondrel  # noqa: E402


class ReportsWindow(QMainWindow):
    def __init__(self, host: vondrel.Host):
        super().__init__()
        self.host = host
        self.setWindowTitle("报表")
        self.reports = QListWidget()
        for report in host.reports():
            item = QListWidgetItem(f"{report.group_name} / {report.name}")
            item.setData(Qt.ItemDataRole.UserRole, report.id)
            self.reports.addItem(item)
        self.reports.setCurrentRow(0)
        self.show_button = QPushButton("显示")
        self.export_button = QPushButton("导出")
        self.show_button.clicked.connect(self.show_selected)
        self.export_button.clicked.connect(lambda: self.export_selected())
        buttons = QHBoxLayout()
        buttons.addWidget(self.show_button)
        buttons.addWidget(self.export_button)
        layout = QVBoxLayout()
        layout.addWidget(self.reports)
        layout.addLayout(buttons)
        central = QWidget()
        central.setLayout(layout)
        self.setCentralWidget(central)
        self.resize(480, 360)

    def selected(self):
        item = self.reports.currentItem()
        return item.data(Qt.ItemDataRole.UserRole), item.text().split(" / ")[-1]

    def show_selected(self):
        report_id, _ = self.selected()
        # [embedding: show-over-window]
        try:
            self.host.show(report_id, parent=self)  # modal over this window; returns when it closes
        except vondrel.Error:
            pass  # the user has already seen the report's own message
        # [/embedding]

    def export_selected(self, path=None):
        report_id, name = self.selected()
        if path is None:
            path, _ = QFileDialog.getSaveFileName(self, "导出报表", f"{name}.xls",
                                                  "Excel 文件 (*.xls);;Excel 2007 文件 (*.xlsx);;PDF (*.pdf)")
            if not path:
                return None
        try:
            return self.host.export(report_id, path)
        except vondrel.Error as error:
            QMessageBox.warning(self, "导出报表", error.message)
            return None


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    app = QApplication(argv)
    host = vondrel.Host(argv[1], component_folder=argv[2] if len(argv) > 2 else None)
    host.login(FUsername=os.environ.get("USER", "用户"), fuserid=1)
    window = ReportsWindow(host)
    window.show()
    return app.exec()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
