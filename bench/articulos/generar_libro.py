#!/usr/bin/env python3
"""Writes the benchmark workbook: N article rows with codes B0000000, B0000001, ... (the even
ones are created in the database beforehand by ejecutar.sh, so the rows alternate update and
create), names with accents, EAN, a family and a VAT code of the demo data, costs, prices and
stock.

    python3 generar_libro.py N OUT.xlsx       (or OUT.ods: the same rows as an OpenDocument sheet)
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
    if out.endswith(".ods"):
        write_ods(out, rows)
    else:
        write_xlsx(out, rows)


def write_ods(path, rows):
    """The rows as an .ods, content.xml written as it is compressed."""
    import zipfile
    from xml.sax.saxutils import escape
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.spreadsheet",
                   compress_type=zipfile.ZIP_STORED)
        with z.open("content.xml", "w", force_zip64=True) as f:
            f.write(b'<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content '
                    b'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                    b'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
                    b'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body>'
                    b'<office:spreadsheet><table:table table:name="Articulos">')
            batch = []
            for row in rows:
                cells = "".join(
                    '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' % escape(v)
                    if isinstance(v, str) else
                    '<table:table-cell office:value-type="float" office:value="%r"><text:p>%r</text:p>'
                    '</table:table-cell>' % (v, v) for v in row)
                batch.append("<table:table-row>%s</table:table-row>" % cells)
                if len(batch) == 10000:
                    f.write("".join(batch).encode())
                    batch = []
            f.write(("".join(batch) + "</table:table></office:spreadsheet></office:body>"
                     "</office:document-content>").encode())


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main()
