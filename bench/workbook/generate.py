#!/usr/bin/env python3
"""Writes an articles workbook of N rows x 15 columns (text with accents and numbers) as .xlsx, and
as .csv for the spreadsheet program to turn into .xls (run.sh does that).
  generate.py ROWS OUTDIR"""
import os
import random
import sys
import zipfile
from xml.sax.saxutils import escape

HEADERS = ['CODIGO', 'DESCRIPCION', 'FAMILIA', 'PROVEEDOR', 'REFPROVEEDOR', 'EAN', 'PRECIOCOSTE', 'PVP1',
           'PVP2', 'PVP3', 'DESCUENTO', 'STOCK', 'PESO', 'UNIDADES', 'OBSERVACIONES']
WORDS = ['tornillo', 'tuerca', 'arandela', 'cañería', 'codo', 'válvula', 'grifería', 'llave', 'junta',
         'rácor', 'manguito', 'té', 'reducción', 'niño', 'acción', 'pequeño', 'ópalo', 'güisqui']


def rows(n, seed=7):
    rnd = random.Random(seed)
    for i in range(1, n + 1):
        desc = ' '.join(rnd.choice(WORDS) for _ in range(3)) + ' %d mm' % rnd.randint(3, 120)
        yield [
            'A%06d' % i, desc.capitalize(), 'FAM%02d' % rnd.randint(1, 40), 'PROV%03d' % rnd.randint(1, 200),
            'R-%d' % rnd.randint(10000, 99999), '84%011d' % rnd.randint(0, 10 ** 11 - 1),
            round(rnd.uniform(0.1, 500), 2), round(rnd.uniform(0.2, 900), 2), round(rnd.uniform(0.2, 900), 2),
            round(rnd.uniform(0.2, 900), 2), rnd.choice([0, 5, 10, 12.5, 15]), rnd.randint(-5, 5000),
            round(rnd.uniform(0.01, 30), 3), rnd.randint(1, 100), 'Observación nº %d — €' % i,
        ]


def col(c):
    s = ''
    while c:
        c, r = divmod(c - 1, 26)
        s = chr(65 + r) + s
    return s


def write_xlsx(path, n):
    strings, index = [], {}

    def sst(s):
        if s not in index:
            index[s] = len(strings)
            strings.append(s)
        return index[s]

    out = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
           '<dimension ref="A1:O%d"/><sheetData>' % (n + 1)]
    for r, values in enumerate([HEADERS] + list(rows(n)), start=1):
        cells = []
        for c, v in enumerate(values, start=1):
            ref = '%s%d' % (col(c), r)
            if isinstance(v, str):
                cells.append('<c r="%s" t="s"><v>%d</v></c>' % (ref, sst(v)))
            else:
                cells.append('<c r="%s"><v>%r</v></c>' % (ref, v))
        out.append('<row r="%d">%s</row>' % (r, ''.join(cells)))
    out.append('</sheetData></worksheet>')
    sheet = ''.join(out)
    shared = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">%s</sst>'
              % (len(strings), len(strings), ''.join('<si><t>%s</t></si>' % escape(s) for s in strings)))
    ns = 'xmlns="http://schemas.openxmlformats.org/package/2006/relationships"'
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('[Content_Types].xml', '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                   '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>'
                   '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
                   '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
                   '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
        z.writestr('_rels/.rels', '<?xml version="1.0" encoding="UTF-8"?><Relationships %s><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>' % ns)
        z.writestr('xl/workbook.xml', '<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="Articulos" sheetId="1" r:id="rId1"/></sheets></workbook>')
        z.writestr('xl/_rels/workbook.xml.rels', '<?xml version="1.0" encoding="UTF-8"?><Relationships %s>'
                   '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
                   '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>' % ns)
        z.writestr('xl/worksheets/sheet1.xml', sheet)
        z.writestr('xl/sharedStrings.xml', shared)


def write_csv(path, n):
    with open(path, 'w', encoding='utf-8', newline='') as f:
        for values in [HEADERS] + list(rows(n)):
            f.write(','.join('"%s"' % v.replace('"', '""') if isinstance(v, str) else repr(v) for v in values) + '\r\n')


if __name__ == '__main__':
    n, outdir = int(sys.argv[1]), sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    write_xlsx(os.path.join(outdir, 'articulos_%d.xlsx' % n), n)
    write_csv(os.path.join(outdir, 'articulos_%d.csv' % min(n, 65535)), min(n, 65535))
