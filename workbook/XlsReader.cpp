#include "XlsReader.h"

#include "ByteReader.h"
#include "ByteSource.h"
#include "Decryption.h"
#include "NumberFormats.h"
#include "ReadFailure.h"
#include "Workbook.h"

#include <QHash>
#include <QSysInfo>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace qd::wb {

namespace {

enum : quint16 {
    kFormula = 0x0006,
    kEof = 0x000A,
    kDateMode = 0x0022,
    kFilePass = 0x002F,
    kContinue = 0x003C,
    kWindow1 = 0x003D,
    kCodePage = 0x0042,
    kBoundSheet = 0x0085,
    kMulRk = 0x00BD,
    kMulBlank = 0x00BE,
    kRString = 0x00D6,
    kXf = 0x00E0,
    kSst = 0x00FC,
    kLabelSst = 0x00FD,
    kDimensions = 0x0200,
    kBlank = 0x0201,
    kNumber = 0x0203,
    kLabel = 0x0204,
    kBoolErr = 0x0205,
    kString = 0x0207,
    kRk = 0x027E,
    kFormula4 = 0x0406, // the code of Excel 4, which some programs still write in Excel 97 files
    kFormat = 0x041E,
    kBof = 0x0809,
};

constexpr int kMaxXlsRows = 65536;
constexpr int kMaxXlsColumns = 256;
constexpr qsizetype kMaxRecordLength = 8224;

struct Record {
    quint16 type = 0;
    qint64 offset = 0; // of the record's data in the stream
    qint64 length = 0;
    ByteReader data{nullptr, 0}; // the record's data, valid until the stream moves on
};

// Walks the records of a BIFF stream through a window, checking each length against the stream, so
// that a stream read from a file is never held whole.
class RecordStream {
public:
    explicit RecordStream(const ByteSource& s) : w_(s) {}
    qint64 size() const { return w_.size(); }
    void seek(qint64 pos) { pos_ = pos; }
    bool next(Record& r) {
        if (!header(r)) return false;
        reload(r);
        return true;
    }
    // Reads the record's data again after the stream was looked ahead.
    void reload(Record& r) { r.data = ByteReader(w_.at(r.offset, r.length), r.length); }
    bool continues() { return inBounds(pos_, 4) && qFromLittleEndian<quint16>(w_.at(pos_, 2)) == kContinue; }
    // The bytes of the CONTINUE records that follow, each checked as next() checks it, without moving on.
    qint64 continuationBytes() {
        const qint64 saved = pos_;
        qint64 total = 0;
        Record r;
        while (continues() && header(r))
            total += r.length;
        pos_ = saved;
        return total;
    }
    void skipContinues() {
        Record r;
        while (continues() && header(r)) {
        }
    }

private:
    bool inBounds(qint64 offset, qint64 length) const {
        return offset <= w_.size() && length <= w_.size() - offset;
    }
    bool header(Record& r) {
        if (pos_ >= w_.size()) return false;
        if (!inBounds(pos_, 4)) throwDamaged(QStringLiteral("registro truncado al final del libro"));
        const char* h = w_.at(pos_, 4);
        r.type = qFromLittleEndian<quint16>(h);
        r.length = qFromLittleEndian<quint16>(h + 2);
        r.offset = pos_ + 4;
        r.data = ByteReader(nullptr, 0);
        if (r.length > kMaxRecordLength)
            throwDamaged(QStringLiteral("registro 0x%1 de longitud %2 no válida")
                             .arg(r.type, 4, 16, QLatin1Char('0'))
                             .arg(r.length));
        if (!inBounds(r.offset, r.length))
            throwDamaged(QStringLiteral("registro truncado (¿fichero truncado?)"));
        pos_ = r.offset + r.length;
        return true;
    }

    ByteWindow w_;
    qint64 pos_ = 0;
};

// Reads across a record and the CONTINUE records that follow it, as the string tables need. The
// continuations are taken from the stream one at a time, as they are reached.
class SegmentReader {
public:
    SegmentReader(ByteReader first, RecordStream* more) : cur_(first), more_(more) {}

