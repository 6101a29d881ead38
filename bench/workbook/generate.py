#!/usr/bin/env python3
"""Writes an articles workbook of N rows x 15 columns (text with accents and numbers) as .xlsx, and
the first 65,535 of those rows as .xls (BIFF8 in a compound file, the format's full height with the
header row) and as .csv, and all N rows again as .ods.
  generate.py ROWS OUTDIR"""
import os
import random
import struct
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


def record(kind, data):
    return struct.pack('<HH', kind, len(data)) + data


def biff_string(s, length_bytes):
    """An XLUnicodeString (2-byte count) or ShortXLUnicodeString (1-byte count)."""
    head = struct.pack('<H' if length_bytes == 2 else '<B', len(s))
    try:
        return head + b'\x00' + s.encode('latin-1')
    except UnicodeEncodeError:
        return head + b'\x01' + s.encode('utf-16-le')


def sst_records(strings):
    """The SST record and its CONTINUE records, no string split between two records."""
    out, body, first = [], struct.pack('<II', len(strings), len(strings)), True
    for s in strings:
        piece = biff_string(s, 2)
        if len(body) + len(piece) > 8224:
            out.append(record(0x00FC if first else 0x003C, body))
            body, first = b'', False
        body += piece
    out.append(record(0x00FC if first else 0x003C, body))
    return b''.join(out)


def workbook_stream(table):
    strings, index = [], {}
    cells = []
    for r, values in enumerate(table):
        for c, v in enumerate(values):
            if isinstance(v, str):
                if v not in index:
                    index[v] = len(strings)
                    strings.append(v)
                cells.append(record(0x00FD, struct.pack('<HHHI', r, c, 15, index[v])))
            else:
                cells.append(record(0x0203, struct.pack('<HHHd', r, c, 15, float(v))))
    bof = lambda kind: record(0x0809, struct.pack('<HHHHII', 0x0600, kind, 0x0DBB, 0x07CC, 0, 6))
    xfs = b''.join(record(0x00E0, struct.pack('<HHH', 0, 0, 0xFFF5 if i < 15 else 1) + bytes(14)) for i in range(16))
    name = 'Articulos'
    sheet_head = lambda offset: record(0x0085, struct.pack('<IBB', offset, 0, 0) + biff_string(name, 1))
    tail = xfs + sst_records(strings) + record(0x000A, b'')
    globals_size = len(bof(5)) + len(sheet_head(0)) + len(tail)
    globals_ = bof(5) + sheet_head(globals_size) + tail
    dims = record(0x0200, struct.pack('<IIHHH', 0, len(table), 0, 15, 0))
    return globals_ + bof(0x10) + dims + b''.join(cells) + record(0x000A, b'')


def compound_file(stream):
    """A version 4 compound file (4,096-byte sectors) holding one stream named Workbook."""
    ss, end, free, fat_mark, none = 4096, 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD, 0xFFFFFFFF
    stream += bytes(-len(stream) % ss)
    n = len(stream) // ss
    k = 1
    while n + 1 + k > k * (ss // 4):
        k += 1
    assert k <= 109
    fat = list(range(1, n)) + [end] + [end] + [fat_mark] * k
    fat += [free] * (k * (ss // 4) - len(fat))
    header = b'\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1' + bytes(16) + struct.pack(
        '<HHHHH6xIIIIIIIII', 0x3E, 4, 0xFFFE, 12, 6, 1, k, n, 0, 4096, end, 0, end, 0)
    header += b''.join(struct.pack('<I', n + 1 + i) for i in range(k)) + b'\xFF' * 4 * (109 - k)
    header += bytes(ss - len(header))

    def entry(name, kind, child, start, size):
        raw = (name + '\0').encode('utf-16-le') if name else b''
        return (raw + bytes(64 - len(raw)) + struct.pack('<HBBIII', len(raw), kind, 1, none, none, child)
                + bytes(16 + 4 + 16) + struct.pack('<IQ', start, size))
    directory = entry('Root Entry', 5, 1, end, 0) + entry('Workbook', 2, none, 0, len(stream))
    directory += b''.join(entry('', 0, none, 0, 0) for _ in range(ss // 128 - 2))
    return header + stream + directory + b''.join(struct.pack('<I', v) for v in fat)


def write_ods(path, n):
    """The same rows as an OpenDocument spreadsheet, content.xml written as it is compressed."""
    head = ('<?xml version="1.0" encoding="UTF-8"?>\n<office:document-content '
            'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
            'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
            'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">'
            '<office:body><office:spreadsheet><table:table table:name="Articulos">'
            '<table:table-column table:number-columns-repeated="15"/>')
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo('mimetype'), 'application/vnd.oasis.opendocument.spreadsheet',
                   compress_type=zipfile.ZIP_STORED)
        with z.open('content.xml', 'w', force_zip64=True) as f:
            f.write(head.encode())
            batch = []
            for values in [HEADERS] + list(rows(n)):
                cells = []
                for v in values:
                    if isinstance(v, str):
                        cells.append('<table:table-cell office:value-type="string"><text:p>%s</text:p>'
                                     '</table:table-cell>' % escape(v))
                    else:
                        cells.append('<table:table-cell office:value-type="float" office:value="%r">'
                                     '<text:p>%r</text:p></table:table-cell>' % (v, v))
                batch.append('<table:table-row>%s</table:table-row>' % ''.join(cells))
                if len(batch) == 10000:
                    f.write(''.join(batch).encode())
                    batch = []
            f.write((''.join(batch) + '</table:table></office:spreadsheet></office:body>'
                     '</office:document-content>').encode())
        z.writestr('META-INF/manifest.xml', '<?xml version="1.0" encoding="UTF-8"?>\n<manifest:manifest '
                   'xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">'
                   '<manifest:file-entry manifest:full-path="/" manifest:media-type='
                   '"application/vnd.oasis.opendocument.spreadsheet"/><manifest:file-entry '
                   'manifest:full-path="content.xml" manifest:media-type="text/xml"/></manifest:manifest>')


def write_xls(path, n):
    with open(path, 'wb') as f:
        f.write(compound_file(workbook_stream([HEADERS] + list(rows(n)))))


if __name__ == '__main__':
    n, outdir = int(sys.argv[1]), sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    write_xlsx(os.path.join(outdir, 'articulos_%d.xlsx' % n), n)
    write_csv(os.path.join(outdir, 'articulos_%d.csv' % min(n, 65535)), min(n, 65535))
    write_xls(os.path.join(outdir, 'articulos_%d.xls' % min(n, 65535)), min(n, 65535))
    write_ods(os.path.join(outdir, 'articulos_%d.ods' % n), n)
