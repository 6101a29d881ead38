#!/usr/bin/env bash
# Bulk commits against the per-row commit, with the disk in the way. Usage:
#   bench/articulos/lotes.sh [N] [BUILD_DIR] [LOTE]        # N = 20000, LOTE = 1000 by default
# Needs the targets qdimport and qd_template_db built in BUILD_DIR (default build/).
#
# Three fresh copies of the template (demo) database with the even codes created beforehand (the
# rows alternate update and create), the same workbook into each with create + update + PVP + stock:
#   1. forced writes on,  a commit after every row (the module's default);
#   2. forced writes on,  --lote LOTE;
#   3. forced writes off, a commit after every row (the bound when the disk is out of the way).
# The write phase is timed by qdimport --tiempos; the three databases must end in the same state.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
n=${1:-20000}
build=$(cd "${2:-$root/build}" && pwd)
lote=${3:-1000}
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Generating $n rows..."
python3 "$here/generar_libro.py" "$n" "$work/libro.xlsx"

cat > "$work/semilla.sql" <<SQL
SET TERM ^;
EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN
  WHILE (I < $n) DO BEGIN
    INSERT INTO ARTICULOS (CODIGO, NOMBRE, GRUPOEMPRESAS) VALUES ('B' || LPAD(:I, 7, '0'), 'Semilla', 1);
    I = I + 2;
  END
END^
SET TERM ;^
COMMIT;
SQL

estado() {
  isql-fb -q -user SYSDBA -password masterkey "$1" <<'SQL' | tr -s ' \n' ' '
SELECT COUNT(*), SUM(PRECIOMEDIOCOSTE) FROM ARTICULOS WHERE CODIGO STARTING WITH 'B';
SELECT COUNT(*), SUM(I.IMPORTEVENTA) FROM INTERVALOSTARIFASARTICULOS I JOIN TARIFASARTICULOS TA ON TA.IDTARIFASARTICULOS = I.TARIFAARTICULO JOIN ARTICULOS A ON A.IDARTICULOS = TA.ARTICULO WHERE A.CODIGO STARTING WITH 'B';
SELECT SUM(AA.STOCKACTUAL1) FROM ARTICULOSALMACEN AA JOIN ARTICULOS A ON A.IDARTICULOS = AA.ARTICULOCARACTERISTICA WHERE A.CODIGO STARTING WITH 'B';
SQL
}

campos=CODIGO,NOMBRE,CODIGOEAN,FAMILIA,IVA,PRECIOMEDIOCOSTE,PRECIOULTIMACOMPRA
# ejecutar NAME sync|async [qdimport options...]: prints "NAME rows/s seconds".
ejecutar() {
  local nombre=$1 escritura=$2
  shift 2
  cp "$build/db/plantilla.fdb" "$work/$nombre.fdb"
  gfix -write "$escritura" -user SYSDBA -password masterkey "$work/$nombre.fdb"
  isql-fb -q -user SYSDBA -password masterkey "$work/$nombre.fdb" -i "$work/semilla.sql"
  local t
  t=$("$bin/qdimport" --database "$work/$nombre.fdb" --kind articulos --create --update --pvp --stock \
    --tarifa PVP --almacen CEN --fields "$campos" --excel-ini "$work/no-hay.ini" --tiempos "$@" \
    "$work/libro.xlsx" 2>&1 >/dev/null | grep '^tiempos:')
  python3 - "$nombre" "$t" <<'PY'
import re, sys
t = re.search(r"filas (\d+) carga ([\d.]+) s escritura ([\d.]+) s", sys.argv[2])
filas, escritura = int(t.group(1)), float(t.group(3))
print(f"{sys.argv[1]} {filas / escritura:.1f} {escritura:.3f}")
PY
}

r1=$(ejecutar fila_sync sync)
echo "$r1"
r2=$(ejecutar lote_sync sync --lote "$lote")
echo "$r2"
r3=$(ejecutar fila_async async)
echo "$r3"

e1=$(estado "$work/fila_sync.fdb"); e2=$(estado "$work/lote_sync.fdb"); e3=$(estado "$work/fila_async.fdb")
if [ "$e1" = "$e2" ] && [ "$e1" = "$e3" ]; then echo "same database state in the three runs"; else
  echo "state differs:"; echo " $e1"; echo " $e2"; echo " $e3"; fi

python3 - "$r1" "$r2" "$r3" "$lote" <<'PY'
import sys
f1, f2, f3 = (float(a.split()[1]) for a in sys.argv[1:4])
print(f"forced writes on,  per row:        {f1:8.1f} rows/s")
print(f"forced writes on,  --lote {sys.argv[4]:>5}:   {f2:8.1f} rows/s  ({f2 / f1:.1f}x per row, target >= 10x)")
print(f"forced writes off, per row:        {f3:8.1f} rows/s  (bulk on/per-row off: {f2 / f3 * 100:.0f} %, target >= 90 %)")
PY
