#!/usr/bin/env bash
# Creates a database file with the host-schema stand-in and the demo data.
# Usage: db/crear_bd.sh PATH.fdb   (an existing file is replaced)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
isql=$(command -v isql-fb || command -v isql)
gfix=$(command -v gfix || true)
rm -f "$out" "$out.sql"
echo "SET SQL DIALECT 1;
CREATE DATABASE '$out' USER 'SYSDBA' PASSWORD 'masterkey' PAGE_SIZE 8192 DEFAULT CHARACTER SET ISO8859_1;" > "$out.sql"
"$isql" -q -b -i "$out.sql"
# Asynchronous writes: the file is a demo or a test template, and creating it
# with forced writes costs a synchronous flush per statement.
if [ -n "$gfix" ]; then
  "$gfix" -write async -user SYSDBA -password masterkey "$out"
fi
{
  for f in "$here"/[0-9][0-9]_*.sql; do
    [ -e "$f" ] && cat "$f"
  done
  echo "COMMIT;"
} > "$out.sql"
# The scripts are UTF-8; the UTF8 connection lets the server transliterate
# their accented texts into the database's ISO8859_1.
if ! "$isql" -q -b -ch UTF8 -user SYSDBA -password masterkey "$out" -i "$out.sql" -m; then
  rm -f "$out" "$out.sql"
  exit 1
fi
rm -f "$out.sql"
