#!/usr/bin/env bash
# What the journal of the import runs costs, and how long an undo takes. Usage:
#   bench/historial/diario.sh [N] [BUILD_DIR] [LOTE]        # N = 20000, LOTE = 1000 by default
# Needs the targets qdimport and qd_template_db built in BUILD_DIR (default build/).
#
# Two fresh copies of the template (demo) database with forced writes on (gfix -write sync) and the
# module's upgrade installed, the even codes created beforehand (the rows alternate update and
# create); the same N-row article workbook into each with create + update + PVP + stock, --lote LOTE:
#   1. without the journal (its triggers made inactive);
#   2. with the journal (as the administrator's start-up leaves the database);
# (two rounds, the smaller figure of each), then the last journalled run undone (qdimport --deshacer), which must leave the articles as they were.
# The write phase is timed by qdimport --tiempos, the undo by the wall clock.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
n=${1:-20000}
build=$(cd "${2:-$root/build}" && pwd)
lote=${3:-1000}
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QD_MODULE_DIR="$work"

echo "Generating $n rows..."
python3 "$root/bench/articulos/generar_libro.py" "$n" "$work/libro.xlsx"

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

cat > "$work/inactivos.sql" <<'SQL'
SET TERM ^;
EXECUTE BLOCK AS DECLARE T VARCHAR(31); BEGIN
  FOR SELECT RDB$TRIGGER_NAME FROM RDB$TRIGGERS WHERE RDB$TRIGGER_NAME STARTING WITH 'QDJ_' INTO :T DO
    EXECUTE STATEMENT 'ALTER TRIGGER ' || TRIM(T) || ' INACTIVE';
END^
SET TERM ;^
COMMIT;
SQL

estado() {
  isql-fb -q -user SYSDBA -password masterkey "$1" <<'SQL' | tr -s ' \n' ' '
SELECT COUNT(*), SUM(PRECIOMEDIOCOSTE) FROM ARTICULOS WHERE CODIGO STARTING WITH 'B';
SELECT COUNT(*), SUM(I.IMPORTEVENTA) FROM INTERVALOSTARIFASARTICULOS I JOIN TARIFASARTICULOS TA ON TA.IDTARIFASARTICULOS = I.TARIFAARTICULO JOIN ARTICULOS A ON A.IDARTICULOS = TA.ARTICULO WHERE A.CODIGO STARTING WITH 'B';
SELECT SUM(AA.STOCKACTUAL1), COUNT(*) FROM ARTICULOSALMACEN AA JOIN ARTICULOS A ON A.IDARTICULOS = AA.ARTICULOCARACTERISTICA WHERE A.CODIGO STARTING WITH 'B';
SQL
}

campos=CODIGO,NOMBRE,CODIGOEAN,FAMILIA,IVA,PRECIOMEDIOCOSTE,PRECIOULTIMACOMPRA
preparar() {
  cp "$build/db/plantilla.fdb" "$work/$1.fdb"
  gfix -write sync -user SYSDBA -password masterkey "$work/$1.fdb"
  "$bin/qdimport" --database "$work/$1.fdb" --historial > /dev/null # the administrator's upgrade
  isql-fb -q -user SYSDBA -password masterkey "$work/$1.fdb" -i "$work/semilla.sql"
}
# ejecutar NAME: prints the seconds of the write phase.
ejecutar() {
  "$bin/qdimport" --database "$work/$1.fdb" --kind articulos --create --update --pvp --stock \
    --tarifa PVP --almacen CEN --fields "$campos" --excel-ini "$work/no-hay.ini" --tiempos --lote "$lote" \
    "$work/libro.xlsx" 2>&1 >/dev/null | sed -n 's/^tiempos: .* escritura \([0-9.]*\) s$/\1/p'
}

# Two rounds, alternating, each on fresh copies: the machine's other work weighs less on the smaller
# figure of each.
t1=; t2=
for ronda in 1 2; do
  preparar sin
  isql-fb -q -user SYSDBA -password masterkey "$work/sin.fdb" -i "$work/inactivos.sql"
  preparar con
  antes=$(estado "$work/con.fdb")
  s=$(ejecutar sin); c=$(ejecutar con)
  echo "round $ronda: without $s s, with $c s"
  t1=$(python3 -c "print(min(float('$s'), float('${t1:-$s}')))")
  t2=$(python3 -c "print(min(float('$c'), float('${t2:-$c}')))")
done
id=$(echo "SELECT MAX(ID) FROM QD_HISTORIAL;" | isql-fb -q -user SYSDBA -password masterkey "$work/con.fdb" | tr -dc '0-9')
inicio=$(date +%s.%N)
"$bin/qdimport" --database "$work/con.fdb" --deshacer "$id" > "$work/deshacer.txt" 2>&1
fin=$(date +%s.%N)
t3=$(python3 -c "print(f'{$fin - $inicio:.3f}')")
despues=$(estado "$work/con.fdb")
[ "$antes" = "$despues" ] && echo "undo: the articles are as before the run" || { echo "undo: state differs"; echo " $antes"; echo " $despues"; }
diario=$(echo "SELECT (SELECT COUNT(*) FROM QDD_ARTICULOS) + (SELECT COUNT(*) FROM QDD_ARTICULOSALMACEN) + (SELECT COUNT(*) FROM QDD_TARIFASARTICULOS) + (SELECT COUNT(*) FROM QDD_INTERVALOSTARIFASARTICULOS) FROM RDB\$DATABASE;" | isql-fb -q -user SYSDBA -password masterkey "$work/con.fdb" | tr -dc '0-9')

python3 - "$n" "$lote" "$t1" "$t2" "$t3" "$diario" <<'PY'
import sys
n, lote = sys.argv[1], sys.argv[2]
sin, con, deshacer = (float(x) for x in sys.argv[3:6])
print(f"{n} articles, forced writes on, --lote {lote}")
print(f"write without the journal: {sin:8.3f} s")
print(f"write with the journal:    {con:8.3f} s  (+{(con / sin - 1) * 100:.1f} %, target <= 25 %)")
print(f"undo of the last run:      {deshacer:8.3f} s  (the run {con / deshacer:.1f}x its time; journal images {sys.argv[6]})")
PY
