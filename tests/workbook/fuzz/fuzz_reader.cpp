// libFuzzer entry for the workbook readers; QD_FUZZ_MODE_<mode> selects the way in. Any input must
// give a workbook or a qd::wb::Error; anything else (a crash, a sanitizer report, another exception)
// is a finding.

#include "ReadFailure.h"
#include "Workbook.h"
#include "XlsReader.h"

#include <QByteArray>
#include <QtEndian>

#include <zlib.h>

#include <cstdint>

namespace {

// A zip archive with stored (uncompressed) entries, so that mutations reach the XML.
[[maybe_unused]] QByteArray
storedZip(const std::initializer_list<std::pair<const char*, QByteArray>>& entries) {
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
        u32(body, 0x04034b50);
        u16(body, 20), u16(body, 0), u16(body, 0), u16(body, 0), u16(body, 0);
        u32(body, crc), u32(body, quint32(data.size())), u32(body, quint32(data.size()));
        u16(body, nameLen), u16(body, 0);
        body.append(name).append(data);
        u32(dir, 0x02014b50);
        u16(dir, 20), u16(dir, 20), u16(dir, 0), u16(dir, 0), u16(dir, 0), u16(dir, 0);
        u32(dir, crc), u32(dir, quint32(data.size())), u32(dir, quint32(data.size()));
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
#if defined(QD_FUZZ_MODE_xlsx)
        qd::wb::Workbook::fromMemory(input, QStringLiteral("f.xlsx"));
#elif defined(QD_FUZZ_MODE_xls)
        qd::wb::Workbook::fromMemory(input, QStringLiteral("f.xls"));
#elif defined(QD_FUZZ_MODE_ods)
        qd::wb::Workbook::fromMemory(input, QStringLiteral("f.ods"));
#elif defined(QD_FUZZ_MODE_csv)
        qd::wb::Workbook::fromMemory(input, QStringLiteral("f.csv"));
#elif defined(QD_FUZZ_MODE_biff)
        try {
            qd::wb::XlsReader::read(QByteArray(input));
        } catch (const qd::wb::ReadFailure&) {
        }
#elif defined(QD_FUZZ_MODE_xlsx_sheet)
        // the input is the first worksheet's XML (the shared strings come after a NUL byte)
        const qsizetype split = input.indexOf('\0');
        const QByteArray sheet = split < 0 ? input : input.left(split);
        const QByteArray strings =
            split < 0 ? QByteArray("<sst><si><t>a</t></si></sst>") : input.mid(split + 1);
        qd::wb::Workbook::fromMemory(
            storedZip({{"_rels/.rels", "<Relationships><Relationship Id=\"r\" Type=\"x/officeDocument\" "
                                       "Target=\"xl/workbook.xml\"/></Relationships>"},
                       {"xl/workbook.xml", "<workbook><sheets><sheet name=\"H\" r:id=\"r1\" "
                                           "xmlns:r=\"urn:r\"/></sheets></workbook>"},
                       {"xl/_rels/workbook.xml.rels",
                        "<Relationships><Relationship Id=\"r1\" Type=\"x/worksheet\" "
                        "Target=\"worksheets/sheet1.xml\"/>"
                        "<Relationship Id=\"r2\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
                        "</Relationships>"},
                       {"xl/worksheets/sheet1.xml", sheet},
                       {"xl/sharedStrings.xml", strings}}),
            QStringLiteral("f.xlsx"));
#elif defined(QD_FUZZ_MODE_ods_content)
        qd::wb::Workbook::fromMemory(
            storedZip(
                {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", input}}),
            QStringLiteral("f.ods"));
#else
#error "QD_FUZZ_MODE_<mode> not set"
#endif
    } catch (const qd::wb::Error&) {
    }
    return 0;
}
