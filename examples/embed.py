#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
"""A Python host: lists the catalogue, exports report 1, then shows it.

    python3 examples/embed.py <database> <export file> [picture.png: save the shown window there and close it]
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))
import vondrel  # noqa: E402


def main(database, export_path, picture=None):
    # [embedding: create]
    host = vondrel.Host(database)  # component_folder=... when templates are not beside libVondrel.so
    host.login(FUsername="张三", fuserid=1)
    host.set_message_handler(lambda text, title, buttons, icon: print(f"[{title}] {text}", file=sys.stderr))
    # [/embedding]

    # [embedding: list]
    for report in host.reports():
        print(report.id, report.name, report.group_id, report.group_name)
    # [/embedding]

    # [embedding: export]
    try:
        host.export(1, export_path, params={"fdatefrom": "2024-03-01", "fdateto": "2024-03-31"})
    except vondrel.Error as error:
        print("导出失败：", error.message, file=sys.stderr)
    # [/embedding]

    if picture:
        host.on_shown = lambda shown: (shown.save_window_image(picture), shown.close_window())
    # [embedding: show]
    try:
        # Returns when the user has closed the window. Without params the report asks for them.
        host.show(1, params={"fdatefrom": "2024-03-01"})
    except vondrel.Error as error:
        print("报表没有显示：", error.message, file=sys.stderr)
        return 1
    # [/embedding]
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:4]))
