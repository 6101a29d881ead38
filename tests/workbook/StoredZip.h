#pragma once

// Test support: workbooks packed in memory.

#include <QByteArray>

#include <zlib.h>

#include <initializer_list>
#include <utility>

namespace qd::wb::test {

// An entry's bytes as raw deflate data (the zip method 8).
inline QByteArray deflated(const QByteArray& data) {
    z_stream zs{};
    deflateInit2(&zs, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))), Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.truncate(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

// A zip archive with stored (uncompressed) entries, so that mutations reach the XML; with `deflate`,
// its entries compressed as the programs write them.
inline QByteArray storedZip(const std::initializer_list<std::pair<const char*, QByteArray>>& entries,
                            bool deflate = false) {
    QByteArray body, dir;
    auto u16 = [](QByteArray& a, quint16 v) { a.append(char(v & 0xFF)).append(char(v >> 8)); };
    auto u32 = [&](QByteArray& a, quint32 v) {
        u16(a, quint16(v & 0xFFFF));
        u16(a, quint16(v >> 16));
    };
    int count = 0;
    for (const auto& [name, data] : entries) {
        const quint32 crc =
            quint32(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
        const quint32 offset = quint32(body.size());
        const quint16 nameLen = quint16(qstrlen(name));
        const QByteArray packed = deflate ? deflated(data) : data;
        const quint16 method = deflate ? 8 : 0;
        u32(body, 0x04034b50);
        u16(body, 20), u16(body, 0), u16(body, method), u16(body, 0), u16(body, 0);
        u32(body, crc), u32(body, quint32(packed.size())), u32(body, quint32(data.size()));
        u16(body, nameLen), u16(body, 0);
        body.append(name).append(packed);
        u32(dir, 0x02014b50);
        u16(dir, 20), u16(dir, 20), u16(dir, 0), u16(dir, method), u16(dir, 0), u16(dir, 0);
        u32(dir, crc), u32(dir, quint32(packed.size())), u32(dir, quint32(data.size()));
        u16(dir, nameLen), u16(dir, 0), u16(dir, 0), u16(dir, 0), u16(dir, 0);
        u32(dir, 0), u32(dir, offset);
        dir.append(name);
        ++count;
    }
    QByteArray out = body + dir;
    u32(out, 0x06054b50);
    u16(out, 0), u16(out, 0), u16(out, quint16(count)), u16(out, quint16(count));
    u32(out, quint32(dir.size())), u32(out, quint32(body.size()));
    u16(out, 0);
    return out;
}

// An .ods of one sheet "H" holding the given table rows, its parts stored.
inline QByteArray odsWithRows(const QByteArray& rows) {
    const QByteArray content =
        "<?xml version=\"1.0\"?><office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
        "xmlns:calcext=\"urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0\">"
        "<office:body><office:spreadsheet>"
        "<table:table table:name=\"H\">" +
        rows + "</table:table></office:spreadsheet></office:body></office:document-content>";
    return storedZip(
        {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content}});
}

} // namespace qd::wb::test
