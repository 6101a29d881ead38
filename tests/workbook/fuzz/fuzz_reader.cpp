// libFuzzer entry for the workbook readers; QD_FUZZ_MODE_<mode> selects the way in. Any input must
// give a workbook or a qd::wb::Error; anything else (a crash, a sanitizer report, another exception)
// is a finding.

#include "../StoredZip.h"
#include "ReadFailure.h"
#include "Workbook.h"
#include "XlsReader.h"

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

using qd::wb::test::storedZip;

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
