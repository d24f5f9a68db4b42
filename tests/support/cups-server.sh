#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# A throw-away CUPS server with one PDF print queue, for printing tests.
#
#   cups-server.sh start <dir>   start cupsd in <dir> with the default queue "VondrelPDF";
#                                print the value CUPS_SERVER must have to reach it
#   cups-server.sh stop <dir>    stop that server and remove <dir>
#
# Jobs are kept in <dir>/spool: d<job>-001 is the document as the application sent it (Qt's own
# PDF), c<job> its attributes. The PDF the queue itself makes lands in <dir>/out.
# Needs root: cupsd drops to the lp user, and the PDF back end reads its settings from a fixed
# path under /etc/cups.
set -euo pipefail

readonly QUEUE=VondrelPDF
readonly MARKER=.vondrel-cups
readonly BACKEND_CONF=/etc/cups/cups-pdf-vondrel.conf

die() {
    echo "cups-server: $*" >&2
    exit 1
}

start() {
    local dir=$1
    ((EUID == 0)) || die "needs root"
    [[ -x /usr/sbin/cupsd && -x /usr/lib/cups/backend/cups-pdf ]] ||
        die "cups and printer-driver-cups-pdf are not installed (./dev setup)"
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)
    touch "$dir/$MARKER"
    mkdir -p "$dir"/{root/ppd,spool/tmp,cache,state,log,out}
    chown root:lp "$dir"/{root,spool,cache,state}
    chmod 755 "$dir"
    chmod 710 "$dir/spool"
    chmod 1770 "$dir/spool/tmp"
    chmod 777 "$dir/out"

    cat >"$dir/cups-files.conf" <<CONF
ServerRoot $dir/root
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
SystemGroup lpadmin root
CONF
    cat >"$dir/cupsd.conf" <<CONF
LogLevel warn
Listen $dir/cups.sock
Browsing No
WebInterface No
PreserveJobFiles Yes
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    # The back end only reads this fixed path; the queue's URI (cups-pdf:/vondrel) names it.
    printf 'Out %s\nAnonDirName %s\nLabel 0\nLog %s\n' "$dir/out" "$dir/out" "$dir/log" >"$BACKEND_CONF"
    /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
    local k
    for ((k = 0; k < 100; k++)); do
        [[ -S $dir/cups.sock ]] && break
        sleep 0.1
    done
    [[ -S $dir/cups.sock ]] || die "cupsd did not start: $(cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null)"
    CUPS_SERVER=$dir/cups.sock lpadmin -p "$QUEUE" -v cups-pdf:/vondrel -E \
        -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd >/dev/null
    CUPS_SERVER=$dir/cups.sock lpadmin -d "$QUEUE" >/dev/null
    echo "$dir/cups.sock"
}

stop() {
    local dir=$1
    [[ -f $dir/$MARKER ]] || die "$dir is not a test CUPS folder"
    if [[ -f $dir/cupsd.pid ]]; then
        kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
        sleep 0.2
    fi
    rm -f "$BACKEND_CONF"
    rm -rf "$dir"
}

(($# == 2)) || {
    echo "usage: $0 start|stop <dir>" >&2
    exit 2
}
case $1 in
start) start "$2" ;;
stop) stop "$2" ;;
*) die "unknown command $1" ;;
esac
