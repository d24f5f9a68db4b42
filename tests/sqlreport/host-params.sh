#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# vondrel-host as a user runs it: without arguments it shows the demo's main report; parameters given
# with --param replace the dialog, and a wrong one ends with its message and status 1, without picture.
#   host-params.sh <vondrel-host>
set -u
host=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failed=0

expect() { # name, expected status, expected stderr text ("" = none), picture expected (1/0), args...
    local name=$1 status=$2 text=$3 picture=$4
    shift 4
    rm -f "$dir/shot.png"
    "$host" "$@" --screenshot "$dir/shot.png" >"$dir/out" 2>"$dir/err"
    local got=$?
    if [[ $got != "$status" ]]; then
        echo "$name: exit status $got, expected $status" >&2
        cat "$dir/err" >&2
        failed=1
    fi
    if [[ -n $text ]] && ! grep -qF -- "$text" "$dir/err"; then
        echo "$name: stderr lacks: $text" >&2
        cat "$dir/err" >&2
        failed=1
    fi
    if [[ $picture == 1 ]]; then
        if [[ $(head -c 8 "$dir/shot.png" 2>/dev/null | od -An -tx1 | tr -d ' \n') != 89504e470d0a1a0a ]]; then
            echo "$name: no PNG picture of the window" >&2
            failed=1
        fi
    elif [[ -e $dir/shot.png ]]; then
        echo "$name: a picture was left although the report was refused" >&2
        failed=1
    fi
}

expect "no arguments" 0 "" 1
expect "a report and its parameters" 0 "" 1 --report 3 --param fregionid=华南 --param fdateto=2024-02-29
expect "parameters by their captions" 0 "" 1 --report 3 --param 地区=华南 --param 结束日期=2024-02-29
expect "unknown parameter" 1 \
    "报表“销售汇总”没有参数“fregion”（它的参数：fdatefrom（开始日期）、fdateto（结束日期）、fregionid（地区））" 0 \
    --param fregion=3
expect "impossible date" 1 "“结束日期”不是有效的日期，请按“年-月-日”输入，例如 2024-03-01。" 0 \
    --param fdateto=2024-02-30
expect "words for an amount" 1 "“最低金额”必须是数字。" 0 --report 6 --param "fminamount=1 or 1=1"
expect "not in the list" 1 "请从列表中选择“地区”。" 0 --param fregionid=火星
expect "malformed --param" 1 "--param 的格式是 参数名=值：fregionid" 0 --param fregionid
exit $failed