    quint8 u8() {
        need(1);
        return cur_.u8(pos_);
    }
    quint16 u16() {
        // integers may not straddle records; treat it as damage
        need(2);
        const quint16 v = cur_.u16(pos_);
        pos_ += 2;
        return v;
    }
    quint32 u32() {
        need(4);
        const quint32 v = cur_.u32(pos_);
        pos_ += 4;
        return v;
    }
    quint8 byte() {
        const quint8 v = u8();
        ++pos_;
        return v;
    }
    // No byte left in this record and in the continuations that follow it.
    bool atEnd() {
        settle();
        return ended_;
    }
    void skip(qint64 n) {
        while (n > 0) {
            settle();
            if (ended_) throwDamaged(QStringLiteral("tabla de textos truncada"));
            const qint64 take = std::min<qint64>(n, cur_.size() - pos_);
            pos_ += take;
            n -= take;
        }
    }
    // Characters of an XLUnicodeRichExtendedString; a new record restarts with an option byte that
    // says whether the rest is 8-bit or 16-bit.
    void chars(int count, bool high, char16_t* out) {
        int done = 0;
        while (done < count) {
            if (!ended_ && pos_ >= cur_.size()) {
                do {
                    if (!advance()) throwDamaged(QStringLiteral("tabla de textos truncada"));
                } while (cur_.size() == 0); // an empty continuation has no option byte
                high = (cur_.u8(0) & 1) != 0;
                pos_ = 1;
            }
            if (ended_) throwDamaged(QStringLiteral("tabla de textos truncada"));
            const int width = high ? 2 : 1;
            const qint64 avail = (cur_.size() - pos_) / width;
            const int take = int(std::min<qint64>(count - done, avail));
            const char* p = cur_.data() + pos_;
            if (high) {
                if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
                    std::memcpy(out + done, p, size_t(take) * 2);
                } else {
                    for (int k = 0; k < take; ++k)
                        out[done + k] = qFromLittleEndian<quint16>(p + 2 * k);
                }
            } else {
                for (int k = 0; k < take; ++k)
                    out[done + k] = char16_t(quint8(p[k]));
            }
            done += take;
            pos_ += qint64(take) * width;
            if (done < count) pos_ = cur_.size(); // the rest is in the next record
        }
    }

private:
    bool advance() {
        Record r;
        if (!more_ || !more_->continues() || !more_->next(r)) {
            ended_ = true;
            return false;
        }
        cur_ = r.data;
        pos_ = 0;
        return true;
    }
    void settle() {
        while (!ended_ && pos_ >= cur_.size())
            advance();
    }
    void need(qint64 n) {
        settle();
        if (ended_ || cur_.size() - pos_ < n) throwDamaged(QStringLiteral("tabla de textos truncada"));
    }

    ByteReader cur_;
    RecordStream* more_;
    qint64 pos_ = 0;
    bool ended_ = false;
};

struct StringHeader {
    int count = 0;
    bool high = false;
    qint64 after = 0; // bytes of formatting runs and extended data after the characters
    int headerBytes = 0;
};

StringHeader stringHeader(SegmentReader& r, bool longCount) {
    StringHeader h;
    h.count = longCount ? r.u16() : r.byte();
    if (h.count == 0 && r.atEnd()) return h; // an empty text whose writer left out the option byte
    const quint8 flags = r.byte();
    int runs = 0;
    quint32 ext = 0;
    if (flags & 0x08) runs = r.u16();
    if (flags & 0x04) ext = r.u32();
    h.headerBytes = (longCount ? 3 : 2) + (flags & 0x08 ? 2 : 0) + (flags & 0x04 ? 4 : 0);
    h.high = flags & 0x01;
    h.after = qint64(runs) * 4 + ext;
    return h;
}

QString readUnicodeString(SegmentReader& r, bool longCount) {
    const StringHeader h = stringHeader(r, longCount);
    QString s(h.count, Qt::Uninitialized);
    r.chars(h.count, h.high, reinterpret_cast<char16_t*>(s.data()));
    r.skip(h.after);
    return s;
}

// A string of the shared-string table, read straight into the pool.
void readIntoPool(SegmentReader& r, StringPool& pool) {
    const StringHeader h = stringHeader(r, true);
    r.chars(h.count, h.high, pool.addUninitialized(h.count).second);
    r.skip(h.after);
}

