#!/usr/bin/env bash
# Creates a database file with the host-schema stand-in and the demo data.
# Usage: db/crear_bd.sh PATH.fdb   (an existing file is replaced)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
isql=$(command -v isql-fb || command -v isql)
rm -f "$out"
{
  echo "SET SQL DIALECT 1;"
  echo "CREATE DATABASE '$out' USER 'SYSDBA' PASSWORD 'masterkey' PAGE_SIZE 8192 DEFAULT CHARACTER SET ISO8859_1;"
  for f in "$here"/[0-9][0-9]_*.sql; do
    [ -e "$f" ] && cat "$f"
  done
  echo "COMMIT;"
} > "$out.sql"
"$isql" -q -b -ch UTF8 -i "$out.sql" -m
rm -f "$out.sql"
