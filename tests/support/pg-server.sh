#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Vondrel authors
# SPDX-License-Identifier: MIT
#
# A throw-away PostgreSQL server for tests and benchmarks.
#
#   pg-server.sh start <dir>   initialise and start a server in <dir>, print its libpq conninfo
#   pg-server.sh stop <dir>    stop that server and remove <dir>
#
# The server listens only on a unix socket inside <dir>, trusts every local
# connection and trades durability for speed: nothing in it outlives the run.
set -euo pipefail

readonly PG_USER_NAME=vondrel        # database superuser the tests connect as
readonly PG_DB_NAME=vondrel_test
readonly OS_USER=vondrel-pg          # the server refuses to run as root
readonly MARKER=.vondrel-pg          # only directories carrying it are ever wiped
readonly FIRST_PORT=54320

die() {
    echo "pg-server: $*" >&2
    exit 1
}

usage() {
    echo "usage: $0 start|stop <dir>" >&2
    exit 2
}

# Debian keeps the server binaries off PATH; take the newest installed major.
find_bindir() {
    local d best
    # Sort by major version number: a plain glob would put 9 after 15.
    best=$(for d in /usr/lib/postgresql/*/bin; do
        [[ -x $d/initdb && -x $d/pg_ctl ]] && echo "$d"
    done | sort -t/ -k5,5n | tail -n1)
    [[ -n $best ]] || die "no PostgreSQL server found under /usr/lib/postgresql (install postgresql-15)"
    echo "$best"
}

# Root may not run the server, so root hands it to a dedicated system user;
# anyone else simply runs it as themselves.
as_server() {
    if ((EUID == 0)); then
        (cd / && runuser -u "$OS_USER" -- "$@")
    else
        (cd / && "$@")
    fi
}

ensure_os_user() {
    ((EUID == 0)) || return 0
    id -u "$OS_USER" >/dev/null 2>&1 && return 0
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$OS_USER" 2>/dev/null ||
        id -u "$OS_USER" >/dev/null 2>&1 || die "cannot create system user $OS_USER"
}

# With a unix socket only, the port just names the socket file; still avoid a
# number that any other server on the machine uses, so logs and lock files
# never get confused.
port_in_use() {
    local port=$1 hex
    hex=$(printf '%04X' "$port")
    grep -q "\.s\.PGSQL\.$port\$" /proc/net/unix 2>/dev/null && return 0
    awk -v h=":$hex" 'NR > 1 && $4 == "0A" && substr($2, length($2) - 4) == h { found = 1 } END { exit !found }' \
        /proc/net/tcp /proc/net/tcp6 2>/dev/null && return 0
    [[ -e /tmp/.s.PGSQL.$port.lock ]] && return 0
    return 1
}

pick_port() {
    local port
    for ((port = FIRST_PORT; port < FIRST_PORT + 500; port++)); do
        port_in_use "$port" || {
            echo "$port"
            return 0
        }
    done
    die "no free port between $FIRST_PORT and $((FIRST_PORT + 499))"
}

postmaster_pid() {
    local pidfile=$1/data/postmaster.pid
    [[ -r $pidfile ]] || return 1
    local pid
    pid=$(head -n1 "$pidfile" 2>/dev/null) || return 1
    [[ $pid =~ ^[0-9]+$ ]] || return 1
    echo "$pid"
}

# Stops whatever server lives in <dir>, including one left behind by a crashed run.
stop_server() {
    local dir=$1 bindir pid i
    [[ -d $dir/data ]] || return 0
    bindir=$(find_bindir)
    if [[ -f $dir/data/postmaster.pid ]]; then
        as_server "$bindir/pg_ctl" stop -D "$dir/data" -m immediate -w -t 20 >/dev/null 2>&1 || true
    fi
    if pid=$(postmaster_pid "$dir") && kill -0 "$pid" 2>/dev/null; then
        # Only kill it if it really is this directory's postmaster, not a reused pid.
        if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF -- "$dir/data"; then
            kill -KILL "$pid" 2>/dev/null || true
            for ((i = 0; i < 50; i++)); do
                kill -0 "$pid" 2>/dev/null || break
                sleep 0.1
            done
        fi
    fi
}

# Refuses to touch a directory that this script did not create.
wipe_dir() {
    local dir=$1
    [[ -e $dir ]] || return 0
    [[ -d $dir ]] || die "$dir exists and is not a directory"
    if [[ -e $dir/$MARKER ]] || [[ -z $(ls -A "$dir") ]]; then
        rm -rf -- "$dir"
    else
        die "$dir is not a server directory made by this script; not removing it"
    fi
}

cmd_start() {
    local dir=$1 bindir port
    bindir=$(find_bindir)
    ensure_os_user

    stop_server "$dir"
    wipe_dir "$dir"
    mkdir -p -- "$dir"
    touch "$dir/$MARKER"
    # The socket path must stay under the kernel's 107-byte limit.
    ((${#dir} + 20 < 107)) || die "path too long for a unix socket: $dir"
    if ((EUID == 0)); then
        chown "$OS_USER:" "$dir"
        chmod 0755 "$dir"
        as_server test -x "$dir" || die "$OS_USER cannot reach $dir (a parent directory is closed to it)"
    fi

    as_server "$bindir/initdb" -D "$dir/data" --auth=trust --encoding=UTF8 --locale=C.UTF-8 \
        --username="$PG_USER_NAME" --no-sync >"$dir/initdb.log" 2>&1 ||
        {
            cat "$dir/initdb.log" >&2
            die "initdb failed"
        }

    port=$(pick_port)
    cat >>"$dir/data/postgresql.conf" <<EOF

# throw-away test server
listen_addresses = ''
port = $port
unix_socket_directories = '$dir'
unix_socket_permissions = 0777
fsync = off
full_page_writes = off
synchronous_commit = off
max_connections = 50
shared_buffers = 32MB
dynamic_shared_memory_type = mmap
timezone = 'UTC'
log_timezone = 'UTC'
EOF

    if ! as_server "$bindir/pg_ctl" start -D "$dir/data" -l "$dir/server.log" -w -t 60 >/dev/null 2>&1; then
        tail -n 30 "$dir/server.log" >&2 2>/dev/null || true
        stop_server "$dir"
        die "server did not start"
    fi

    if ! "$bindir/createdb" -h "$dir" -p "$port" -U "$PG_USER_NAME" "$PG_DB_NAME" >/dev/null 2>"$dir/createdb.log"; then
        cat "$dir/createdb.log" >&2
        stop_server "$dir"
        die "createdb failed"
    fi

    local conninfo="host=$dir port=$port dbname=$PG_DB_NAME user=$PG_USER_NAME"
    echo "$conninfo" >"$dir/conninfo"
    echo "$conninfo"
}

cmd_stop() {
    local dir=$1
    stop_server "$dir"
    wipe_dir "$dir"
}

(($# == 2)) || usage
dir=$2
[[ -n $dir ]] || usage
# Absolute paths keep the socket directory and the pid check unambiguous.
case $dir in
/*) ;;
*) dir=$PWD/$dir ;;
esac
dir=${dir%/}

case $1 in
start) cmd_start "$dir" ;;
stop) cmd_stop "$dir" ;;
*) usage ;;
esac
