#include "XlsReader.h"

#include "ByteReader.h"
#include "NumberFormats.h"
#include "ReadFailure.h"
#include "Workbook.h"

#include <QHash>

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
    kFormat = 0x041E,
    kBof = 0x0809,
};

constexpr int kMaxXlsRows = 65536;
constexpr int kMaxXlsColumns = 256;
constexpr qsizetype kMaxRecordLength = 8224;

struct Record {
    quint16 type = 0;
    qsizetype offset = 0; // of the record's data
    qsizetype length = 0;
};

// Walks the records of a BIFF stream, checking each length against the stream.
class RecordStream {
public:
    explicit RecordStream(const QByteArray& s) : s_(s), b_(s) {}
    void seek(qsizetype pos) { pos_ = pos; }
    qsizetype pos() const { return pos_; }
    bool next(Record& r) {
        if (pos_ >= s_.size()) return false;
        if (!b_.inBounds(pos_, 4)) throwDamaged(QStringLiteral("registro truncado al final del libro"));
        r.type = b_.u16(pos_);
        r.length = b_.u16(pos_ + 2);
        r.offset = pos_ + 4;
        if (r.length > kMaxRecordLength)
            throwDamaged(QStringLiteral("registro 0x%1 de longitud %2 no válida")
                             .arg(r.type, 4, 16, QLatin1Char('0'))
                             .arg(r.length));
        if (!b_.inBounds(r.offset, r.length))
            throwDamaged(QStringLiteral("registro truncado (¿fichero truncado?)"));
        pos_ = r.offset + r.length;
        return true;
    }
    // The CONTINUE records that follow the current one.
    std::vector<Record> continues() {
        std::vector<Record> out;
        Record r;
        while (b_.inBounds(pos_, 4) && b_.u16(pos_) == kContinue) {
            next(r);
            out.push_back(r);
        }
        return out;
    }
    const ByteReader& bytes() const { return b_; }

private:
    const QByteArray& s_;
    ByteReader b_;
    qsizetype pos_ = 0;
};

// Reads across a record and its CONTINUE records, as the string tables need.
class SegmentReader {
public:
    SegmentReader(const ByteReader& b, std::vector<Record> segments) : b_(b), seg_(std::move(segments)) {}

    bool atEnd() const { return i_ >= seg_.size(); }
    quint8 u8() {
        need(1);
        return b_.u8(at());
    }
    quint16 u16() {
        // integers may not straddle records; treat it as damage
        need(2);
        const quint16 v = b_.u16(at());
        pos_ += 2;
        return v;
    }
    quint32 u32() {
        need(4);
        const quint32 v = b_.u32(at());
        pos_ += 4;
        return v;
    }
    quint8 byte() {
        const quint8 v = u8();
        ++pos_;
        return v;
    }
    void skip(qint64 n) {
        while (n > 0) {
            settle();
            if (atEnd()) throwDamaged(QStringLiteral("tabla de textos truncada"));
            const qint64 take = std::min<qint64>(n, seg_[i_].length - pos_);
            pos_ += take;
            n -= take;
        }
    }
    // Characters of an XLUnicodeRichExtendedString; a new record restarts with an option byte that
    // says whether the rest is 8-bit or 16-bit.
    QString chars(int count, bool high) {
        QString s(count, Qt::Uninitialized);
        QChar* out = s.data();
        int done = 0;
        while (done < count) {
            if (i_ < seg_.size() && pos_ >= seg_[i_].length) {
                ++i_;
                pos_ = 0;
                if (atEnd()) throwDamaged(QStringLiteral("tabla de textos truncada"));
                high = (b_.u8(at()) & 1) != 0;
                ++pos_;
            }
            if (atEnd()) throwDamaged(QStringLiteral("tabla de textos truncada"));
            const int width = high ? 2 : 1;
            const qint64 avail = (seg_[i_].length - pos_) / width;
            const int take = int(std::min<qint64>(count - done, avail));
            const qsizetype base = at();
            if (high) {
                for (int k = 0; k < take; ++k)
                    out[done + k] = QChar(b_.u16(base + 2 * k));
            } else {
                for (int k = 0; k < take; ++k)
                    out[done + k] = QChar(b_.u8(base + k));
            }
            done += take;
            pos_ += qsizetype(take) * width;
            if (done < count) pos_ = seg_[i_].length; // the rest is in the next record
        }
        return s;
    }

private:
    qsizetype at() const { return seg_[i_].offset + pos_; }
    void settle() {
        while (i_ < seg_.size() && pos_ >= seg_[i_].length) {
            ++i_;
            pos_ = 0;
        }
    }
    void need(qint64 n) {
        settle();
        if (atEnd() || seg_[i_].length - pos_ < n) throwDamaged(QStringLiteral("tabla de textos truncada"));
    }

