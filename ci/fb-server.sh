#!/usr/bin/env bash
# ci/fb-server.sh start|stop: a Firebird 3 SuperServer on 127.0.0.1:3050 only,
# run as the firebird user, stopped by its process id. No systemd needed.
# The server must use the shared lock folder /tmp/firebird, so no private
# FIREBIRD_LOCK is passed to it.
set -euo pipefail
PIDFILE=${FB_PIDFILE:-/tmp/velmorin-fb/firebird.pid}
FB_PASSWORD=${FB_PASSWORD:-masterkey}
case "${1:-}" in
start)
    if [ -f "$PIDFILE" ] && kill -0 "$(cat "$PIDFILE")" 2>/dev/null; then exit 0; fi
    if (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
        echo "fb-server.sh: something already listens on 127.0.0.1:3050; using it" >&2; exit 0
    fi
    mkdir -p "$(dirname "$PIDFILE")"
    install -d -o firebird -g firebird -m 0770 /tmp/firebird /run/firebird3.0
    # SYSDBA's password is written into the security database while no server runs.
    echo "create or alter user SYSDBA password '$FB_PASSWORD'; commit;" |
        env -u FIREBIRD_LOCK isql-fb -q -user SYSDBA /var/lib/firebird/3.0/system/security3.fdb
    chown firebird:firebird /var/lib/firebird/3.0/system/security3.fdb
    env -u FIREBIRD_LOCK setpriv --reuid=firebird --regid=firebird --init-groups /usr/sbin/firebird \
        >>"$(dirname "$PIDFILE")/firebird.out" 2>&1 </dev/null &
    echo $! >"$PIDFILE"
    for _ in $(seq 1 100); do
        (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null && exit 0
        sleep 0.1
    done
    echo "fb-server.sh: firebird did not open 127.0.0.1:3050" >&2; exit 1 ;;
stop)
    [ -f "$PIDFILE" ] || exit 0
    pid=$(cat "$PIDFILE"); kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    rm -f "$PIDFILE" ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
