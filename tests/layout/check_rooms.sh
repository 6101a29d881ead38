#!/usr/bin/env bash
# The rooms keep to themselves: the data module and the shared rooms include no kind's header, and
# no kind includes a header of another kind (what two kinds share lives in kinds/compartido/).
set -euo pipefail
root=$1
cd "$root"
fallos=0
# header name -> the kind folder it belongs to
declare -A duenyo
for d in kinds/*/; do
  k=$(basename "$d")
  [ "$k" = compartido ] && continue
  for h in "$d"*.h; do [ -e "$h" ] && duenyo[$(basename "$h")]=$k; done
done
incluye() { grep -hoE '^#include "[^"]+"' "$@" 2>/dev/null | sed -E 's/#include "(.*)"/\1/' || true; }
for room in data engine staging firebird workbook export controls forms app cli kinds/compartido; do
  for f in $(ls $room/*.h $room/*.cpp 2>/dev/null); do
    for h in $(incluye "$f"); do
      if [ -n "${duenyo[$h]:-}" ]; then
        # the main window's registry includes no kind header either: the kinds register themselves
        echo "$f incluye $h, de la importación ${duenyo[$h]}"; fallos=1
      fi
    done
  done
done
for d in kinds/*/; do
  k=$(basename "$d")
  [ "$k" = compartido ] && continue
  for f in "$d"*.h "$d"*.cpp; do
    [ -e "$f" ] || continue
    for h in $(incluye "$f"); do
      o=${duenyo[$h]:-}
      if [ -n "$o" ] && [ "$o" != "$k" ]; then echo "$f incluye $h, de la importación $o"; fallos=1; fi
    done
  done
done
exit $fallos
