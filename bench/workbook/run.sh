#!/bin/sh
# Benchmark: reads every cell of an N-row x 15-column articles workbook (.xlsx and .xls) with the
# module's reader and with SheetJS, and prints time and peak memory side by side.
#   bench/workbook/run.sh BUILD_DIR [ROWS]     (default 100000 rows; .xls holds at most 65535)
# Needs: python3, node/npm (installs the "xlsx" package into a temporary folder), soffice for the
# .xls (LibreOffice Calc), /usr/bin/time. CPU time (user + system) is the figure to compare on a
# busy machine; wall time is printed too.
set -eu
build=$(cd "$1" && pwd)
rows=${2:-100000}
here=$(cd "$(dirname "$0")" && pwd)
work=${QD_BENCH_DIR:-$(mktemp -d)}
mkdir -p "$work"
echo "work folder: $work"
if [ ! -d "$work/node_modules/xlsx" ]; then
    (cd "$work" && npm install --silent --no-audit --no-fund xlsx >/dev/null)
fi
cp "$here/sheetjs_read.js" "$work/"
python3 "$here/generate.py" "$rows" "$work"
xlsrows=$(( rows < 65535 ? rows : 65535 ))
if [ ! -f "$work/articulos_$xlsrows.xls" ]; then
    soffice -env:UserInstallation="file://$work/profile" --headless --infilter="CSV:44,34,76,1" \
        --convert-to xls --outdir "$work" "$work/articulos_$xlsrows.csv" >/dev/null 2>&1
fi
measure() { # label command...
    label=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" > "$work/out.txt"
    read -r secs user sys kb < "$work/time.txt"
    cpu=$(echo "$user $sys" | awk '{ printf "%.2f", $1 + $2 }')
    printf '%-8s %-24s wall %7.2f s  cpu %7s s  peak %6d MiB   %s\n' "$label" "$(basename "$file")" "$secs" "$cpu" \
        $((kb / 1024)) "$(cat "$work/out.txt")"
}
for file in "$work/articulos_$rows.xlsx" "$work/articulos_$xlsrows.xls"; do
    measure qd "$build/bin/wbbench" "$file"
    measure sheetjs node "$work/sheetjs_read.js" "$file"
done
