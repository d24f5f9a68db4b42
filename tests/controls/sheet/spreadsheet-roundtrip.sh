#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# A template saved by a real spreadsheet program: the demo workbook is opened and saved again by
# LibreOffice (xlsx -> ods -> xlsx), imported with vondrel-template, checked, and its header rows and
# merges must come out as those of the original; export + import must then change nothing.
#   spreadsheet-roundtrip.sh <vondrel-template> <workbook.xlsx>
set -euo pipefail
tool=$1
workbook=$2
if ! command -v soffice >/dev/null; then
    if [[ ${CI:-} == true ]]; then
        echo "soffice (libreoffice-calc-nogui) is missing" >&2
        exit 1
    fi
    echo "soffice not installed: skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$workbook" "$work/in.xlsx"
cd "$work"
# A private profile: the user's own settings and a running office must not interfere.
export HOME=$work
soffice --headless --convert-to ods in.xlsx >/dev/null 2>&1
mv in.ods saved.ods
soffice --headless --convert-to xlsx saved.ods >/dev/null 2>&1
[[ -s saved.xlsx ]] || { echo "LibreOffice wrote no workbook" >&2; exit 1; }

"$tool" import in.xlsx -o original.cll >/dev/null
"$tool" import saved.xlsx -o saved.cll >/dev/null
"$tool" check saved.cll >/dev/null
# Header rows (between the markers) as texts, without style numbers, and every merge.
header() {
    "$tool" dump "$1" | awk '/"start"/ {on = 1; next} /"end"/ {on = 0} on && /^r/' | sed -E 's/@[0-9]+//g; s/ h=[0-9]+//'
    "$tool" dump "$1" | grep '^merge'
}
diff <(header original.cll) <(header saved.cll)
[[ $(header saved.cll | grep -c '^merge') -ge 6 ]] || { echo "the header lost its merges" >&2; exit 1; }

"$tool" export saved.cll -o back.xlsx >/dev/null
"$tool" import back.xlsx -o back.cll >/dev/null
diff <("$tool" dump saved.cll) <("$tool" dump back.cll)
echo "LibreOffice-saved template: same header, lossless export and import"
