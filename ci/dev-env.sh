# Source this file to work with the test servers by hand:
#   bash ci/fb-server.sh start; bash ci/pg-server.sh start; . ci/dev-env.sh
# then run ctest in a build folder. The same variables as ./test.sh sets.
_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ODBCSYSINI=$_root/ci/odbc
export VELMORIN_FB_HOST=127.0.0.1 VELMORIN_FB_USER=SYSDBA VELMORIN_FB_PASSWORD=${FB_PASSWORD:-masterkey}
export VELMORIN_PG_CONN="Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=${PGPORT:-55432};Database=velmorin;Uid=postgres;Pwd=x;"
export VELMORIN_FB_SERVER_DIR=/tmp/velmorin-fbdb
export QT_QPA_PLATFORM=offscreen
unset _root