// A string inside one record (no continuation): count, option byte, characters. What follows the
// characters (formatting runs, which some writers announce without writing them) is not needed.
// `upToRecordEnd`: a count past the record's end (as some writers give a number format's code) takes
// the characters the record holds.
QString recordString(const Record& rec, qint64 at, bool longCount, bool upToRecordEnd = false) {
    if (at > rec.length) throwDamaged(QStringLiteral("registro de texto demasiado corto"));
    SegmentReader r(ByteReader(rec.data.data() + at, rec.length - at), nullptr);
    StringHeader h = stringHeader(r, longCount);
    if (upToRecordEnd) {
        const qint64 room = std::max<qint64>(0, (rec.length - at - h.headerBytes) / (h.high ? 2 : 1));
        h.count = int(std::min<qint64>(h.count, room));
    }
    QString s(h.count, Qt::Uninitialized);
    r.chars(h.count, h.high, reinterpret_cast<char16_t*>(s.data()));
    return s;
}

double decodeRk(quint32 rk) {
    double d;
    if (rk & 0x02) {
        d = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&d, &bits, sizeof d);
    }
    if (rk & 0x01) d /= 100;
    return d;
}

struct Globals {
    std::shared_ptr<StringPool> strings = std::make_shared<StringPool>();
    std::vector<bool> dateXf;
    bool date1904 = false;
};

void requireLength(const Record& r, qsizetype n) {
    if (r.length < n)
        throwDamaged(QStringLiteral("registro 0x%1 demasiado corto").arg(r.type, 4, 16, QLatin1Char('0')));
}

class SheetBuilder {
public:
    SheetBuilder(Sheet& sheet, const Globals& g) : sheet_(sheet), g_(g) {}

    void check(int row, int col) const {
        if (row >= kMaxXlsRows || col >= kMaxXlsColumns)
            throwDamaged(QStringLiteral("celda fuera de los límites de la hoja (fila %1, columna %2)")
                             .arg(row + 1)
                             .arg(col + 1));
    }
    void number(int row, int col, int xf, double v) {
        check(row, col);
        if (xf >= 0 && xf < int(g_.dateXf.size()) && g_.dateXf[size_t(xf)]) {
            const double serial = g_.date1904 ? v + 1462 : v;
            if (serial >= 0 && serial < 2958466) {
                sheet_.setCell(row + 1, col + 1, Cell::ofDate(serial));
                return;
            }
        }
        sheet_.setNumber(row + 1, col + 1, v);
    }
    void text(int row, int col, QString s) {
        check(row, col);
        Cell c;
        c.type = CellType::Text;
        c.text = std::move(s);
        sheet_.setCell(row + 1, col + 1, std::move(c));
    }
    void sharedText(int row, int col, quint32 index) {
        check(row, col);
        sheet_.setSharedText(row + 1, col + 1, index);
    }
    void boolean(int row, int col, bool v) {
        check(row, col);
        Cell c;
        c.type = CellType::Boolean;
        c.boolean = v;
        sheet_.setCell(row + 1, col + 1, std::move(c));
    }
    void error(int row, int col, int code) {
        check(row, col);
        Cell c;
        c.type = CellType::Error;
        c.text = NumberFormats::errorText(code);
        if (c.text.isEmpty()) c.text = QStringLiteral("#N/A");
        sheet_.setCell(row + 1, col + 1, std::move(c));
    }
    void blank(int row, int col) {
        check(row, col);
        sheet_.extendUsedRange(row + 1, col + 1);
    }

private:
    Sheet& sheet_;
    const Globals& g_;
};

