#!/usr/bin/env bash
# Installs what is missing, starts the throwaway servers the tests need,
# builds and runs every test. Run as root on a fresh Debian 12 machine:
#   ./test.sh            (extra arguments go to ctest, e.g. -R Decimal)
# VELMORIN_SANITIZE=1 ./test.sh builds with the address and UB sanitizers.
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

cmake -S . -B "$BUILD" -G Ninja -DVELMORIN_SANITIZE=$SAN >/dev/null
cmake --build "$BUILD" -j"$(nproc)"

cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
