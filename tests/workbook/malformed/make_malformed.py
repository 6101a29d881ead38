#!/usr/bin/env python3
"""Writes the malformed-workbook corpus from the fixtures. Each file must be refused with a clear
error, quickly and without touching memory it should not. expected.txt lists the kind of error each
one gives (the names of qd::wb::Error::Kind)."""
import os
import struct
import zipfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FIX = os.path.join(HERE, '..', 'fixtures')
expected = []


def out(name, data, kind):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)
    expected.append('%s %s' % (name, kind))


def fixture(name):
    with open(os.path.join(FIX, name), 'rb') as f:
        return f.read()


def zip_with(parts, compress=zipfile.ZIP_DEFLATED):
    import io
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, 'w', compress) as z:
        for n, d in parts:
            z.writestr(n, d)
    return buf.getvalue()


def xlsx_parts():
    with zipfile.ZipFile(os.path.join(FIX, 'tipos.xlsx')) as z:
        return [(i.filename, z.read(i.filename)) for i in z.infolist()]


def replace_part(name, data):
    return [(n, data if n == name else d) for n, d in xlsx_parts()]


# --- zip container ---
x = fixture('tipos.xlsx')
out('truncado.xlsx', x[:len(x) // 2], 'Damaged')
out('solo_cabecera_zip.xlsx', x[:30], 'Damaged')

# central directory that lies about an entry's sizes and offset
eocd = x.rfind(b'PK\x05\x06')
cd_off = struct.unpack_from('<I', x, eocd + 16)[0]
lie = bytearray(x)
struct.pack_into('<I', lie, cd_off + 24, 10)           # uncompressed size of the first entry
out('directorio_falso_tamano.xlsx', bytes(lie), 'Damaged')
lie = bytearray(x)
struct.pack_into('<I', lie, cd_off + 42, len(x) + 1000)  # local header offset past the end
out('directorio_falso_offset.xlsx', bytes(lie), 'Damaged')
lie = bytearray(x)
struct.pack_into('<I', lie, eocd + 16, len(x) - 10)      # directory offset near the end
out('directorio_fuera.xlsx', bytes(lie), 'Damaged')
lie = bytearray(x)
struct.pack_into('<I', lie, cd_off + 16, 0x12345678)     # wrong CRC
out('crc_erroneo.xlsx', bytes(lie), 'Damaged')
lie = bytearray(x)
struct.pack_into('<H', lie, cd_off + 8, 1)               # "encrypted" flag
out('zip_cifrado.xlsx', bytes(lie), 'Protected')

# zip bomb: 64 MiB of one repeated row in the sheet part (declared honestly, ratio ~1000:1)
row = b'<row><c><v>1</v></c></row>'
comp = zlib.compressobj(9, zlib.DEFLATED, -15)
size = 64 << 20
chunk = row * (1 << 16)
blob = b''
produced = 0
crc = 0
head = b'<worksheet><sheetData>'
blob += comp.compress(head)
crc = zlib.crc32(head, crc)
produced += len(head)
while produced + len(chunk) <= size:
    blob += comp.compress(chunk)
    crc = zlib.crc32(chunk, crc)
    produced += len(chunk)
blob += comp.flush()


def raw_zip(entries):
    """entries: (name, compressed data, crc, uncompressed size, method)"""
    body = b''
    cd = b''
    for name, data, c, usize, method in entries:
        n = name.encode()
        local = struct.pack('<IHHHHHIIIHH', 0x04034b50, 20, 0, method, 0, 0, c, len(data), usize, len(n), 0) + n
        cd += struct.pack('<IHHHHHHIIIHHHHHII', 0x02014b50, 20, 20, 0, method, 0, 0, c, len(data), usize,
                          len(n), 0, 0, 0, 0, 0, len(body)) + n
        body += local + data
    return body + cd + struct.pack('<IHHHHIIH', 0x06054b50, 0, 0, len(entries), len(entries), len(cd), len(body), 0)


def stored(name, data):
    return (name, data, zlib.crc32(data), len(data), 0)


parts = dict(xlsx_parts())
base = [stored(n, d) for n, d in xlsx_parts() if n != 'xl/worksheets/sheet1.xml']
out('bomba.xlsx', raw_zip(base + [('xl/worksheets/sheet1.xml', blob, crc, produced, 8)]), 'TooLarge')
# the same bomb declaring a small size: must stop at the declared size
out('bomba_mentirosa.xlsx', raw_zip(base + [('xl/worksheets/sheet1.xml', blob, crc, 1000, 8)]), 'Damaged')

# --- XML ---
laughs = (b'<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;&lol;">]>'
          b'<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>&lol2;</t></si></sst>')
out('entidades.xlsx', zip_with(replace_part('xl/sharedStrings.xml', laughs)), 'Damaged')
external = (b'<?xml version="1.0"?><!DOCTYPE x [<!ENTITY ext SYSTEM "file:///etc/passwd">]>'
            b'<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>&ext;</t></si></sst>')
out('entidad_externa.xlsx', zip_with(replace_part('xl/sharedStrings.xml', external)), 'Damaged')
undefined = (b'<?xml version="1.0"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
             b'<si><t>&nada;</t></si></sst>')
out('entidad_indefinida.xlsx', zip_with(replace_part('xl/sharedStrings.xml', undefined)), 'Damaged')
deep = b'<worksheet><sheetData>' + b'<a>' * 100000 + b'</a>' * 100000 + b'</sheetData></worksheet>'
out('anidamiento.xlsx', zip_with(replace_part('xl/worksheets/sheet1.xml', deep)), 'Damaged')
sheet = parts['xl/worksheets/sheet1.xml']
out('indice_texto.xlsx', zip_with(replace_part('xl/worksheets/sheet1.xml',
                                               sheet.replace(b't="s"><v>0</v>', b't="s"><v>99999</v>', 1))),
    'Damaged')
out('fila_excesiva.xlsx', zip_with(replace_part('xl/worksheets/sheet1.xml', sheet.replace(b'r="A1"', b'r="A1048577"', 1))),
    'Damaged')
out('xml_truncado.xlsx', zip_with(replace_part('xl/worksheets/sheet1.xml', sheet[:len(sheet) // 2])), 'Damaged')
out('sin_libro.xlsx', zip_with([(n, d) for n, d in xlsx_parts() if n != 'xl/workbook.xml']), 'Damaged')

# .ods: repeated cells that would make 16384 x 1048576 values
ods_content = (b'<?xml version="1.0"?><office:document-content '
               b'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
               b'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
               b'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet>'
               b'<table:table table:name="H"><table:table-row table:number-rows-repeated="1048576">'
               b'<table:table-cell table:number-columns-repeated="16384" office:value-type="float" office:value="1"/>'
               b'</table:table-row></table:table></office:spreadsheet></office:body></office:document-content>')
out('repeticiones.ods', zip_with([('mimetype', b'application/vnd.oasis.opendocument.spreadsheet'),
                                  ('content.xml', ods_content)]), 'TooLarge')

# --- compound file / BIFF8 ---
xls = fixture('tipos.xls')
out('truncado.xls', xls[:len(xls) // 2], 'Damaged')
out('cabecera_cf.xls', xls[:300], 'Damaged')


def cfb_info(data):
    ss = 1 << struct.unpack_from('<H', data, 0x1E)[0]
    nfat = struct.unpack_from('<I', data, 0x2C)[0]
    fat_sectors = list(struct.unpack_from('<109I', data, 0x4C))[:nfat]
    fat_offsets = []
    for s in fat_sectors:
        for i in range(ss // 4):
            fat_offsets.append((s + 1) * ss + 4 * i)
    return ss, fat_offsets


def fat_get(data, offs, i):
    return struct.unpack_from('<I', data, offs[i])[0]


def dir_entries(data):
    ss, offs = cfb_info(data)
    s = struct.unpack_from('<I', data, 0x30)[0]
    entries = []
    while s < 0xFFFFFFFA:
        base = (s + 1) * ss
        for k in range(ss // 128):
            entries.append(base + 128 * k)
        s = fat_get(data, offs, s)
    return entries


def find_entry(data, name):
    for at in dir_entries(data):
        n = data[at:at + 64].decode('utf-16le', 'replace').split('\0')[0]
        if n == name:
            return at
    raise KeyError(name)


def regular_chain(data, offs, s):
    chain = []
    while s < 0xFFFFFFFA:
        chain.append(s)
        s = fat_get(data, offs, s)
    return chain


def minifat_offsets(data):
    ss, offs = cfb_info(data)
    out = []
    for s in regular_chain(data, offs, struct.unpack_from('<I', data, 0x3C)[0]):
        out.extend((s + 1) * ss + 4 * i for i in range(ss // 4))
    return out


def stream_chain(data, name):
    """(sector chain, offsets of the table entries that link it, byte offsets of each sector)"""
    ss, offs = cfb_info(data)
    at = find_entry(data, name)
    start, size = struct.unpack_from('<II', data, at + 116)
    if size >= 4096:
        chain = regular_chain(data, offs, start)
        return chain, offs, [list(range((c + 1) * ss, (c + 2) * ss)) for c in chain]
    moffs = minifat_offsets(data)
    chain = []
    s = start
    while s < 0xFFFFFFFA:
        chain.append(s)
        s = struct.unpack_from('<I', data, moffs[s])[0]
    root = regular_chain(data, offs, struct.unpack_from('<I', data, find_entry(data, 'Root Entry') + 116)[0])
    mini_bytes = []
    for r in root:
        mini_bytes.extend(range((r + 1) * ss, (r + 2) * ss))
    return chain, moffs, [mini_bytes[64 * c:64 * c + 64] for c in chain]


chain, table, _ = stream_chain(xls, 'Workbook')
loop = bytearray(xls)
struct.pack_into('<I', loop, table[chain[3]], chain[1])  # the 4th sector points back to the 2nd
out('ciclo_sectores.xls', bytes(loop), 'Damaged')
loop = bytearray(xls)
struct.pack_into('<I', loop, table[chain[2]], 0x00FFFFF0)  # a sector far beyond the file
out('sector_fuera.xls', bytes(loop), 'Damaged')
big = bytearray(xls)
struct.pack_into('<I', big, find_entry(xls, 'Workbook') + 120, 0x7FFFFFF0)  # stream larger than the file
out('flujo_enorme.xls', bytes(big), 'Damaged')
enc = bytearray(xls)
at = find_entry(xls, 'Workbook')
enc[at:at + 64] = 'EncryptedPackage'.encode('utf-16le').ljust(64, b'\0')
struct.pack_into('<H', enc, at + 64, 34)
out('cifrado_cf.xlsx', bytes(enc), 'Protected')
ss, _ = cfb_info(xls)
fatloop = bytearray(xls)
struct.pack_into('<I', fatloop, 0x30, 0x0FFFFFFF)  # directory starts beyond the file
out('directorio_cf.xls', bytes(fatloop), 'Damaged')


def workbook_stream_offsets(data):
    """File offsets of each byte of the Workbook stream, in order."""
    _, _, sectors = stream_chain(data, 'Workbook')
    return [o for sec in sectors for o in sec]


def patch_record(data, rtype, change):
    """Finds the first BIFF record of type rtype and lets change(bytearray, file offsets) patch it."""
    offsets = workbook_stream_offsets(data)
    stream = bytes(data[o] for o in offsets)
    p = 0
    while p + 4 <= len(stream):
        t, n = struct.unpack_from('<HH', stream, p)
        if t == rtype:
            buf = bytearray(data)
            change(buf, offsets, p)
            return bytes(buf)
        p += 4 + n
    raise KeyError(hex(rtype))


def set_u16(buf, offsets, at, value):
    buf[offsets[at]] = value & 0xFF
    buf[offsets[at + 1]] = value >> 8


def set_u32(buf, offsets, at, value):
    for k in range(4):
        buf[offsets[at + k]] = (value >> (8 * k)) & 0xFF


out('registro_enorme.xls', patch_record(xls, 0x00FC, lambda b, o, p: set_u16(b, o, p + 2, 0xFFF0)), 'Damaged')
out('indice_sst.xls', patch_record(xls, 0x00FD, lambda b, o, p: set_u32(b, o, p + 4 + 6, 0x00FFFFFF)), 'Damaged')
# a table that declares far more strings than it holds (the strings there are read), and a cell that
# takes one of those that are not there
lying = patch_record(xls, 0x00FC, lambda b, o, p: set_u32(b, o, p + 4 + 4, 0x7FFFFFFF))
out('sst_mentiroso.xls', patch_record(lying, 0x00FD, lambda b, o, p: set_u32(b, o, p + 4 + 6, 1000)), 'Damaged')
out('filepass.xls', patch_record(xls, 0x0042, lambda b, o, p: set_u16(b, o, p, 0x002F)), 'Protected')
out('hoja_fuera.xls', patch_record(xls, 0x0085, lambda b, o, p: set_u32(b, o, p + 4, 0x7FFFFFFF)), 'Damaged')
out('columna_fuera.xls', patch_record(xls, 0x00FD, lambda b, o, p: set_u16(b, o, p + 4 + 2, 300)), 'Damaged')

# --- other ---
out('vacio.xlsx', b'', 'Empty')
out('texto.xls', b'esto no es un libro\n', 'NotAWorkbook')
out('documento.docx', zip_with([('[Content_Types].xml', b'<Types/>'), ('word/document.xml', b'<document/>')]),
    'NotAWorkbook')
out('comillas.csv', b'codigo;nombre\r\nA;"sin cerrar\r\n', 'Damaged')

with open(os.path.join(HERE, 'expected.txt'), 'w') as f:
    f.write('\n'.join(sorted(expected)) + '\n')
