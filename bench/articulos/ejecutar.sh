#!/usr/bin/env bash
# The article import benchmark. Usage: bench/articulos/ejecutar.sh [N] [BUILD_DIR]
# Needs the targets qdimport, bench_articulos and qd_template_db built in BUILD_DIR (default build/).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
n=${1:-100000}
build=$(cd "${2:-$root/build}" && pwd)
bin="$build/bin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Generating $n rows..."
python3 "$here/generar_libro.py" "$n" "$work/libro.xlsx"
ls -l "$work/libro.xlsx" | awk '{print "workbook: " $5 " bytes"}'

# Two fresh demo databases, the same for both sides: forced writes off (commits do not wait for
# the disk, so what is measured is the software), half of the codes created beforehand.
for db in a b; do
  cp "$build/db/plantilla.fdb" "$work/$db.fdb"
  gfix -write async -user SYSDBA -password masterkey "$work/$db.fdb"
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
  isql-fb -q -user SYSDBA -password masterkey "$work/$db.fdb" -i "$work/semilla.sql"
done

campos=CODIGO,NOMBRE,CODIGOEAN,FAMILIA,IVA,PRECIOMEDIOCOSTE,PRECIOULTIMACOMPRA
leer=$("$bin/bench_articulos" leer "$work/libro.xlsx")
tiempos=$("$bin/qdimport" --database "$work/a.fdb" --kind articulos --create --update --pvp --stock \
  --tarifa PVP --almacen CEN --fields "$campos" --excel-ini "$work/no-hay.ini" --tiempos "$work/libro.xlsx" \
  2>&1 >/dev/null | grep '^tiempos:')
suelo=$("$bin/bench_articulos" suelo "$work/b.fdb" "$work/libro.xlsx" PVP CEN)
echo "$leer"
echo "$tiempos"
echo "$suelo"

estado() {
  isql-fb -q -user SYSDBA -password masterkey "$1" <<'SQL' | tr -s ' \n' ' '
SELECT COUNT(*), SUM(PRECIOMEDIOCOSTE) FROM ARTICULOS WHERE CODIGO STARTING WITH 'B';
SELECT COUNT(*), SUM(I.IMPORTEVENTA) FROM INTERVALOSTARIFASARTICULOS I JOIN TARIFASARTICULOS TA ON TA.IDTARIFASARTICULOS = I.TARIFAARTICULO JOIN ARTICULOS A ON A.IDARTICULOS = TA.ARTICULO WHERE A.CODIGO STARTING WITH 'B';
SELECT SUM(AA.STOCKACTUAL1) FROM ARTICULOSALMACEN AA JOIN ARTICULOS A ON A.IDARTICULOS = AA.ARTICULOCARACTERISTICA WHERE A.CODIGO STARTING WITH 'B';
SQL
}
ea=$(estado "$work/a.fdb"); eb=$(estado "$work/b.fdb")
[ "$ea" = "$eb" ] && echo "same database state on both sides" || { echo "state differs:"; echo " qdimport: $ea"; echo " floor:    $eb"; }

python3 - "$leer" "$tiempos" "$suelo" <<'PY'
import re, sys
leer = float(re.search(r"([\d.]+) s", sys.argv[1]).group(1))
t = re.search(r"filas (\d+) carga ([\d.]+) s escritura ([\d.]+) s", sys.argv[2])
filas, carga, escritura = int(t.group(1)), float(t.group(2)), float(t.group(3))
suelo = float(re.search(r"([\d.]+) s", sys.argv[3]).group(1))
print(f"write: qdimport {filas / escritura:.0f} rows/s, floor {filas / suelo:.0f} rows/s, "
      f"ratio {suelo / escritura * 100:.1f} % (target >= 70 %)")
print(f"load:  {carga:.3f} s vs reader alone {leer:.3f} s, ratio {carga / leer:.2f}x (target <= 2x)")
PY
