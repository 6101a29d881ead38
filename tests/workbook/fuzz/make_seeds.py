#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets whose input is not a whole file: bare BIFF8 streams,
worksheet XML (+ NUL + shared strings) and ODS content XML, taken from the fixtures."""
import glob
import os
import struct
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
FIX = os.path.join(HERE, '..', 'fixtures')


def cfb_stream(data, name):
    ss = 1 << struct.unpack_from('<H', data, 0x1E)[0]
    nfat = struct.unpack_from('<I', data, 0x2C)[0]
    fat = []
    for s in list(struct.unpack_from('<109I', data, 0x4C))[:nfat]:
        fat += struct.unpack_from('<%dI' % (ss // 4), data, (s + 1) * ss)

    def chain(s, table, size, unit, src, base):
        out = b''
        while s < 0xFFFFFFFA and len(out) < size:
            at = (s + base) * unit
            out += src[at:at + unit]
            s = table[s]
        return out[:size]

    dirs = chain(struct.unpack_from('<I', data, 0x30)[0], fat, 1 << 30, ss, data, 1)
    entries = {}
    for i in range(0, len(dirs), 128):
        n = dirs[i:i + 64].decode('utf-16le', 'replace').split('\0')[0]
        entries[n] = struct.unpack_from('<II', dirs, i + 116)
    start, size = entries[name]
    if size >= 4096:
        return chain(start, fat, size, ss, data, 1)
    minifat_bytes = chain(struct.unpack_from('<I', data, 0x3C)[0], fat, 1 << 30, ss, data, 1)
    minifat = struct.unpack_from('<%dI' % (len(minifat_bytes) // 4), minifat_bytes)
    rs, rsize = entries['Root Entry']
    ministream = chain(rs, fat, rsize, ss, data, 1)
    return chain(start, minifat, size, 64, ministream, 0)


def write(kind, name, data):
    os.makedirs(os.path.join(HERE, 'seeds', kind), exist_ok=True)
    with open(os.path.join(HERE, 'seeds', kind, name), 'wb') as f:
        f.write(data)


for path in sorted(glob.glob(os.path.join(FIX, '*.xls'))):
    write('biff', os.path.basename(path) + '.biff', cfb_stream(open(path, 'rb').read(), 'Workbook'))
for path in sorted(glob.glob(os.path.join(FIX, '*.xlsx'))):
    with zipfile.ZipFile(path) as z:
        strings = z.read('xl/sharedStrings.xml') if 'xl/sharedStrings.xml' in z.namelist() else b''
        write('xlsx_sheet', os.path.basename(path) + '.xml', z.read('xl/worksheets/sheet1.xml') + b'\0' + strings)
for path in sorted(glob.glob(os.path.join(FIX, '*.ods'))):
    with zipfile.ZipFile(path) as z:
        write('ods_content', os.path.basename(path) + '.xml', z.read('content.xml'))
