#!/bin/sh
# Benchmark: reads every cell of an N-row x 15-column articles workbook (.xlsx and .ods, and .xls at
# the format's full height of 65,536 rows) with the module's reader, beside the physical floor of
# that work in the same run (wbbench --floor: the zip parts only inflated, the .xls workbook stream
# copied out of its container and its records walked; --floor-in-place: the .xls records walked
# straight from the file), and prints time and peak memory.
#   bench/workbook/run.sh BUILD_DIR [ROWS]     (default 1048575 rows, the .xlsx format's full height)
# Needs: python3, /usr/bin/time; with QD_BENCH_SHEETJS=1 also node/npm (installs the "xlsx" package
# into the work folder) to read the same files with SheetJS. CPU time (user + system) is the figure to
# compare on a busy machine; wall time is printed too. QD_BENCH_DIR keeps the generated files.
set -eu
build=$(cd "$1" && pwd)
rows=${2:-1048575}
here=$(cd "$(dirname "$0")" && pwd)
work=${QD_BENCH_DIR:-$(mktemp -d)}
mkdir -p "$work"
echo "work folder: $work"
xlsrows=$(( rows < 65535 ? rows : 65535 ))
if [ ! -f "$work/articulos_$rows.xlsx" ] || [ ! -f "$work/articulos_$xlsrows.xls" ] ||
    [ ! -f "$work/articulos_$rows.ods" ]; then
    python3 "$here/generate.py" "$rows" "$work"
fi
if [ "${QD_BENCH_SHEETJS:-0}" = 1 ] && [ ! -d "$work/node_modules/xlsx" ]; then
    (cd "$work" && npm install --silent --no-audit --no-fund xlsx >/dev/null)
    cp "$here/sheetjs_read.js" "$work/"
fi
measure() { # label command...
    label=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" > "$work/out.txt"
    read -r secs user sys kb < "$work/time.txt"
    cpu=$(echo "$user $sys" | awk '{ printf "%.2f", $1 + $2 }')
    printf '%-8s %-24s wall %7.2f s  cpu %7s s  peak %6d MiB   %s\n' "$label" "$(basename "$file")" "$secs" "$cpu" \
        $((kb / 1024)) "$(head -c 160 "$work/out.txt")"
}
for file in "$work/articulos_$rows.xlsx" "$work/articulos_$xlsrows.xls" "$work/articulos_$rows.ods"; do
    measure floor "$build/bin/wbbench" --floor "$file"
    case $file in *.xls) measure inplace "$build/bin/wbbench" --floor-in-place "$file" ;; esac
    measure qd "$build/bin/wbbench" "$file"
    if [ "${QD_BENCH_SHEETJS:-0}" = 1 ]; then measure sheetjs node "$work/sheetjs_read.js" "$file"; fi
done
file="$work/articulos_$rows.xlsx"
measure wbdump sh -c "'$build/bin/wbdump' '$file' | tail -n 1"
