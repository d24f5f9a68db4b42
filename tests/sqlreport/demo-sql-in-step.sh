#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# The demo's SQLite and PostgreSQL scripts are the ones demo/make_sql.py writes from its single
# description, so neither was edited alone.
#   demo-sql-in-step.sh <source dir>
set -eu
src=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/sqlite" "$dir/postgres"
cp "$src/demo/make_sql.py" "$dir/"
/usr/bin/python3 "$dir/make_sql.py"
status=0
for file in sqlite/02-data.sql postgres/02-data.sql sqlite/03-reports.sql postgres/03-reports.sql; do
    if ! diff -u "$src/demo/$file" "$dir/$file" >&2; then
        echo "demo/$file differs from what demo/make_sql.py writes: edit make_sql.py and run it" >&2
        status=1
    fi
done
exit $status
