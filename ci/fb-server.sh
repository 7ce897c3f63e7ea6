#!/usr/bin/env bash
# ci/fb-server.sh start|stop: a Firebird 3 SuperServer on 127.0.0.1:3050 only,
# run as the firebird user, stopped by its process id. No systemd needed.
# The server must use the shared lock folder /tmp/firebird, so no private
# FIREBIRD_LOCK is passed to it.
#
# The machine's firebird.conf binds the server to "localhost", which a stock
# Debian /etc/hosts also maps to ::1 -- the server then listens on [::1]:3050
# and every test on 127.0.0.1 fails. So the server gets a root folder of its
# own (FIREBIRD=...) whose firebird.conf is the machine's with the address and
# port pinned; the machine's files are never changed. Everything else (plugins,
# security database, lock folder, log) stays where the packages put it.
set -euo pipefail
PIDFILE=${FB_PIDFILE:-/tmp/velmorin-fb/firebird.pid}
FB_PASSWORD=${FB_PASSWORD:-masterkey}
FB_ETC=/etc/firebird/3.0
FB_LIB=/usr/lib/x86_64-linux-gnu/firebird/3.0
case "${1:-}" in
start)
    if [ -f "$PIDFILE" ] && kill -0 "$(cat "$PIDFILE")" 2>/dev/null; then exit 0; fi
    if (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
        echo "fb-server.sh: something already listens on 127.0.0.1:3050; using it" >&2; exit 0
    fi
    dir=$(dirname "$PIDFILE")
    mkdir -p "$dir"
    install -d -o firebird -g firebird -m 0770 /tmp/firebird /run/firebird3.0

    # The private root folder: read by the server (user firebird), written only here.
    root=$dir/root
    rm -rf "$root"
    install -d -m 0755 "$root"
    {
        grep -Ev '^[[:space:]]*(RemoteBindAddress|RemoteServicePort)[[:space:]]*=' "$FB_ETC/firebird.conf"
        echo "RemoteBindAddress = 127.0.0.1"
        echo "RemoteServicePort = 3050"
    } >"$root/firebird.conf"
    for f in databases.conf plugins.conf fbtrace.conf; do ln -s "$FB_ETC/$f" "$root/$f"; done
    ln -s "$FB_LIB/firebird.msg" "$root/firebird.msg"
    # The character sets are looked up beside the root; a linked folder is not followed.
    cp -r "$FB_LIB/intl" "$root/intl"
    chmod -R a+rX "$root"
    if ! setpriv --reuid=firebird --regid=firebird --init-groups test -r "$root/firebird.conf"; then
        echo "fb-server.sh: user firebird cannot read $root/firebird.conf (a parent folder is closed to it)" >&2
        exit 1
    fi

    # SYSDBA's password is written into the security database while no server runs.
    echo "create or alter user SYSDBA password '$FB_PASSWORD'; commit;" |
        env -u FIREBIRD_LOCK isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb
    chown firebird:firebird /var/lib/firebird/3.0/system/security3.fdb
    env -u FIREBIRD_LOCK FIREBIRD="$root" \
        setpriv --reuid=firebird --regid=firebird --init-groups /usr/sbin/firebird \
        >>"$dir/firebird.out" 2>&1 </dev/null &
    echo $! >"$PIDFILE"
    for _ in $(seq 1 100); do
        (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null && exit 0
        kill -0 "$(cat "$PIDFILE")" 2>/dev/null || break
        sleep 0.1
    done
    echo "fb-server.sh: firebird did not open 127.0.0.1:3050 (see $dir/firebird.out)" >&2
    bash "$0" stop; exit 1 ;;
stop)
    [ -f "$PIDFILE" ] || exit 0
    pid=$(cat "$PIDFILE"); kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    rm -f "$PIDFILE"
    rm -rf "$(dirname "$PIDFILE")/root" ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