void readSheet(const ByteSource& stream, qint64 offset, const Globals& g, Sheet& sheet) {
    RecordStream rs(stream);
    rs.seek(offset);
    Record r;
    if (!rs.next(r) || r.type != kBof)
        throwDamaged(QStringLiteral("la hoja «%1» no empieza donde indica el libro").arg(sheet.name()));
    SheetBuilder out(sheet, g);
    int nested = 0;
    int pendingRow = -1, pendingCol = -1; // a formula whose string result follows in a STRING record
    while (rs.next(r)) {
        const ByteReader& d = r.data;
        switch (r.type) {
        case kBof:
            ++nested; // an embedded chart: skip its records
            break;
        case kEof:
            if (nested == 0) return;
            --nested;
            break;
        default:
            if (nested > 0) break;
            switch (r.type) {
            case kDimensions: {
                requireLength(r, 14);
                const quint32 rowEnd = d.u32(4);
                const quint16 colEnd = d.u16(10);
                if (rowEnd > 0 && colEnd > 0)
                    sheet.extendUsedRange(int(std::min<quint32>(rowEnd, kMaxXlsRows)),
                                          std::min<int>(colEnd, kMaxXlsColumns));
                break;
            }
            case kNumber:
                requireLength(r, 14);
                out.number(d.u16(0), d.u16(2), d.u16(4), d.f64(6));
                break;
            case kRk:
                requireLength(r, 10);
                out.number(d.u16(0), d.u16(2), d.u16(4), decodeRk(d.u32(6)));
                break;
            case kMulRk: {
                requireLength(r, 6);
                const int row = d.u16(0), first = d.u16(2);
                const int n = int((r.length - 6) / 6);
                for (int i = 0; i < n; ++i)
                    out.number(row, first + i, d.u16(4 + 6 * i), decodeRk(d.u32(6 + 6 * i)));
                break;
            }
            case kLabelSst: {
                requireLength(r, 10);
                const quint32 i = d.u32(6);
                if (i >= quint64(g.strings->size()))
                    throwDamaged(QStringLiteral("índice de texto %1 fuera de la tabla (%2 textos)")
                                     .arg(i)
                                     .arg(g.strings->size()));
                out.sharedText(d.u16(0), d.u16(2), i);
                break;
            }
            case kLabel:
            case kRString:
                requireLength(r, 8); // an empty text may come without its option byte
                out.text(d.u16(0), d.u16(2), recordString(r, 6, true));
                break;
            case kBoolErr:
                requireLength(r, 8);
                if (d.u8(7))
                    out.error(d.u16(0), d.u16(2), d.u8(6));
                else
                    out.boolean(d.u16(0), d.u16(2), d.u8(6) != 0);
                break;
            case kBlank:
                requireLength(r, 6);
                out.blank(d.u16(0), d.u16(2));
                break;
            case kMulBlank: {
                requireLength(r, 6);
                const int row = d.u16(0), first = d.u16(2);
                const int n = int((r.length - 6) / 2);
                for (int i = 0; i < n; ++i)
                    out.blank(row, first + i);
                break;
            }
            case kFormula:
            case kFormula4: {
                requireLength(r, 14);
                const int row = d.u16(0), col = d.u16(2), xf = d.u16(4);
                pendingRow = -1;
                if (d.u16(12) != 0xFFFF) {
                    out.number(row, col, xf, d.f64(6));
                } else {
                    switch (d.u8(6)) {
                    case 0:
                        out.blank(row, col);
                        pendingRow = row;
                        pendingCol = col;
                        break;
                    case 1:
                        out.boolean(row, col, d.u8(8) != 0);
                        break;
                    case 2:
                        out.error(row, col, d.u8(8));
                        break;
                    default:
                        out.text(row, col, QString());
                        break;
                    }
                }
                break;
            }
            case kString: {
                if (pendingRow < 0) break;
                rs.continuationBytes(); // every continuation checked before the text is read
                rs.reload(r);
                SegmentReader sr(r.data, &rs);
                out.text(pendingRow, pendingCol, readUnicodeString(sr, true));
                rs.skipContinues();
                pendingRow = -1;
                break;
            }
            default:
                break;
            }
        }
    }
    throwDamaged(QStringLiteral("la hoja «%1» está incompleta (¿fichero truncado?)").arg(sheet.name()));
}

} // namespace

std::unique_ptr<Workbook> XlsReader::read(const QByteArray& workbookStream) {
    return read(MemorySource(workbookStream));
}

std::unique_ptr<Workbook> XlsReader::read(const ByteSource& stream) {
    return readStream(stream, false);
}

