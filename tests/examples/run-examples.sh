#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# Runs the example hosts as their users would and checks what they leave: the catalogue listed, the
# export written (read back by xlrd), the report shown (its picture kept) and closed.
#   run-examples.sh <embed (C)> <embed-cpp> <embed.py> <demo.db> <component folder> <scratch folder>
set -euo pipefail
c=$1 cpp=$2 py=$3 demo=$4 component=$5 dir=$6
rm -rf "$dir"
mkdir -p "$dir"
cp "$demo" "$dir/demo.db"

read_back() { # the workbook's first data cell that names a customer, as a spreadsheet program reads it
    /usr/bin/python3 -c 'import sys, xlrd; s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
print(next(v for r in range(s.nrows) for v in s.row_values(r) if v == "北京华联商厦"))' "$1"
}

"$c" "$dir/demo.db" "$dir/c.xls" "$dir/c.png" >"$dir/c.out"
grep -qx "1 销售汇总 (1 销售报表)" "$dir/c.out"
read_back "$dir/c.xls" | grep -qx "北京华联商厦"
head -c 4 "$dir/c.png" | grep -q PNG

/usr/bin/python3 "$py" "$dir/demo.db" "$dir/py.xlsx" "$dir/py.png" >"$dir/py.out"
grep -qx "6 收款明细 2 财务报表" "$dir/py.out"
head -c 2 "$dir/py.xlsx" | grep -q PK
head -c 4 "$dir/py.png" | grep -q PNG

"$cpp" "$dir/demo.db" "$dir/cpp.xls" "$component"
read_back "$dir/cpp.xls" | grep -qx "北京华联商厦"
echo "examples ran: C, C++ and Python hosts exported and showed the demo report"
