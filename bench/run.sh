#!/usr/bin/env bash
# Builds the benchmarks in Release and runs them all, then prints a table:
# each figure beside its reference, their ratio, the goal and whether it is
# met. Every database is built from a seed in a temporary folder that is
# removed at the end (the PostgreSQL tables are dropped).
#
#   bench/run.sh                 (from the repository's root or anywhere)
#
# Settings (environment): BUILD_DIR (build-bench), ROWS (1000000), SMALL
# (10000), BLOB_ROWS (10000), BLOB_KIB (100), SEED (20240601), REPS (3: each
# timing is the best of REPS runs, reference and figure taken in turn),
# UPDATE_REPS (5, the same for the update, whose disk writes vary most),
# LOAD_SIZES ("12500 25000 50000 100000", the object counts of 7).
# PostgreSQL and the Firebird server are used as ci/dev-env.sh names them
# (sourced when VELMORIN_PG_CONN is not set); without them their rows say
# "skipped". The SQLite rows need no server: after the update every cell of
# the target is checked against the master with libsqlite3, and the first
# difference is printed below the table with the statements of Result.SQL
# for its key.
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build-bench}
ROWS=${ROWS:-1000000}
SMALL=${SMALL:-10000}
BLOB_ROWS=${BLOB_ROWS:-10000}
BLOB_KIB=${BLOB_KIB:-100}
SEED=${SEED:-20240601}
REPS=${REPS:-3}
UPDATE_REPS=${UPDATE_REPS:-5}
# Page buffers of the copies on which the comparer's own memory is measured.
FIXED_PAGES=256

if [ -z "${VELMORIN_PG_CONN:-}" ] && [ -f "$ROOT/ci/dev-env.sh" ]; then
    # shellcheck disable=SC1091
    . "$ROOT/ci/dev-env.sh"
fi

echo "== building (Release) in $BUILD_DIR"
mkdir -p "$BUILD_DIR"
cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release > "$BUILD_DIR/bench-cmake.log" 2>&1 ||
    { cat "$BUILD_DIR/bench-cmake.log"; exit 1; }
cmake --build "$BUILD_DIR" --target qelBenchData qelVelmorin_bench qelSQL_Exec_bench qelObjsLoad_bench qelParser_bench \
    qelVelmorinForm_bench ||
    exit 1
B=$BUILD_DIR/bench

WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmorin-bench.XXXXXX")
PG_TABLES=()
SERVER_FILES=()
cleanup() {
    if [ ${#PG_TABLES[@]} -gt 0 ]; then "$B/qelBenchData" drop pg: "${PG_TABLES[@]}" 2> /dev/null; fi
    for f in "${SERVER_FILES[@]}"; do rm -f "$f"; done
    rm -rf "$WORK"
}
trap cleanup EXIT
# The lock folder of every embedded process of this run, isql-fb included.
export FIREBIRD_LOCK=$WORK/lock
mkdir -p "$FIREBIRD_LOCK"
echo "== data in $WORK ($(df -h --output=avail "$WORK" | tail -1 | tr -d ' ') free)"

MASTER=$WORK/master.fdb
TARGET=$WORK/target.fdb
LOG=$WORK/log
TABLE_L=PERF_ROWS_L
TABLE_S=PERF_ROWS_S

# run NAME COMMAND...: runs a program, keeps its "name value" lines in
# $WORK/NAME.out; its messages go to the log.
run() {
    local name=$1
    shift
    "$@" > "$WORK/$name.out" 2>> "$LOG"
    local rc=$?
    if [ $rc -ne 0 ]; then
        echo "   $name failed (exit $rc):" >&2
        tail -5 "$LOG" >&2
    fi
    return $rc
}
# val NAME KEY: a figure of the last run called NAME.
val() { awk -v k="$2" '$1 == k { print $2 }' "$WORK/$1.out"; }
min() { printf '%s\n' "$@" | sort -g | head -1; }
max() { printf '%s\n' "$@" | sort -g | tail -1; }
calc() { awk "BEGIN { printf \"%.${2:-2}f\", $1 }"; }

ROWS_OUT=()
# row FIGURE MEASURED REFERENCE RATIO GOAL MET
row() { ROWS_OUT+=("$(printf '%-44s|%14s|%14s|%7s|%10s|%s' "$@")"); }
skip() { row "$1" "skipped" "" "" "$2" "${3:-}"; }
# judge RATIO OP LIMIT: "yes" or "NO".
judge() { awk -v r="$1" -v l="$3" -v op="$2" 'BEGIN { ok = (op == "<=") ? (r <= l) : (r >= l); print ok ? "yes" : "NO" }'; }

differences() {
    echo $(($(val "$1" inserted) + $(val "$1" updated) + $(val "$1" deleted)))
}

# compare_series TAG MASTER TARGET TABLE [TARGET_TABLE]: REPS rounds of the
# sequential fetch, the fetch in step and the comparison; sets BEST_FETCH,
# BEST_SLOWER (the slower side's fetch alone), BEST_STEP, BEST_COMPARE,
# PEAK_COMPARE (the highest of the runs).
compare_series() {
    local tag=$1 m=$2 t=$3 table=$4 ttable=${5:-$4}
    local fetches=() slowers=() steps=() compares=() peaks=()
    for ((i = 1; i <= REPS; i++)); do
        run "$tag-fetch" "$B/qelVelmorin_bench" fetch "$m" "$t" "$table" "$ttable" || return 1
        fetches+=("$(val "$tag-fetch" fetch_s)")
        slowers+=("$(val "$tag-fetch" slower_s)")
        run "$tag-step" "$B/qelVelmorin_bench" instep "$m" "$t" "$table" "$ttable" || return 1
        steps+=("$(val "$tag-step" fetch_s)")
        run "$tag-compare" "$B/qelVelmorin_bench" compare "$m" "$t" "$table" "$WORK/Result-$tag.SQL" "$ttable" ||
            return 1
        compares+=("$(val "$tag-compare" compare_s)")
        peaks+=("$(val "$tag-compare" peak_kib)")
    done
    BEST_FETCH=$(min "${fetches[@]}")
    BEST_SLOWER=$(min "${slowers[@]}")
    BEST_STEP=$(min "${steps[@]}")
    BEST_COMPARE=$(min "${compares[@]}")
    PEAK_COMPARE=$(max "${peaks[@]}")
    echo "   $tag: fetch ${fetches[*]} s; in step ${steps[*]} s; compare ${compares[*]} s;" \
        "statements $(val "$tag-compare" inserted)/$(val "$tag-compare" updated)/$(val "$tag-compare" deleted)"
}

# peak_of TAG MASTER TARGET TABLE [TARGET_TABLE]: the peak (KiB) of one
# comparison (it hardly varies from run to run).
peak_of() {
    run "$1" "$B/qelVelmorin_bench" compare "$2" "$3" "$4" "$WORK/Result-$1.SQL" "${5:-$4}" || return 1
    val "$1" peak_kib
}

# memory_row FIGURE BIG_KIB SMALL_KIB
memory_row() {
    local limit=$(($3 + 16384))
    row "$1" "$(calc "$2 / 1024" 1) MiB" "$(calc "$limit / 1024" 1) MiB" "$(calc "$2 / $limit")" "<= 1.00" \
        "$(judge "$(calc "$2 / $limit" 4)" "<=" 1)"
}

# immediate_series PRISTINE: UPDATE_REPS rounds, each on a fresh copy of
# PRISTINE, of the comparison writing no script and then the same
# comparison applying its differences at once (which writes none either);
# both run on the same copy with the same database settings (the plain
# comparison changes nothing). Sets BEST_PLAIN, BEST_IMM.
immediate_series() {
    local plains=() imms=() copy=$WORK/imm-target.fdb
    for ((i = 1; i <= UPDATE_REPS; i++)); do
        cp "$1" "$copy" && sync || return 1
        run emb-plain "$B/qelVelmorin_bench" compare "fb:$MASTER" "fb:$copy" $TABLE_L - || return 1
        plains+=("$(val emb-plain compare_s)")
        run emb-imm "$B/qelVelmorin_bench" immediate "fb:$MASTER" "fb:$copy" $TABLE_L - || return 1
        imms+=("$(val emb-imm compare_s)")
    done
    rm -f "$copy"
    echo "   $(basename "$1"): compare ${plains[*]} s; compared and applied ${imms[*]} s"
    BEST_PLAIN=$(min "${plains[@]}")
    BEST_IMM=$(min "${imms[@]}")
}

echo "== generating $ROWS and $SMALL rows (seed $SEED)"
run gen-l "$B/qelBenchData" rows "fb:$MASTER" "fb:$TARGET" $TABLE_L "$ROWS" "$SEED" || exit 1
run gen-s "$B/qelBenchData" rows "fb:$MASTER" "fb:$TARGET" $TABLE_S "$SMALL" "$SEED" || exit 1
cp "$TARGET" "$WORK/target-pristine.fdb"
# The same target with asynchronous writes, for the rows that show what the
# disk's synchronous page writes leave of a figure.
cp "$TARGET" "$WORK/target-async.fdb"
gfix -write async -user SYSDBA "$WORK/target-async.fdb" >> "$LOG" 2>&1 || rm -f "$WORK/target-async.fdb"
# Every ratio of the Firebird rows sets two runs on copies of the same files:
# the settings they share are printed once.
for f in "$MASTER" "$TARGET"; do
    echo "   $(basename "$f"): $(fbstat -h "$f" 2>> "$LOG" | awk -F'\t+' '/Page size|Page buffers|Attributes/ { printf "%s %s; ", $2, $3 }')"
done

# ---- 1. comparison, embedded ---------------------------------------------
echo "== 1. comparison, embedded engine"
if compare_series emb "fb:$MASTER" "fb:$TARGET" $TABLE_L; then
    r=$(calc "$BEST_COMPARE / $BEST_FETCH" 4)
    row "1. compare ${ROWS} rows, embedded, vs both fetches (s)" "$BEST_COMPARE" "$BEST_FETCH" "$(calc "$r")" \
        "<= 0.60" "$(judge "$r" "<=" 0.6)"
    r=$(calc "$BEST_COMPARE / $BEST_SLOWER" 4)
    row "   vs the slower side's fetch alone (s)" "$BEST_COMPARE" "$BEST_SLOWER" "$(calc "$r")" "<= 1.20" \
        "$(judge "$r" "<=" 1.2)"
    row "   reference read in step instead (s)" "$BEST_COMPARE" "$BEST_STEP" \
        "$(calc "$BEST_COMPARE / $BEST_STEP")" "info" ""
    EMB_PEAK=$PEAK_COMPARE
    if immediate_series "$WORK/target-pristine.fdb"; then
        r=$(calc "$BEST_IMM / $BEST_PLAIN" 4)
        row "   compared and applied at once, vs compare (s)" "$BEST_IMM" "$BEST_PLAIN" "$(calc "$r")" "<= 1.30" \
            "$(judge "$r" "<=" 1.3)"
    else
        skip "   compared and applied at once, vs compare (s)" "<= 1.30" "NO"
    fi
    if [ -f "$WORK/target-async.fdb" ] && immediate_series "$WORK/target-async.fdb"; then
        row "   same, asynchronous writes (s)" "$BEST_IMM" "$BEST_PLAIN" "$(calc "$BEST_IMM / $BEST_PLAIN")" "info" ""
    fi
else
    skip "1. compare ${ROWS} rows, embedded (s)" "<= 1.30" "NO"
fi

# ---- 2. memory -------------------------------------------------------------
echo "== 2. memory"
if [ -n "${EMB_PEAK:-}" ] && small_peak=$(peak_of emb-small "fb:$MASTER" "fb:$TARGET" $TABLE_S); then
    memory_row "2. peak memory ${ROWS} vs ${SMALL} rows + 16 MiB" "$EMB_PEAK" "$small_peak"
else
    skip "2. peak memory ${ROWS} vs ${SMALL} rows + 16 MiB" "<= 1.00" "NO"
fi
# The same on copies whose page cache is fixed at FIXED_PAGES pages, so that
# the engine's cache is equally small in both runs.
cp "$MASTER" "$WORK/mem-master.fdb" && cp "$WORK/target-pristine.fdb" "$WORK/mem-target.fdb"
if gfix -buffers $FIXED_PAGES -user SYSDBA "$WORK/mem-master.fdb" >> "$LOG" 2>&1 &&
    gfix -buffers $FIXED_PAGES -user SYSDBA "$WORK/mem-target.fdb" >> "$LOG" 2>&1 &&
    big=$(peak_of mem-big "fb:$WORK/mem-master.fdb" "fb:$WORK/mem-target.fdb" $TABLE_L) &&
    small=$(peak_of mem-small "fb:$WORK/mem-master.fdb" "fb:$WORK/mem-target.fdb" $TABLE_S); then
    memory_row "   same, engine page cache $FIXED_PAGES pages" "$big" "$small"
else
    skip "   same, engine page cache $FIXED_PAGES pages" "<= 1.00"
fi
rm -f "$WORK/mem-target.fdb"

# ---- 1 and 2 on the Firebird server, when there is one ---------------------
SDIR=${VELMORIN_FB_SERVER_DIR:-}
SHOST=${VELMORIN_FB_HOST:-}
if [ -n "$SHOST" ] && [ -n "$SDIR" ] && [ -d "$SDIR" ] && [ -w "$SDIR" ]; then
    echo "== 1 and 2 on the Firebird server $SHOST"
    SM=$SDIR/velmorin-bench-$$-m.fdb
    ST=$SDIR/velmorin-bench-$$-t.fdb
    SERVER_FILES=("$SM" "$ST")
    cp "$MASTER" "$SM" && cp "$WORK/target-pristine.fdb" "$ST"
    if id firebird > /dev/null 2>&1; then chown firebird:firebird "$SM" "$ST"; fi
    if compare_series srv "fb:$SHOST:$SM" "fb:$SHOST:$ST" $TABLE_L &&
        small=$(peak_of srv-small "fb:$SHOST:$SM" "fb:$SHOST:$ST" $TABLE_S); then
        r=$(calc "$BEST_COMPARE / $BEST_FETCH" 4)
        row "   compare ${ROWS} rows, server (s)" "$BEST_COMPARE" "$BEST_FETCH" "$(calc "$r")" "<= 1.30" \
            "$(judge "$r" "<=" 1.3)"
        memory_row "   peak memory, server" "$PEAK_COMPARE" "$small"
    else
        skip "   compare ${ROWS} rows, server (s)" "<= 1.30"
    fi
    rm -f "$SM" "$ST"
else
    skip "   compare ${ROWS} rows, server (s)" "<= 1.30" "(no server)"
fi

# ---- 3. update: executor and isql-fb on the same Result.SQL ---------------
echo "== 3. update"
# update_series PRISTINE: UPDATE_REPS rounds of the executor and isql-fb, each
# on a fresh copy of PRISTINE (written to disk first, so that no run pays for
# the copy); the first round of each is checked by comparing again. Sets
# BEST_EXEC, BEST_ISQL.
update_series() {
    local pristine=$1 execs=() isqls=() checked=""
    for ((i = 1; i <= UPDATE_REPS; i++)); do
        cp "$pristine" "$TARGET" && sync
        run update "$B/qelSQL_Exec_bench" update "fb:$MASTER" "fb:$TARGET" $TABLE_L "$WORK/Result.SQL" || return 1
        execs+=("$(val update exec_s)")
        STATEMENTS=$(val update statements)
        if [ $i -eq 1 ]; then
            run check-exec "$B/qelVelmorin_bench" compare "fb:$MASTER" "fb:$TARGET" $TABLE_L - &&
                checked+="executor $(differences check-exec) differences left; "
        fi
        cp "$pristine" "$TARGET" && sync
        run isql "$B/qelSQL_Exec_bench" isql "$WORK/Result.SQL" || return 1
        isqls+=("$(val isql isql_s)")
        if [ $i -eq 1 ]; then
            run check-isql "$B/qelVelmorin_bench" compare "fb:$MASTER" "fb:$TARGET" $TABLE_L - &&
                checked+="isql-fb $(differences check-isql) differences left"
        fi
    done
    echo "   executor ${execs[*]} s; isql-fb ${isqls[*]} s; $checked"
    BEST_EXEC=$(min "${execs[@]}")
    BEST_ISQL=$(min "${isqls[@]}")
}
if update_series "$WORK/target-pristine.fdb"; then
    r=$(calc "$BEST_EXEC / $BEST_ISQL" 4)
    row "3. executor, ${STATEMENTS:-?} statements (s)" "$BEST_EXEC" "$BEST_ISQL" "$(calc "$r")" "<= 0.70" \
        "$(judge "$r" "<=" 0.7)"
else
    skip "3. executor vs isql-fb (s)" "<= 0.70" "NO"
fi
# The same with asynchronous writes: the disk's synchronous page writes, the
# same for both and most of the time, are left out.
if [ -f "$WORK/target-async.fdb" ] && update_series "$WORK/target-async.fdb"; then
    row "   same, asynchronous writes (s)" "$BEST_EXEC" "$BEST_ISQL" "$(calc "$BEST_EXEC / $BEST_ISQL")" "info" ""
fi
rm -f "$TARGET" "$WORK/target-pristine.fdb" "$WORK/target-async.fdb"

# ---- 4. BLOBs --------------------------------------------------------------
echo "== 4. BLOBs: $BLOB_ROWS rows of $BLOB_KIB KiB"
BM=$WORK/blob-master.fdb
BT=$WORK/blob-target.fdb
if run gen-blobs "$B/qelBenchData" blobs "fb:$BM" "fb:$BT" PERF_BLOBS "$BLOB_ROWS" "$BLOB_KIB" "$SEED" &&
    compare_series blob "fb:$BM" "fb:$BT" PERF_BLOBS; then
    bytes=$(val blob-fetch blob_bytes)
    mc=$(calc "$bytes / 1000000 / $BEST_COMPARE" 0)
    mf=$(calc "$bytes / 1000000 / $BEST_FETCH" 0)
    r=$(calc "$mc / $mf" 4)
    row "4. BLOB compare (MB/s)" "$mc" "$mf" "$(calc "$r")" ">= 0.50" "$(judge "$r" ">=" 0.5)"
else
    skip "4. BLOB compare (MB/s)" ">= 0.50" "NO"
fi
rm -f "$BM" "$BT"

# ---- 5. ODBC: PostgreSQL target ---------------------------------------------
echo "== 5. PostgreSQL target through ODBC"
PG_L=velmorin_bench_l_$$
PG_S=velmorin_bench_s_$$
if [ -n "${VELMORIN_PG_CONN:-}" ] && PG_TABLES=("$PG_L" "$PG_S") &&
    run gen-pg-l "$B/qelBenchData" rows - pg: "$PG_L" "$ROWS" "$SEED" &&
    run gen-pg-s "$B/qelBenchData" rows - pg: "$PG_S" "$SMALL" "$SEED" &&
    compare_series pg "fb:$MASTER" pg: $TABLE_L "$PG_L" &&
    small=$(peak_of pg-small "fb:$MASTER" pg: $TABLE_S "$PG_S"); then
    row "5. compare ${ROWS} rows to PostgreSQL (s)" "$BEST_COMPARE" "$BEST_FETCH" \
        "$(calc "$BEST_COMPARE / $BEST_FETCH")" "info" ""
    memory_row "   peak memory ${ROWS} vs ${SMALL} rows + 16 MiB" "$PEAK_COMPARE" "$small"
    if big=$(peak_of pg-mem-big "fb:$WORK/mem-master.fdb" pg: $TABLE_L "$PG_L") &&
        small=$(peak_of pg-mem-small "fb:$WORK/mem-master.fdb" pg: $TABLE_S "$PG_S"); then
        memory_row "   same, engine page cache $FIXED_PAGES pages" "$big" "$small"
    fi
else
    skip "5. compare ${ROWS} rows to PostgreSQL (s)" "info" "(no PostgreSQL)"
fi

# ---- 6. SQLite files: compared, applied through the executor, checked ---
echo "== 6. SQLite files: $ROWS and $SMALL rows"
LM=$WORK/master.db
LT=$WORK/target.db
LITE_L=PERF_LITE_L
LITE_S=PERF_LITE_S
LITE_CHECK=""
if run gen-lite-l "$B/qelBenchData" sqlite "$LM" "$LT" $LITE_L "$ROWS" "$SEED" &&
    run gen-lite-s "$B/qelBenchData" sqlite "$LM" "$LT" $LITE_S "$SMALL" "$SEED" &&
    compare_series lite "sqlite:$LM" "sqlite:$LT" $LITE_L &&
    small=$(peak_of lite-small "sqlite:$LM" "sqlite:$LT" $LITE_S); then
    row "6. compare ${ROWS} rows, SQLite files (s)" "$BEST_COMPARE" "$BEST_FETCH" \
        "$(calc "$BEST_COMPARE / $BEST_FETCH")" "info" ""
    # SQLite's own sqldiff on the same two files, writing its script.
    if command -v sqldiff > /dev/null; then
        diffs=()
        for ((i = 1; i <= REPS; i++)); do
            t0=$(date +%s.%N)
            sqldiff --table $LITE_L "$LM" "$LT" > "$WORK/sqldiff.sql" 2>> "$LOG" || break
            diffs+=("$(calc "$(date +%s.%N) - $t0" 4)")
        done
        if [ ${#diffs[@]} -eq "$REPS" ]; then
            best=$(min "${diffs[@]}")
            r=$(calc "$BEST_COMPARE / $best" 4)
            row "   vs sqldiff on the same files (s)" "$BEST_COMPARE" "$best" "$(calc "$r")" "<= 2.00" \
                "$(judge "$r" "<=" 2)"
        else
            skip "   vs sqldiff on the same files (s)" "<= 2.00" "NO"
        fi
    else
        skip "   vs sqldiff on the same files (s)" "<= 2.00" "(no sqldiff)"
    fi
    memory_row "   peak memory ${ROWS} vs ${SMALL} rows + 16 MiB" "$PEAK_COMPARE" "$small"
    # The comparer fills the target's executor, which applies Result.SQL;
    # the peak is of the comparison and the update together.
    if run lite-apply-s "$B/qelSQL_Exec_bench" update "sqlite:$LM" "sqlite:$LT" $LITE_S "$WORK/Result-lite-s.SQL" &&
        run lite-apply "$B/qelSQL_Exec_bench" update "sqlite:$LM" "sqlite:$LT" $LITE_L "$WORK/Result-lite.SQL"; then
        echo "   executor: $(val lite-apply statements) statements in $(val lite-apply exec_s) s"
        row "   executor, $(val lite-apply statements) statements (s)" "$(val lite-apply exec_s)" "" "" "info" ""
        memory_row "   same, compared and applied" "$(val lite-apply peak_kib)" "$(val lite-apply-s peak_kib)"
    else
        skip "   executor, SQLite target (s)" "info" "NO"
    fi
    # Every cell of the target against the master, read with libsqlite3
    # itself; then the comparer once more.
    if run lite-check "$B/qelBenchData" check "$LM" "$LT" $LITE_L "$WORK/Result-lite.SQL" &&
        run lite-again "$B/qelVelmorin_bench" compare "sqlite:$LM" "sqlite:$LT" $LITE_L -; then
        equal=$([ "$(val lite-check cells_equal)" = 1 ] && echo yes || echo NO)
        row "   every cell equal after the update" "$equal" "" "" "all" "$equal"
        LITE_CHECK="SQLite, every cell of $(val lite-check master_rows) master rows and $(val lite-check target_rows)"
        LITE_CHECK+=" target rows (value to the bit, storage class): all equal: $equal;"
        LITE_CHECK+=" $(val lite-check missing) missing, $(val lite-check extra) extra, $(val lite-check differing) rows"
        LITE_CHECK+=" differing; the comparer finds $(differences lite-again) differences left."
        LITE_CHECK+=$'\n'$(sed -n 's/^# /  /p' "$WORK/lite-check.out")
    else
        skip "   every cell equal after the update" "all" "NO"
    fi
else
    skip "6. compare ${ROWS} rows, SQLite files (s)" "info" "NO"
fi
rm -f "$LM" "$LT"

# ---- 7. loading many objects through the script parsers -------------------
# Tables and grants read into an object collection at four sizes, each in a
# process of its own; the time and the memory per object at the largest size
# against the smallest (linear: near 1). The instructions per object stay
# the same at every size; what the time ratio shows above 1 is the caches,
# which hold less of a larger collection.
echo "== 7. loading objects: ${LOAD_SIZES:=12500 25000 50000 100000}"
read -r -a load_sizes <<< "$LOAD_SIZES"
for load_case in "ib tables" "ib grants" "ms tables" "ms grants" "ms grants1"; do
    read -r parser kind <<< "$load_case"
    first_t="" first_m="" first_s="" line=""
    for n in "${load_sizes[@]}"; do
        tag="load-$parser-$kind-$n"
        run "$tag" "$B/qelObjsLoad_bench" one "$parser" "$kind" "$n" || { line+=" $n: failed;"; continue; }
        per_t=$(calc "$(val "$tag" load_s) * 1000000 / $n" 3)
        per_m=$(calc "($(val "$tag" peak_kib) - $(val "$tag" base_kib)) / $n" 4)
        per_s=$(calc "$(val "$tag" script_s) * 1000000 / $n" 3)
        [ -z "$first_t" ] && first_t=$per_t first_m=$per_m first_s=$per_s
        line+=" $n: $(val "$tag" load_s) s, ratio $(calc "$per_t / $first_t"), memory $(calc "$per_m / $first_m");"
    done
    echo "   $load_case:$line"
    if [ -n "$first_t" ] && [ -n "${per_t:-}" ]; then
        rt=$(calc "$per_t / $first_t" 4)
        rm_=$(calc "$per_m / $first_m" 4)
        row "7. load $n $load_case, us/object" "$per_t" "$first_t" "$(calc "$rt")" "<= 2.00" "$(judge "$rt" "<=" 2)"
        row "   KiB/object vs ${load_sizes[0]}" "$per_m" "$first_m" "$(calc "$rm_")" "<= 1.50" "$(judge "$rm_" "<=" 1.5)"
        rs=$(calc "$per_s / $first_s" 4)
        row "   script of it, us/object" "$per_s" "$first_s" "$(calc "$rs")" "<= 2.00" "$(judge "$rs" "<=" 2)"
    else
        skip "7. load $load_case, us/object" "<= 1.50" "NO"
    fi
done

# ---- 8. script parse rate beside the tokenizer's ---------------------------
# employee.sql repeated to 10 MB and generated scripts of 100,000 statements
# (tables with keys, inserts, updates, views, a procedure every 100th), each
# read whole by the parser and by its tokenizer alone: MB/s, and the parse
# rate over the tokenizer's.
echo "== 8. script parse rate"
EMPLOYEE_GZ=/usr/share/doc/firebird3.0-examples/examples/employee.sql.gz
if [ -f "$EMPLOYEE_GZ" ] && gzip -dc "$EMPLOYEE_GZ" > "$WORK/employee.sql" &&
    run parser "$B/qelParser_bench" "$WORK/employee.sql" 10 100000 "$REPS"; then
    for c in "employee employee.sql x10 MB, InterBase" "generated_ib 100,000 statements, InterBase" \
        "generated_ms 100,000 statements, T-SQL"; do
        read -r key label <<< "$c"
        p=$(val parser "${key}_parse_mbs")
        t=$(val parser "${key}_token_mbs")
        row "8. parse $label (MB/s)" "$(calc "$p" 1)" "$(calc "$t" 1)" "$(calc "$p / $t")" "info" ""
    done
else
    skip "8. parse employee.sql x10 MB (MB/s)" "info" "(no employee.sql)"
fi

# ---- 9. the window's Update beside the executor and isql-fb ----------------
# The window under the offscreen platform, its handlers bound as the program
# binds them, runs "Compare" and then "Update" on a copy of a target of the
# seeded row table; the executor alone and isql-fb run the same statements
# on fresh copies, in the same run (best of REPS each).
echo "== 9. the window's Update: $ROWS rows"
if run form "$B/qelVelmorinForm_bench" "$ROWS" "$REPS"; then
    r=$(calc "$(val form window_vs_exec)" 4)
    row "9. window Update, $(val form statements) statements (s)" "$(val form window_s)" "$(val form exec_s)" \
        "$(calc "$r")" "<= 1.20" "$(judge "$r" "<=" 1.2)"
    row "   window vs isql-fb on the same script (s)" "$(val form window_s)" "$(val form isql_s)" \
        "$(calc "$(val form window_vs_isql)")" "info" ""
    row "   processor time, window vs executor (s)" "$(val form window_cpu_s)" "$(val form exec_cpu_s)" \
        "$(calc "$(val form window_vs_exec_cpu)")" "info" ""
else
    skip "9. window Update vs the executor (s)" "<= 1.20" "NO"
fi

echo
echo "Velmorin benchmarks: $(nproc) cores ($(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)), seed $SEED," \
    "best of $REPS ($UPDATE_REPS for the update)"
printf '%-44s|%14s|%14s|%7s|%10s|%s\n' "figure" "measured" "reference" "ratio" "goal" "met"
printf '%s\n' "--------------------------------------------+--------------+--------------+-------+----------+----"
printf '%s\n' "${ROWS_OUT[@]}"
cat << 'EOF'

References: 1 and 5, both ordered result sets fetched through the same
client layer one after the other without comparing ("in step": one row of
each in turn, as a merge reads them), and the slower of the two alone; for
"applied at once", the same comparison writing no script on the same
fresh copy of the target (forced writes as the database was created, and
asynchronous writes in the row below); 2, a comparison of the small tables
plus 16 MiB (the embedded engine's page cache counts in the first row: 2048
pages of 8 KiB for each database); 3, isql-fb running the same Result.SQL
on a copy of the same target, its start included (forced writes as the
database was created; asynchronous writes in the row below); 4, the BLOB
bytes of both tables read through the client layer per second; 6, as 1
and 2, with a SQLite master and target (REAL values of 17 significant
digits, text with quotes and characters beyond ASCII, BLOBs), Result.SQL
applied by the target's executor; 7, the same load of the smallest size
(12,500 tables, or 12,500 grants on 100 tables, through the InterBase and
the T-SQL script parsers; "grants1" puts every GRANT in one batch), time
and peak memory above the start per object, and the whole-database script
of the loaded collection per object; the collection is freed inside the
timing of the load; 9, the executor alone running the statements the
window's Update runs (connect, Execute, disconnect), on a fresh copy of
the same target, isql-fb on its Result.SQL in the row below.
EOF
if [ -n "$LITE_CHECK" ]; then
    echo
    echo "$LITE_CHECK"
fi
