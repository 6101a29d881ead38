#!/usr/bin/env bash
# Clients with their delivery addresses: bulk commits against the per-row commit, with the disk in
# the way. Usage:
#   bench/clientes/lotes.sh [N] [BUILD_DIR] [LOTE]        # N = 20000, LOTE = 1000 by default
# Needs the targets qdimport and qd_template_db built in BUILD_DIR (default build/).
#
# Three fresh copies of the template (demo) database; into each, a workbook of N clients (code,
# name, company name, tax id, address, payment and price-list codes) and then a workbook of one
# delivery address for each of them:
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

python3 - "$n" "$work" <<'PY'
import sys
n, work = int(sys.argv[1]), sys.argv[2]
with open(f"{work}/clientes.csv", "w", encoding="utf-8") as f:
    f.write("CODIGO;NOMBRE;RAZONSOCIAL;NIF;DIRECCION;LOCALIDAD;PROVINCIA;CODIGOPOSTAL;COD_FPAGO;COD_TARIFA\n")
    for i in range(n):
        f.write(f"K{i:06d};Cliente {i};Cliente {i} S.L.;B{i:08d};Calle {i % 500}, {i % 97};Valencia;Valencia;"
                f"46{i % 1000:03d};{['CON', 'R30', 'TRA'][i % 3]};{['PVP', 'MAY'][i % 2]}\n")
with open(f"{work}/direcciones.csv", "w", encoding="utf-8") as f:
    f.write("COD_CLIENTE;NOMBRE_ENVIO;DIRECCION;LOCALIDAD;PROVINCIA;CODIGOPOSTAL;TELEFONO1\n")
    for i in range(n):
        f.write(f"K{i:06d};Almacén;Polígono {i % 50}, nave {i};Paterna;Valencia;46980;96{i:07d}\n")
PY

estado() {
  isql-fb -q -user SYSDBA -password masterkey "$1" <<'SQL' | tr -s ' \n' ' '
SELECT COUNT(*), SUM(FORMAPAGO), SUM(TARIFA), SUM(CARTERA) FROM CLIENTES WHERE CODIGO STARTING WITH 'K';
SELECT COUNT(*), SUM(CHAR_LENGTH(D.DIRECCION)) FROM DIRECCIONESENVIO D JOIN CLIENTES C ON C.IDCLIENTES = D.CLIENTE WHERE C.CODIGO STARTING WITH 'K';
SQL
}

# tiempo KIND DB [options...]: the write phase's rows/s.
tiempo() {
  local kind=$1 db=$2
  shift 2
  local libro=$work/clientes.csv
  [ "$kind" = direcciones ] && libro=$work/direcciones.csv
  "$bin/qdimport" --database "$db" --kind "$kind" --tiempos "$@" "$libro" 2>&1 >/dev/null |
    sed -n 's/^tiempos: filas \([0-9]*\) carga \([0-9.]*\) s escritura \([0-9.]*\) s$/\1 \3/p' |
    awk '{ printf "%.1f", $1 / $2 }'
}

# ejecutar NAME sync|async [qdimport options...]: prints "NAME clients/s addresses/s".
ejecutar() {
  local nombre=$1 escritura=$2
  shift 2
  cp "$build/db/plantilla.fdb" "$work/$nombre.fdb"
  gfix -write "$escritura" -user SYSDBA -password masterkey "$work/$nombre.fdb"
  local c d
  c=$(tiempo clientes "$work/$nombre.fdb" "$@")
  d=$(tiempo direcciones "$work/$nombre.fdb" "$@")
  echo "$nombre $c $d"
}

echo "$n clients, then $n delivery addresses"
r1=$(ejecutar fila_sync sync)
echo "$r1"
r2=$(ejecutar lote_sync sync --lote "$lote")
echo "$r2"
r3=$(ejecutar fila_async async)
echo "$r3"

e1=$(estado "$work/fila_sync.fdb"); e2=$(estado "$work/lote_sync.fdb"); e3=$(estado "$work/fila_async.fdb")
if [ "$e1" = "$e2" ] && [ "$e1" = "$e3" ]; then echo "same database state in the three runs: $e1"; else
  echo "state differs:"; echo " $e1"; echo " $e2"; echo " $e3"; fi

python3 - "$r1" "$r2" "$r3" "$lote" <<'PY'
import sys
(c1, d1), (c2, d2), (c3, d3) = ((float(x) for x in a.split()[1:3]) for a in sys.argv[1:4])
lote = sys.argv[4]
print(f"{'':34}{'clients/s':>12}{'addresses/s':>14}")
print(f"{'forced writes on,  per row':34}{c1:12.1f}{d1:14.1f}")
print(f"{'forced writes on,  --lote ' + lote:34}{c2:12.1f}{d2:14.1f}   ({c2 / c1:.1f}x and {d2 / d1:.1f}x per row, target >= 10x)")
print(f"{'forced writes off, per row':34}{c3:12.1f}{d3:14.1f}")
PY
