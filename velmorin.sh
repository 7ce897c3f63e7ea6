#!/usr/bin/env bash
# Installs what is missing, builds the program and opens its window.
#   ./velmorin.sh                      the window (needs a display)
#   xvfb-run -a ./velmorin.sh          under a virtual display
#   ./velmorin.sh --compare            "Compare" run at once with the entries
#   xvfb-run -a ./velmorin.sh --screenshot docs/velmorin.png --compare
#                                      a picture of the window after "Compare"
# On the first run (no settings file yet) it makes two small sample Firebird
# databases and a settings file that points both sides at them, so that
# "Compare" and then "Update" work at once. Delete build/app/Kestrova.Ini to
# start over with fresh samples.
set -euo pipefail
START=$PWD
cd "$(dirname "$0")"
ROOT=$PWD

bash ci/install.sh

BUILD=${BUILD_DIR:-$ROOT/build}
cmake -S . -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" --target velmorin

APPDIR=$BUILD/app
INI=$APPDIR/Kestrova.Ini
SAMPLES=$BUILD/samples

# A non-root user cannot use the lock folder of the Firebird server's user.
if [ "$(id -u)" -ne 0 ] && [ -d /tmp/firebird ] && [ ! -w /tmp/firebird ]; then
    export FIREBIRD_LOCK=$BUILD/fblock
    mkdir -p "$FIREBIRD_LOCK"
fi

# make_sample <name>: a fresh embedded database from schema.sql and <name>.sql.
make_sample() {
    local db=$SAMPLES/$1.fdb
    rm -f "$db"
    {
        printf "CREATE DATABASE '%s' USER 'SYSDBA' PASSWORD 'masterkey' DEFAULT CHARACTER SET UTF8;\n" \
            "${db//\'/\'\'}"
        cat "$ROOT/samples/schema.sql" "$ROOT/samples/$1.sql"
    } | isql-fb -q -bail >/dev/null
}

if [ ! -e "$INI" ]; then
    echo "velmorin.sh: first run: sample databases in $SAMPLES, settings in $INI"
    mkdir -p "$SAMPLES"
    make_sample master
    make_sample target
    # The settings hold passwords: readable by the owner only.
    (
        umask 077
        cat >"$INI" <<EOF
[Databases]
DatabaseTypeM=1
DatabaseTypeT=1
DBNameM=$SAMPLES/master.fdb
DBNameT=$SAMPLES/target.fdb
HostNameM=
HostNameT=
UserNameM=SYSDBA
UserNameT=SYSDBA
PasswordM=masterkey
PasswordT=masterkey
WinAuthenticationM=0
WinAuthenticationT=0
TableNameM=PRODUCTS
TableNameT=PRODUCTS
EOF
    )
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "velmorin.sh: no display to open the window on." >&2
    echo "Run it under a virtual display instead:  xvfb-run -a ./velmorin.sh" >&2
    exit 1
fi
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR=$(mktemp -d /tmp/velmorin-xdg.XXXXXX)
    export XDG_RUNTIME_DIR
fi

# The program writes Result.SQL and Result.LOB to the folder it runs in: its
# own. A picture's file name is taken from where this script was started.
args=()
while [ $# -gt 0 ]; do
    if [ "$1" = --screenshot ] && [ $# -gt 1 ]; then
        case $2 in /*) shot=$2 ;; *) shot=$START/$2 ;; esac
        args+=("$1" "$shot")
        shift 2
    else
        args+=("$1")
        shift
    fi
done
cd "$APPDIR"
exec ./velmorin "${args[@]}"
