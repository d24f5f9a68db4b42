#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# The walk-through of docs/getting-started.md, step by step on a copy of the demo database: draw the
# template, import and check it, add the report to the catalogue, export it. Keeps the page true.
#   getting-started.sh <vondrel-host> <vondrel-template> <demo.db> <source dir>
set -euo pipefail
host=$1 template=$2 demo=$3 source=$4
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/app"
cp "$demo" "$dir/demo.db"

(cd "$dir" && /usr/bin/python3 "$source/docs/examples/ranking/draw.py")
"$template" import "$dir/商品排行.xlsx" -o "$dir/app/商品排行.cll" >/dev/null
"$template" check "$dir/app/商品排行.cll" | grep -q "字段 frank、fname、fqty、famount、fprofit"
sqlite3 "$dir/demo.db" <"$source/docs/examples/ranking/report.sql"
"$host" --db "$dir/demo.db" --list | grep -q "商品销售排行"
# The dialog's first values, as a reader who presses OK sees them, must find the demo's sales: with
# this month as the default, the page ended in an empty report.
"$host" --db "$dir/demo.db" --app-dir "$dir/app" --report 20 --export "$dir/排行.json"

/usr/bin/python3 - "$dir/排行.json" <<'PY'
import json, sys
grid = json.load(open(sys.argv[1], encoding="utf-8"))
assert grid["caption"] == "商品销售排行", grid["caption"]
assert grid["parameters"] == ["开始日期:2024-03-01", "结束日期:2024-03-31"], grid["parameters"]
header = {(h["row"], h["col"]): (h["rowSpan"], h["colSpan"], h["text"]) for h in grid["header"]}
assert header[(0, 2)] == (1, 3, "本期销售"), header
assert header[(0, 1)] == (2, 1, "商品"), header
rows = grid["rows"]
assert len(rows) == 41, len(rows)  # 40 products and the totals row
assert [r["cells"][0] for r in rows[:3]] == ["1", "2", "3"]
amounts = [float(r["cells"][3].replace(",", "")) for r in rows[:-1]]
assert amounts == sorted(amounts, reverse=True), "ranked by amount"
assert rows[-1]["cells"][0] == "合计"
assert abs(float(rows[-1]["cells"][3].replace(",", "")) - sum(amounts)) < 0.005
PY
