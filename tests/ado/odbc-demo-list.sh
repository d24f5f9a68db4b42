#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# The demo end to end through ODBC: vondrel-host reads the demo catalogue through the SQLite ODBC
# driver and must list exactly what it lists when it opens the file directly.
#
#   odbc-demo-list.sh <vondrel-host> <demo database> [odbc driver name]
set -euo pipefail

host=$1
db=$2
driver=${3:-${VONDREL_ODBC_SQLITE_DRIVER:-SQLite3}}

direct=$("$host" --db "$db" --list)
if ! through_odbc=$("$host" --db "Driver={$driver};Database=$db" --list 2>&1); then
    echo "$through_odbc" >&2
    # The driver manager speaks when the driver is not installed: a skip (77) outside CI, where a
    # machine may lack it; under CI a missing driver is a failure like any other.
    if [[ ${CI:-} != true && $through_odbc == *"[Driver Manager]"* ]]; then
        exit 77
    fi
    exit 1
fi

# A listing with no reports would make the comparison below vacuous.
grep -q "销售日报.cll" <<<"$direct" || {
    echo "the direct listing lacks the demo's first report:" >&2
    echo "$direct" >&2
    exit 1
}
if [[ $direct != "$through_odbc" ]]; then
    echo "listing through ODBC differs from the direct one:" >&2
    diff <(echo "$direct") <(echo "$through_odbc") >&2 || true
    exit 1
fi
echo "$through_odbc"
