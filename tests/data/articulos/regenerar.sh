#!/usr/bin/env bash
# Rewrites every case's libro.xlsx from its libro.tsv (see xlsx_min.py for how fields are typed).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for tsv in "$here"/*/libro.tsv; do
  python3 "$here/xlsx_min.py" "$tsv" "${tsv%.tsv}.xlsx"
done
