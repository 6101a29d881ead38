#!/bin/sh
# Runs each workbook-reader fuzz target for a fixed time, keeping its corpus between runs.
#   tools/fuzz_readers.sh [SECONDS_PER_TARGET]        (default 60)
# Builds the targets with clang in build-fuzz/ (or $QD_FUZZ_BUILD) with -DQD_FUZZ=ON. Corpora grow in fuzz-corpus-work/<target>/
# (not committed), seeded from tests/workbook/fixtures, tests/workbook/malformed and
# tests/workbook/fuzz/seeds. Crashing inputs land in fuzz-corpus-work/findings/. Prints, per target,
# the executions, the corpus size and the findings.
set -eu
secs=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QD_FUZZ_BUILD:-"$root/build-fuzz"}
work="$root/fuzz-corpus-work"
jobs=${QD_FUZZ_JOBS:-1}
if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DQD_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
modes="xlsx xlsx_sheet xls biff ods ods_content csv"
targets=""
for m in $modes; do targets="$targets fuzz_wb_$m"; done
ninja -C "$build" -j"${QD_FUZZ_BUILD_JOBS:-2}" $targets >/dev/null

fx="$root/tests/workbook/fixtures"
mf="$root/tests/workbook/malformed"
sd="$root/tests/workbook/fuzz/seeds"
mkdir -p "$work/findings"
printf '%-12s %12s %8s %s\n' target executions corpus findings
for m in $modes; do
    corpus="$work/$m"
    mkdir -p "$corpus"
    case $m in
        xlsx) seeds="$fx/*.xlsx $mf/*.xlsx" ;;
        xls) seeds="$fx/*.xls $mf/*.xls" ;;
        ods) seeds="$fx/*.ods $mf/*.ods" ;;
        csv) seeds="$fx/*.csv $mf/*.csv" ;;
        *) seeds="$sd/$m/*" ;;
    esac
    # shellcheck disable=SC2086
    for s in $seeds; do [ -f "$s" ] && cp -n "$s" "$corpus/" 2>/dev/null || true; done
    log="$work/$m.log"
    before=$(ls "$work/findings" | wc -l)
    parallel=""
    [ "$jobs" -gt 1 ] && parallel="-jobs=$jobs -workers=$jobs"
    rm -f "$work"/fuzz-*.log
    # shellcheck disable=SC2086
    (cd "$work" && "$build/bin/fuzz_wb_$m" "$corpus" -max_total_time="$secs" -max_len=262144 -rss_limit_mb=2048 \
        -timeout=10 $parallel -artifact_prefix="$work/findings/$m-" -print_final_stats=1 >"$log" 2>&1) || true
    execs=$(cat "$log" "$work"/fuzz-*.log 2>/dev/null | grep 'stat::number_of_executed_units' | awk '{s+=$2} END {print s+0}')
    after=$(ls "$work/findings" | wc -l)
    printf '%-12s %12s %8s %s\n' "$m" "$execs" "$(ls "$corpus" | wc -l)" "$((after - before))"
done
