#!/usr/bin/env bash
# Sets up, builds, creates the demo database if it is missing, and starts the module on it
# with the ten launch parameters the business suite would pass (operation code ART).
# With no display, runs the headless demo instead (an article import into the demo database).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
demo="$root/demo/demo.fdb"
if [ ! -f "$demo" ]; then
  mkdir -p "$root/demo"
  echo "Creating the demo database $demo"
  "$root/db/crear_bd.sh" "$demo"
fi
bin="$root/build/bin"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" = "" ]; then
  echo "No display found (DISPLAY is not set): the window cannot be shown here."
  echo "To see the window, run this command from a desktop session, or under a virtual display:"
  echo "  xvfb-run -a scripts/run.sh"
  if [ -x "$bin/qdimport" ] && [ -f "$root/tests/data/demo/articulos_demo.xlsx" ]; then
    echo "Running the headless demo instead: importing tests/data/demo/articulos_demo.xlsx"
    exec "$bin/qdimport" --database "$demo" --kind articulos --create --update --pvp --stock \
      --tarifa PVP --almacen CEN "$root/tests/data/demo/articulos_demo.xlsx"
  fi
  exit 1
fi
exec "$bin/ModuloImpExcelQDSQL" 1 1 "$demo" 1 SYSDBA masterkey demo ART 0 0
