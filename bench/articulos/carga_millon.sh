#!/usr/bin/env bash
# The article load at the .xlsx format's full height: the reader alone against the load (open, read,
# stage with the code lookups, no write), time and peak memory of each, side by side.
# Usage: bench/articulos/carga_millon.sh [N] [BUILD_DIR] [FORMAT]
#   N = 1048575 data rows by default; FORMAT xlsx (default) or ods
# Needs bench_articulos and qd_template_db built in BUILD_DIR (default build/).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
n=${1:-1048575}
build=$(cd "${2:-$root/build}" && pwd)
bin="$build/bin"
work=${QD_BENCH_DIR:-$(mktemp -d)}
[ -n "${QD_BENCH_DIR:-}" ] || trap 'rm -rf "$work"' EXIT

libro="$work/libro_$n.${3:-xlsx}"
[ -f "$libro" ] || { echo "Generating $n rows..."; python3 "$here/generar_libro.py" "$n" "$libro"; }
ls -l "$libro" | awk '{print "workbook: " $5 " bytes"}'
cp "$build/db/plantilla.fdb" "$work/carga.fdb"

medir() { # label, command...: one line with the program's own line, wall time and peak memory
  local etiqueta=$1; shift
  /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >"$work/out.txt"
  read -r wall kb <"$work/time.txt"
  printf '%-8s %s | wall %s s | peak %d MiB\n' "$etiqueta" "$(cat "$work/out.txt")" "$wall" $((kb / 1024))
  echo "$wall $kb" >"$work/$etiqueta.txt"
}
medir leer "$bin/bench_articulos" leer "$libro"
medir cargar "$bin/bench_articulos" cargar "$work/carga.fdb" "$libro"
read -r wl kl <"$work/leer.txt"
read -r wc kc <"$work/cargar.txt"
python3 -c "print(f'load / reader alone: {$wc / $wl:.2f}x wall; load peak {$kc / 1024:.0f} MiB')"
