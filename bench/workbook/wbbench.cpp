// Reads every cell of a workbook's active sheet with the module's reader and prints the time taken
// and a checksum (so that the work cannot be skipped).
//   wbbench FILE           read and hold the workbook, then visit every cell
//   wbbench --floor FILE   the physical floor of that work, with no parsing: for .xlsx and .ods
//                          every part inflated (zlib) and thrown away; for .xls the workbook
//                          stream taken out of its container and its records walked
//   wbbench --floor-in-place FILE.xls   the .xls floor with the stream read from the file a
//                          megabyte at a time through its sector chain, never held

#include "CompoundFile.h"
#include "Workbook.h"
#include "ZipArchive.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <memory>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void walkRecords(const uchar* p, qint64 size, qint64& records, quint32& sum) {
    for (qint64 at = 0; at + 4 <= size;) {
        const quint16 type = quint16(p[at] | (p[at + 1] << 8));
        const quint16 len = quint16(p[at + 2] | (p[at + 3] << 8));
        sum += type;
        ++records;
        at += 4 + len;
    }
}

// The .xls floor without holding anything: the workbook stream read in place from the file through
// its sector chain, a megabyte at a time, and its records walked.
int inPlaceFloorOf(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) return 1;
    const qd::wb::CompoundFile cf(std::make_shared<qd::wb::FileSource>(f));
    const auto book = cf.openStream(QStringLiteral("Workbook"));
    std::vector<char> buf(size_t(1) << 20);
    qint64 records = 0, carry = 0;
    quint32 sum = 0;
    for (qint64 at = 0; at < book->size();) {
        // a record cut by the end of the buffer is carried to the start of the next one
        const qint64 n = std::min<qint64>(qint64(buf.size()) - carry, book->size() - at);
        book->read(at, n, buf.data() + carry);
        at += n;
        const auto* p = reinterpret_cast<const uchar*>(buf.data());
        const qint64 have = carry + n;
        qint64 pos = 0;
        while (pos + 4 <= have && pos + 4 + quint16(p[pos + 2] | (p[pos + 3] << 8)) <= have) {
            sum += quint16(p[pos] | (p[pos + 1] << 8));
            ++records;
            pos += 4 + quint16(p[pos + 2] | (p[pos + 3] << 8));
        }
        carry = have - pos;
        std::memmove(buf.data(), buf.data() + pos, size_t(carry));
    }
    std::printf("floor: bytes=%lld records=%lld sum=%u total_ms=%lld\n", book->size(), records, sum,
                timer.elapsed());
    return 0;
}

int floorOf(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 1;
    const QByteArray data = f.readAll();
    qint64 bytes = 0, records = 0;
    quint32 sum = 0;
    if (data.startsWith("PK")) {
        const qd::wb::ZipArchive zip(data);
        std::vector<char> buf(size_t(1) << 20);
        for (const QString& name : zip.names()) {
            const auto s = zip.openStream(name, qd::wb::ZipArchive::Use::Streamed);
            while (const qsizetype n = s->read(buf.data(), qsizetype(buf.size()))) {
                bytes += n;
                sum += quint8(buf[size_t(n - 1)]);
            }
        }
    } else {
        const qd::wb::CompoundFile cf(data);
        const QByteArray book = cf.stream(QStringLiteral("Workbook"));
        bytes = book.size();
        walkRecords(reinterpret_cast<const uchar*>(book.constData()), book.size(), records, sum);
    }
    std::printf("floor: bytes=%lld records=%lld sum=%u total_ms=%lld\n", bytes, records, sum,
                timer.elapsed());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--floor-in-place") == 0) {
        try {
            return inPlaceFloorOf(QString::fromLocal8Bit(argv[2]));
        } catch (...) {
            std::fprintf(stderr, "no se pudo leer\n");
            return 1;
        }
    }
    if (argc == 3 && std::strcmp(argv[1], "--floor") == 0) {
        try {
            return floorOf(QString::fromLocal8Bit(argv[2]));
        } catch (...) {
            std::fprintf(stderr, "no se pudo leer\n");
            return 1;
        }
    }
    if (argc != 2) {
        std::fprintf(stderr, "uso: wbbench [--floor] FICHERO\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    try {
        const auto wb = qd::wb::Workbook::open(QString::fromLocal8Bit(argv[1]));
        const qint64 openMs = timer.elapsed();
        const qd::wb::Sheet& s = wb->activeSheet();
        double sum = 0;
        qint64 chars = 0, cells = 0;
        for (int r = 1; r <= s.lastRow(); ++r) {
            for (int c = 1; c <= s.lastColumn(); ++c) {
                const qd::wb::Cell cell = s.cell(r, c);
                if (cell.isEmpty()) continue;
                ++cells;
                if (cell.type == qd::wb::CellType::Text)
                    chars += cell.text.size();
                else
                    sum += cell.number;
            }
        }
        std::printf("qd: rows=%d cols=%d cells=%lld chars=%lld sum=%.2f open_ms=%lld total_ms=%lld\n",
                    s.lastRow(), s.lastColumn(), cells, chars, sum, openMs, timer.elapsed());
    } catch (const qd::wb::Error& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
