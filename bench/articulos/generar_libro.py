#!/usr/bin/env python3
"""Writes the benchmark workbook: N article rows with codes B0000000, B0000001, ... (the even
ones are created in the database beforehand by ejecutar.sh, so the rows alternate update and
create), names with accents, EAN, a family and a VAT code of the demo data, costs, prices and
stock.

    python3 generar_libro.py N OUT.xlsx
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "data", "articulos"))
from xlsx_min import write_xlsx  # noqa: E402

FAMILIAS = ["ALIM", "BEBI", "LIMP", "ELEC", "CONS"]
IVAS = [21, 10, 4]
NOMBRES = ["Artículo de prueba nº", "Café molido ecológico", "Paño de limpieza", "Jamón serrano loncheado"]


def main():
    n, out = int(sys.argv[1]), sys.argv[2]
    rows = [["CODIGO", "NOMBRE", "CODIGOEAN", "FAMILIA", "IVA", "PRECIOMEDIOCOSTE", "PRECIOULTIMACOMPRA",
             "PVP", "PVPCONIVA", "STOCK"]]
    for i in range(n):
        coste = round(0.5 + (i * 37 % 900) / 10.0, 2)
        pvp = round(coste * 1.4, 2)
        iva = IVAS[i % 3]
        rows.append([f"B{i:07d}", f"{NOMBRES[i % 4]} {i}", f"84{i:011d}", FAMILIAS[i % 5], iva, coste,
                     round(coste * 1.03, 2), pvp, round(pvp * (1 + iva / 100), 2), float(i % 250)])
    write_xlsx(out, rows)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main()
