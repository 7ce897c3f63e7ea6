#!/usr/bin/env bash
# Builds the libFuzzer targets of both script parsers with clang (address and
# undefined-behaviour sanitizers, a build folder of their own) and runs each
# for FUZZ_SECONDS. Any crash, leak, sanitizer report, timeout, memory overrun
# or broken parse invariant fails the run; the input is printed (hex and
# text) and kept in $FUZZ_DIR/findings, ready for tests/parser/regress/.
#
#   bash ci/fuzz.sh                 (from the repository's root or anywhere)
#
# Settings (environment): FUZZ_BUILD_DIR (build-fuzz), FUZZ_DIR (the build
# folder's fuzz/: corpus, dictionaries, logs), FUZZ_SECONDS (120), FUZZ_JOBS
# (1: libFuzzer workers per target), FUZZ_TARGETS ("ib mssql"),
# FUZZ_BUILD_JOBS (nproc), FUZZ_SEED (libFuzzer's random seed; unset: a new
# one each run), FUZZ_RUNS (inputs run per target at most; unset: no bound).
# With one worker, a seed and a bound, a run tries the same inputs in the
# same order wherever it runs, and a slower machine runs a prefix of them:
# the test command sets both, so that what passed here passes there.
set -uo pipefail
shopt -s nullglob

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
WORK=${FUZZ_DIR:-$BUILD/fuzz}
SECONDS_EACH=${FUZZ_SECONDS:-120}
JOBS=${FUZZ_JOBS:-1}
TARGETS=${FUZZ_TARGETS:-ib mssql}

echo "== fuzz: building the targets in $BUILD"
mkdir -p "$BUILD" "$WORK"
if ! CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORIN_FUZZ=ON -DVELMORIN_TESTS=OFF -DVELMORIN_BENCH=OFF > "$WORK/cmake.log" 2>&1; then
    cat "$WORK/cmake.log"
    exit 1
fi
cmake --build "$BUILD" -j"${FUZZ_BUILD_JOBS:-$(nproc)}" --target qelIBParser_fuzz qelMSSQLParser_fuzz qelFuzzCorpus || exit 1

# The seeds: the kept inputs of the target, the scripts of the parser and
# executor tests, the project's and Firebird's sample scripts, and scripts
# nested past every limit (the corpus tool writes those itself).
EXAMPLES=/usr/share/doc/firebird3.0-common-doc/examples
EMPLOYEE=/usr/share/doc/firebird3.0-examples/examples/employee.sql.gz
SAMPLES=("$ROOT"/samples/*.sql)
if [ -f "$EMPLOYEE" ]; then gzip -dc "$EMPLOYEE" > "$WORK/employee.sql" && SAMPLES+=("$WORK/employee.sql"); fi
if [ -d "$EXAMPLES" ]; then while IFS= read -r f; do SAMPLES+=("$f"); done < <(find "$EXAMPLES" -name '*.sql'); fi

# Without address randomisation the same inputs take the same paths (the
# parsers keep some sets ordered by address), so that a run repeats.
norandom=()
if setarch "$(uname -m)" -R true 2>/dev/null; then norandom=(setarch "$(uname -m)" -R); fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=0
for t in $TARGETS; do
    case $t in
        ib) exe=$BUILD/tests/fuzz/qelIBParser_fuzz; tests=("$ROOT"/tests/parser/qelIB*_test.cpp "$ROOT"/tests/words/qelIB*_test.cpp "$ROOT"/tests/exec/qelIBSQLExec_test.cpp) ;;
        mssql) exe=$BUILD/tests/fuzz/qelMSSQLParser_fuzz
            tests=("$ROOT"/tests/parser/qelMSSQL*_test.cpp "$ROOT"/tests/words/qelMSSQL*_test.cpp "$ROOT"/tests/exec/qelMSSQLExec_test.cpp "$ROOT"/tests/parser/mssql/*.sql) ;;
        *) echo "unknown target $t" >&2; exit 2 ;;
    esac
    corpus=$WORK/corpus-$t
    findings=$WORK/findings
    mkdir -p "$corpus" "$findings"
    "$BUILD/tests/fuzz/qelFuzzCorpus" dict "$t" > "$WORK/$t.dict"
    "$BUILD/tests/fuzz/qelFuzzCorpus" seeds "$t" "$WORK/seeds-$t" "${tests[@]}" "$ROOT"/tests/parser/qelParser*_test.cpp "$ROOT"/tests/words/qelWordTable_test.cpp \
        "${SAMPLES[@]}" || exit 1
    for f in "$ROOT"/tests/parser/regress/"$t"-*; do
        case $f in *.txt | *'*'*) ;; *) cp "$f" "$WORK/seeds-$t/" ;; esac
    done
    echo "== fuzz: $t for ${SECONDS_EACH}s ($(ls "$WORK/seeds-$t" | wc -l) seeds)"
    log=$WORK/$t.log
    # With several workers libFuzzer writes each one's output to
    # fuzz-N.log in the folder it runs in; they are joined into the log.
    parallel=()
    if [ "$JOBS" -gt 1 ]; then parallel=(-jobs="$JOBS" -workers="$JOBS"); fi
    if [ -n "${FUZZ_SEED:-}" ]; then parallel+=(-seed="$FUZZ_SEED"); fi
    if [ -n "${FUZZ_RUNS:-}" ]; then parallel+=(-runs="$FUZZ_RUNS"); fi
    rm -f "$findings"/fuzz-*.log
    (cd "$findings" && "${norandom[@]}" "$exe" "$corpus" "$WORK/seeds-$t" -dict="$WORK/$t.dict" -max_total_time="$SECONDS_EACH" \
        -max_len=65536 -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/$t-" "${parallel[@]}" > "$log" 2>&1)
    rc=$?
    for f in "$findings"/fuzz-*.log; do cat "$f" >> "$log"; done
    # Executions and coverage as libFuzzer last reported them.
    grep -aE '^#[0-9]+.*(DONE|pulse|NEW)' "$log" | tail -1 || true
    grep -aE '^stat::(number_of_executed_units|peak_rss_mb)' "$log" || true
    if [ $rc -ne 0 ] || grep -aqE '^(==[0-9]+==ERROR|SUMMARY: |== parser invariant broken)' "$log"; then
        failed=1
        echo "!! fuzz: $t found a fault (exit $rc); its report:"
        grep -a -A40 -E '^(==[0-9]+==ERROR|== parser invariant broken|.*runtime error:|ALARM|==[0-9]+== ERROR: libFuzzer)' "$log" | head -80
        for a in "$findings/$t"-*; do
            [ -f "$a" ] || continue
            echo "-- input $a ($(wc -c < "$a") bytes):"
            head -c 2048 "$a" | od -A d -c | head -40
        done
    fi
done
if [ $failed -ne 0 ]; then
    echo "fuzz: FAILED; replay an input with: $BUILD/tests/fuzz/qelIBParser_fuzz FILE (or qelMSSQLParser_fuzz)"
    exit 1
fi
echo "fuzz: passed"