    const ByteReader& b_;
    std::vector<Record> seg_;
    size_t i_ = 0;
    qsizetype pos_ = 0;
};

QString readUnicodeString(SegmentReader& r, bool longCount) {
    const int count = longCount ? r.u16() : r.byte();
    const quint8 flags = r.byte();
    int runs = 0;
    quint32 ext = 0;
    if (flags & 0x08) runs = r.u16();
    if (flags & 0x04) ext = r.u32();
    QString s = r.chars(count, flags & 0x01);
    r.skip(qint64(runs) * 4 + ext);
    return s;
}

// A string inside one record (no continuation): count, option byte, characters.
QString recordString(const ByteReader& b, const Record& rec, qsizetype at, bool longCount) {
    SegmentReader r(b, {Record{rec.type, rec.offset + at, rec.length - at}});
    if (at > rec.length) throwDamaged(QStringLiteral("registro de texto demasiado corto"));
    return readUnicodeString(r, longCount);
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
        Cell c;
        c.type = CellType::Number;
        c.number = v;
        if (xf >= 0 && xf < int(g_.dateXf.size()) && g_.dateXf[size_t(xf)]) {
            const double serial = g_.date1904 ? v + 1462 : v;
            if (serial >= 0 && serial < 2958466) {
                c.type = CellType::Date;
                c.number = serial;
            }
        }
        sheet_.setCell(row + 1, col + 1, std::move(c));
    }
    void text(int row, int col, QString s) {
        check(row, col);
        if (s.size() > Workbook::kMaxCellChars)
            throwTooLarge(QStringLiteral("un texto tiene más de %1 caracteres").arg(Workbook::kMaxCellChars));
        Cell c;
        c.type = CellType::Text;
        c.text = std::move(s);
        sheet_.setCell(row + 1, col + 1, std::move(c));
    }
    void sharedText(int row, int col, quint32 index) {
        check(row, col);
        if (g_.strings->view(index).size() > Workbook::kMaxCellChars)
            throwTooLarge(QStringLiteral("un texto tiene más de %1 caracteres").arg(Workbook::kMaxCellChars));
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

void readSheet(const QByteArray& stream, qsizetype offset, const Globals& g, Sheet& sheet) {
    RecordStream rs(stream);
    const ByteReader& b = rs.bytes();
    rs.seek(offset);
    Record r;
    if (!rs.next(r) || r.type != kBof)
        throwDamaged(QStringLiteral("la hoja «%1» no empieza donde indica el libro").arg(sheet.name()));
    SheetBuilder out(sheet, g);
    int nested = 0;
    int pendingRow = -1, pendingCol = -1; // a formula whose string result follows in a STRING record
    while (rs.next(r)) {
        const qsizetype o = r.offset;
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
                const quint32 rowEnd = b.u32(o + 4);
                const quint16 colEnd = b.u16(o + 10);
                if (rowEnd > 0 && colEnd > 0)
                    sheet.extendUsedRange(int(std::min<quint32>(rowEnd, kMaxXlsRows)),
                                          std::min<int>(colEnd, kMaxXlsColumns));
                break;
            }
            case kNumber:
                requireLength(r, 14);
                out.number(b.u16(o), b.u16(o + 2), b.u16(o + 4), b.f64(o + 6));
                break;
            case kRk:
                requireLength(r, 10);
                out.number(b.u16(o), b.u16(o + 2), b.u16(o + 4), decodeRk(b.u32(o + 6)));
                break;
            case kMulRk: {
                requireLength(r, 6);
                const int row = b.u16(o), first = b.u16(o + 2);
                const int n = int((r.length - 6) / 6);
                for (int i = 0; i < n; ++i)
                    out.number(row, first + i, b.u16(o + 4 + 6 * i), decodeRk(b.u32(o + 6 + 6 * i)));
                break;
            }
            case kLabelSst: {
                requireLength(r, 10);
                const quint32 i = b.u32(o + 6);
                if (i >= quint64(g.strings->size()))
                    throwDamaged(QStringLiteral("índice de texto %1 fuera de la tabla (%2 textos)")
                                     .arg(i)
                                     .arg(g.strings->size()));
                out.sharedText(b.u16(o), b.u16(o + 2), i);
                break;
            }
            case kLabel:
            case kRString:
                requireLength(r, 9);
                out.text(b.u16(o), b.u16(o + 2), recordString(b, r, 6, true));
                break;
            case kBoolErr:
                requireLength(r, 8);
                if (b.u8(o + 7))
                    out.error(b.u16(o), b.u16(o + 2), b.u8(o + 6));
                else
                    out.boolean(b.u16(o), b.u16(o + 2), b.u8(o + 6) != 0);
                break;
            case kBlank:
                requireLength(r, 6);
                out.blank(b.u16(o), b.u16(o + 2));
                break;
            case kMulBlank: {
                requireLength(r, 6);
                const int row = b.u16(o), first = b.u16(o + 2);
                const int n = int((r.length - 6) / 2);
                for (int i = 0; i < n; ++i)
                    out.blank(row, first + i);
                break;
            }
            case kFormula: {
                requireLength(r, 20);
                const int row = b.u16(o), col = b.u16(o + 2), xf = b.u16(o + 4);
                pendingRow = -1;
                if (b.u16(o + 12) != 0xFFFF) {
                    out.number(row, col, xf, b.f64(o + 6));
                } else {
                    switch (b.u8(o + 6)) {
                    case 0:
                        out.blank(row, col);
                        pendingRow = row;
                        pendingCol = col;
                        break;
                    case 1:
                        out.boolean(row, col, b.u8(o + 8) != 0);
                        break;
                    case 2:
                        out.error(row, col, b.u8(o + 8));
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
                SegmentReader sr(b, [&] {
                    std::vector<Record> segs{r};
                    for (const Record& c : rs.continues())
                        segs.push_back(c);
                    return segs;
                }());
                out.text(pendingRow, pendingCol, readUnicodeString(sr, true));
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

std::unique_ptr<Workbook> XlsReader::read(const QByteArray& stream) {
    RecordStream rs(stream);
    const ByteReader& b = rs.bytes();
    Record r;
    if (!rs.next(r) || r.type != kBof || r.length < 4)
        throwDamaged(QStringLiteral("el libro no empieza por un registro BOF"));
    const quint16 version = b.u16(r.offset);
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
        const qsizetype o = r.offset;
        switch (r.type) {
        case kEof:
            done = true;
            break;
        case kFilePass:
            throw ReadFailure{Error::Kind::Protected, QString()};
        case kDateMode:
            requireLength(r, 2);
            g.date1904 = b.u16(o) == 1;
            break;
        case kCodePage:
            // BIFF8 keeps its text in Unicode (8-bit strings are the low half of UTF-16), so the code
            // page does not change how strings decode here.
            break;
        case kWindow1:
            requireLength(r, 12);
            activeTab = b.u16(o + 10);
            break;
        case kBoundSheet: {
            requireLength(r, 8);
            const quint8 kind = b.u8(o + 5);
            refs.push_back({recordString(b, r, 6, false), b.u32(o), kind == 0});
            if (refs.size() > 10000) throwTooLarge(QStringLiteral("demasiadas hojas"));
            break;
        }
        case kFormat: {
            requireLength(r, 5);
            const int id = b.u16(o);
            formatIsDate.insert(id, NumberFormats::isDateCode(recordString(b, r, 2, true)));
            break;
        }
        case kXf:
            requireLength(r, 4);
            xfFormat.push_back(b.u16(o + 2));
            if (xfFormat.size() > 100000) throwTooLarge(QStringLiteral("demasiados formatos de celda"));
            break;
        case kSst: {
            requireLength(r, 8);
            const quint32 unique = b.u32(o + 4);
            std::vector<Record> segs{Record{r.type, o + 8, r.length - 8}};
            for (const Record& c : rs.continues())
                segs.push_back(c);
            qint64 totalBytes = 0;
            for (const Record& s : segs)
                totalBytes += s.length;
            // every string takes at least 3 bytes, so a count beyond that is a lie
            if (qint64(unique) > totalBytes / 3 + 1)
                throwDamaged(
                    QStringLiteral("la tabla de textos declara %1 textos que no contiene").arg(unique));
            g.strings->reserve(g.strings->size() + unique);
            SegmentReader sr(b, std::move(segs));
            for (quint32 i = 0; i < unique; ++i)
                g.strings->add(readUnicodeString(sr, true));
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
        if (ref.offset >= quint32(stream.size()))
            throwDamaged(QStringLiteral("la hoja «%1» apunta fuera del libro").arg(ref.name));
        Sheet& sheet = wb->addSheet(ref.name);
        sheet.setSharedStrings(g.strings);
        readSheet(stream, qsizetype(ref.offset), g, sheet);
        if (i == activeTab) active = wb->sheetCount() - 1;
    }
    if (wb->sheetCount() == 0) throwDamaged(QStringLiteral("el libro no tiene ninguna hoja de cálculo"));
    wb->setActiveSheetIndex(active >= 0 ? active : 0);
    return wb;
}

} // namespace qd::wb
