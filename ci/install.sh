#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the servers need.
# Idempotent; needs root; runs without systemd and without questions.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

PKGS=(
    cmake ninja-build g++ ccache pkg-config
    clang libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    firebird3.0-server firebird3.0-server-core firebird3.0-utils libfbclient2 firebird-dev
    firebird3.0-examples
    unixodbc-dev odbcinst odbc-postgresql libsqliteodbc tdsodbc libsqlite3-dev sqlite3 sqlite3-tools
    postgresql-15 postgresql-client-15
    qt6-base-dev xvfb xauth x11-apps netpbm fonts-dejavu-core
)

missing=()
for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "install.sh: these packages are missing and installing them needs root: ${missing[*]}" >&2
    exit 1
fi
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password ${FB_PASSWORD:-masterkey}" |
    debconf-set-selections
apt-get update -q -o DPkg::Lock::Timeout=300
apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=300 "${missing[@]}"