std::unique_ptr<Workbook> XlsReader::readStream(const ByteSource& stream, bool decrypted) {
    RecordStream rs(stream);
    Record r;
    if (!rs.next(r) || r.type != kBof || r.length < 4)
        throwDamaged(QStringLiteral("el libro no empieza por un registro BOF"));
    const quint16 version = r.data.u16(0);
    if (version != 0x0600)
        throw ReadFailure{
            Error::Kind::Unsupported,
            QStringLiteral("es un libro de una versión anterior a Excel 97; guárdelo como .xls actual "
                           "o .xlsx")};

    Globals g;
    struct SheetRef {
        QString name;
        quint32 offset;
        bool worksheet;
    };
    std::vector<SheetRef> refs;
    QHash<int, bool> formatIsDate;
    std::vector<int> xfFormat;
    int activeTab = 0;
    bool done = false;
    while (!done && rs.next(r)) {
        const ByteReader& d = r.data;
        switch (r.type) {
        case kEof:
            done = true;
            break;
        case kFilePass: {
            if (decrypted) break; // this stream's own, already used
            // Encrypted with the password Excel applies by itself: the stream is decrypted whole and
            // read again. Another password is refused.
            QByteArray clear(stream.size(), Qt::Uninitialized);
            stream.read(0, clear.size(), clear.data());
            Decryption::workbookStream(clear, r.offset - 4);
            return readStream(MemorySource(std::move(clear)), true);
        }
        case kDateMode:
            requireLength(r, 2);
            g.date1904 = d.u16(0) == 1;
            break;
        case kCodePage:
            // BIFF8 keeps its text in Unicode (8-bit strings are the low half of UTF-16), so the code
            // page does not change how strings decode here.
            break;
        case kWindow1:
            requireLength(r, 12);
            activeTab = d.u16(10);
            break;
        case kBoundSheet: {
            requireLength(r, 8);
            const quint8 kind = d.u8(5);
            refs.push_back({recordString(r, 6, false), d.u32(0), kind == 0});
            if (refs.size() > 10000) throwTooLarge(QStringLiteral("demasiadas hojas"));
            break;
        }
        case kFormat: {
            requireLength(r, 5);
            const int id = d.u16(0);
            formatIsDate.insert(id, NumberFormats::isDateCode(recordString(r, 2, true, true)));
            break;
        }
        case kXf:
            requireLength(r, 4);
            xfFormat.push_back(d.u16(2));
            if (xfFormat.size() > 100000) throwTooLarge(QStringLiteral("demasiados formatos de celda"));
            break;
        case kSst: {
            requireLength(r, 8);
            // The declared count is not always right: the strings are read as far as the table
            // goes. Every string takes at least 3 bytes, which bounds what a count can reserve.
            const quint32 unique = d.u32(4);
            const qint64 totalBytes = r.length - 8 + rs.continuationBytes();
            g.strings->reserve(g.strings->size() + qsizetype(std::min<qint64>(unique, totalBytes / 3 + 1)));
            rs.reload(r);
            SegmentReader sr(ByteReader(r.data.data() + 8, r.length - 8), &rs);
            for (quint32 i = 0; !sr.atEnd(); ++i) {
                if (i < unique) {
                    readIntoPool(sr, *g.strings);
                    continue;
                }
                try { // past the declared count, bytes that are not a whole string are padding
                    readIntoPool(sr, *g.strings);
                } catch (const ReadFailure&) {
                    break;
                }
            }
            rs.skipContinues();
            break;
        }
        default:
            break;
        }
    }
    if (!done) throwDamaged(QStringLiteral("el libro está incompleto (¿fichero truncado?)"));

    g.dateXf.reserve(xfFormat.size());
    for (int f : xfFormat) {
        auto it = formatIsDate.constFind(f);
        g.dateXf.push_back(it != formatIsDate.constEnd() ? *it : NumberFormats::isBuiltInDate(f));
    }

    auto wb = std::make_unique<Workbook>(Workbook::Format::Xls);
    int active = -1;
    for (int i = 0; i < int(refs.size()); ++i) {
        const SheetRef& ref = refs[size_t(i)];
        if (!ref.worksheet) continue;
        if (ref.offset >= stream.size())
            throwDamaged(QStringLiteral("la hoja «%1» apunta fuera del libro").arg(ref.name));
        Sheet& sheet = wb->addSheet(ref.name);
        sheet.setSharedStrings(g.strings);
        readSheet(stream, qint64(ref.offset), g, sheet);
        if (i == activeTab) active = wb->sheetCount() - 1;
    }
    if (wb->sheetCount() == 0) throwDamaged(QStringLiteral("el libro no tiene ninguna hoja de cálculo"));
    wb->setActiveSheetIndex(active >= 0 ? active : 0);
    return wb;
}

} // namespace qd::wb
