#!/usr/bin/env bash
# Installs what is missing, starts the throwaway servers the tests need,
# builds and runs every test. Run as root on a fresh Debian 12 machine:
#   ./test.sh            (extra arguments go to ctest, e.g. -R Decimal)
# VELMORIN_SANITIZE=1 ./test.sh builds with the address and UB sanitizers;
# VELMORIN_FUZZ=0 ./test.sh leaves out fuzzing the script parsers;
# VELMORIN_CLANG=0 ./test.sh leaves out the second build with clang.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

bash ci/install.sh

BUILD=${BUILD_DIR:-$ROOT/build}
SAN=OFF
if [ "${VELMORIN_SANITIZE:-0}" = 1 ]; then SAN=ON; BUILD=${BUILD_DIR:-$ROOT/build-asan}; fi

export VELMORIN_REQUIRE_SERVERS=1
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/velmorin-xdg.XXXXXX)}
chmod 0700 "$XDG_RUNTIME_DIR"

# Throwaway servers on 127.0.0.1, stopped whatever happens.
export ODBCSYSINI=$ROOT/ci/odbc
export VELMORIN_FB_HOST=127.0.0.1 VELMORIN_FB_USER=SYSDBA VELMORIN_FB_PASSWORD=${FB_PASSWORD:-masterkey}
export VELMORIN_PG_CONN="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=${PGPORT:-55432};Database=velmorin;Uid=postgres;Pwd=x;"
# Folders the Firebird server (user firebird) may create its databases in.
export VELMORIN_FB_SERVER_DIR=/tmp/velmorin-fbdb
install -d -o firebird -g firebird -m 0777 "$VELMORIN_FB_SERVER_DIR"
# A server that was already running (a developer's) is used and left running.
port_open() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
started=()
stop_servers() { for s in "${started[@]}"; do bash "$ROOT/ci/$s-server.sh" stop || true; done; }
trap stop_servers EXIT
if ! port_open 3050; then started+=(fb); bash ci/fb-server.sh start; fi
if ! port_open "${PGPORT:-55432}"; then started+=(pg); bash ci/pg-server.sh start; fi

# Warnings are errors, and the whole tree is built with clang too (in
# build-clang/, not run): a warning only one compiler gives stops the run.
cmake -S . -B "$BUILD" -G Ninja -DVELMORIN_SANITIZE=$SAN -DVELMORIN_WERROR=ON >/dev/null
cmake --build "$BUILD" -j"$(nproc)"
if [ "${VELMORIN_CLANG:-1}" != 0 ]; then
    CC=clang CXX=clang++ cmake -S . -B "${CLANG_BUILD_DIR:-$ROOT/build-clang}" -G Ninja -DVELMORIN_WERROR=ON >/dev/null
    cmake --build "${CLANG_BUILD_DIR:-$ROOT/build-clang}" -j"$(nproc)"
fi

cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
# Both script parsers fuzzed after the suite, with a fixed seed and a bound
# on the inputs tried, so that any machine tries very nearly the same inputs
# (a slow one the first of them, within the time limit) and a failed run can
# be repeated; ci/fuzz.sh run by hand takes a new seed and no bound.
if [ "${VELMORIN_FUZZ:-1}" != 0 ]; then
    FUZZ_SEED=${FUZZ_SEED:-1} FUZZ_RUNS=${FUZZ_RUNS:-40000} bash "$ROOT/ci/fuzz.sh"
fi
