#!/usr/bin/env bash
# ci/pg-server.sh start|stop: a throwaway PostgreSQL 15 cluster on
# 127.0.0.1:$PGPORT (and a socket in $PGTMP), run as the postgres user, with
# the database "velmorin". Works when called as root.
set -euo pipefail
PGBIN=/usr/lib/postgresql/15/bin
PGTMP=${PGTMP:-/tmp/velmorin-pg}
PGPORT=${PGPORT:-55432}
case "${1:-}" in
start)
    id postgres >/dev/null 2>&1 || useradd --system --home-dir /nonexistent --shell /usr/sbin/nologin postgres
    if [ -f "$PGTMP/data/postmaster.pid" ]; then "$0" stop || true; fi
    rm -rf "$PGTMP"; install -d -o postgres -g postgres -m 0700 "$PGTMP"
    runuser -u postgres -- "$PGBIN/initdb" -D "$PGTMP/data" -U postgres -A trust -E UTF8 \
        --locale=C.UTF-8 --no-sync >"$PGTMP/initdb.log"
    runuser -u postgres -- "$PGBIN/pg_ctl" -D "$PGTMP/data" -l "$PGTMP/server.log" -w -t 30 \
        -o "-c listen_addresses=127.0.0.1 -c port=$PGPORT -c unix_socket_directories=$PGTMP -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
        start >/dev/null </dev/null
    runuser -u postgres -- "$PGBIN/psql" -h "$PGTMP" -p "$PGPORT" -U postgres -qAt -c "CREATE DATABASE velmorin" ;;
stop)
    if [ -d "$PGTMP/data" ]; then
        runuser -u postgres -- "$PGBIN/pg_ctl" -D "$PGTMP/data" -m fast -w stop >/dev/null || true
    fi ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
