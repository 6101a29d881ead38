#include "XlsxReader.h"

#include "NumberFormats.h"
#include "ReadFailure.h"
#include "Workbook.h"
#include "XmlInput.h"
#include "XmlScanner.h"
#include "ZipArchive.h"

#include <QHash>
#include <QRegularExpression>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace qd::wb {

namespace {

using namespace Qt::StringLiterals;

constexpr qint64 kMaxSharedStrings = 20000000;

// The workbook's elements, in a transitional or a strict file; elements of other namespaces
// (extensions such as <x15:workbookPr>) are not the workbook's and are passed over.
constexpr const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kMainStrict = "http://purl.oclc.org/ooxml/spreadsheetml/main";
constexpr const char* kPackageRels = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr const char* kRels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr const char* kRelsStrict = "http://purl.oclc.org/ooxml/officeDocument/relationships";

void knowMainNamespaces(XmlInput& x) {
    x.setNamespaces({QLatin1StringView(kMain), QLatin1StringView(kMainStrict)});
}

struct Relationship {
    QString type;
    QString target; // resolved to a part name
};

// "../x.xml" relative to "xl/" -> "x.xml"; "/xl/a.xml" -> "xl/a.xml".
QString resolvePart(const QString& baseDir, const QString& target) {
    QString path = target.startsWith(u'/') ? target.mid(1) : baseDir + target;
    QStringList out;
    for (const QString& seg : path.split(u'/')) {
        if (seg.isEmpty() || seg == "."_L1) continue;
        if (seg == ".."_L1) {
            if (!out.isEmpty()) out.removeLast();
        } else {
            out << seg;
        }
    }
    return out.join(u'/');
}

QString dirOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relsPartOf(const QString& part) {
    return dirOf(part) + "_rels/"_L1 + part.mid(part.lastIndexOf(u'/') + 1) + ".rels"_L1;
}

QHash<QString, Relationship> readRelationships(const ZipArchive& zip, const QString& sourcePart) {
    QHash<QString, Relationship> rels;
    const QString relsPart = relsPartOf(sourcePart);
    if (!zip.contains(relsPart)) return rels;
    XmlInput x(zip.read(relsPart), relsPart);
    x.setNamespaces({QLatin1StringView(kPackageRels)});
    const QString base = dirOf(sourcePart);
    while (x.next()) {
        if (x.isStart() && x.is("Relationship"_L1)) {
            const auto a = x.attributes();
            if (attributeValue(a, "TargetMode"_L1) == "External"_L1) continue;
            rels.insert(attributeValue(a, "Id"_L1).toString(),
                        {attributeValue(a, "Type"_L1).toString(),
                         resolvePart(base, attributeValue(a, "Target"_L1).toString())});
        }
    }
    return rels;
}

// The r:id of an element: the id attribute of the relationships namespace (an id of no namespace,
// as some writers put it, where there is none).
QStringView relationshipId(const QXmlStreamAttributes& attributes) {
    QStringView plain;
    for (const auto& a : attributes) {
        if (a.name() != "id"_L1) continue;
        if (a.namespaceUri() == QLatin1StringView(kRels) ||
            a.namespaceUri() == QLatin1StringView(kRelsStrict))
            return a.value();
        if (plain.isNull()) plain = a.value();
    }
    return plain;
}

// Text in OOXML may carry characters XML cannot hold as "_xHHHH_".
QString decodeEscapes(QString s) {
    if (!s.contains("_x"_L1)) return s;
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == u'_' && i + 6 < s.size() && s.at(i + 1) == u'x' && s.at(i + 6) == u'_') {
            bool ok = false;
            const uint code = QStringView(s).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += s.at(i);
    }
    return out;
}

// The value of a t="d" cell as a day serial: an ISO 8601 date, date and time, or time of day
// ("2021-01-01", "2021-01-01T10:10:10", "10:59:59.9999999", with an optional zone that is passed
// over), or a duration ("PT0H11M0.000S"). Seconds keep every decimal written.
bool isoDateSerial(QStringView t, double& serial) {
    static const QRegularExpression dateTime(
        QStringLiteral("^(?:(-?\\d{4,})-(\\d{2})-(\\d{2}))?(?:T?(\\d{2}):(\\d{2})(?::(\\d{2}(?:\\.\\d*)?))?)?"
                       "(?:Z|[+-]\\d{2}(?::?\\d{2})?)?$"));
    static const QRegularExpression duration(
        QStringLiteral("^(-)?P(?:(\\d+)D)?(?:T(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+(?:\\.\\d*)?)S)?)?$"));
    if (t.isEmpty()) return false;
    if (const auto m = duration.match(t); m.hasMatch()) {
        const double secs = m.capturedView(2).toDouble() * 86400 + m.capturedView(3).toDouble() * 3600 +
                            m.capturedView(4).toDouble() * 60 + m.capturedView(5).toDouble();
        serial = (m.capturedLength(1) ? -secs : secs) / 86400.0;
        return true;
    }
    const auto m = dateTime.match(t);
    if (!m.hasMatch() || (!(m.capturedStart(1) >= 0) && !(m.capturedStart(4) >= 0))) return false;
    double day = 0;
    if ((m.capturedStart(1) >= 0)) {
        const QDate d(m.capturedView(1).toInt(), m.capturedView(2).toInt(), m.capturedView(3).toInt());
        if (!d.isValid()) return false;
        day = dateTimeToSerial(QDateTime(d, QTime(0, 0)));
    } else if (t.startsWith(u'T')) {
        return false;
    }
    double secs = 0;
    if ((m.capturedStart(4) >= 0)) {
        const int h = m.capturedView(4).toInt(), mi = m.capturedView(5).toInt();
        const double sec = (m.capturedStart(6) >= 0) ? m.capturedView(6).toDouble() : 0;
        if (h > 24 || mi > 59 || sec >= 61 || (h == 24 && (mi > 0 || sec > 0))) return false;
        secs = h * 3600.0 + mi * 60.0 + sec;
    }
    serial = day + secs / 86400.0;
    return true;
}

// The text of an <si> or <is> element: its <t> runs, without phonetic runs.
QString readRichText(XmlScanner& x) {
    QString s;
    const int level = x.depth();
    while (x.next() != XmlScanner::EndOfDocument) {
        if (x.token() == XmlScanner::StartElement) {
            if (x.is("t")) {
                s += x.elementText();
            } else if (x.is("rPh") || x.is("phoneticPr")) {
                x.skipElement();
            }
        } else if (x.token() == XmlScanner::EndElement && x.depth() < level) {
            return decodeEscapes(s);
        }
    }
    x.fail(QStringLiteral("incompleta"));
}

// The shared-string table, read on a second thread while the worksheets are read: a worksheet
// only needs to know whether an index is in range, and waits when the table has not got that far.
class SharedStrings {
public:
    std::shared_ptr<StringPool> pool = std::make_shared<StringPool>();

    // The number of strings read once there are more than `index` or the table is complete.
    qint64 countPast(qint64 index) {
        qint64 n = count_.load(std::memory_order_acquire);
        if (n > index) return n;
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return done_ || count_.load(std::memory_order_acquire) > index; });
        return count_.load(std::memory_order_acquire);
    }

    void read(ZipArchive::EntryStream& stream, const QString& part) {
        try {
            try {
                XmlScanner x(stream, part);
                x.setNamespaces({kMain, kMainStrict});
                parse(x);
            } catch (const ReadFailure&) {
                stream.finish(); // damage of the entry itself is what to report
                throw;
            }
            stream.finish();
        } catch (...) {
            failure_ = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        done_ = true;
        changed_.notify_all();
    }

    void start(std::unique_ptr<ZipArchive::EntryStream> stream, const QString& part) {
        stream_ = std::move(stream);
        try {
            thread_ = std::thread([this, part] { read(*stream_, part); });
        } catch (const std::system_error&) {
            read(*stream_, part); // no second thread to be had: read it here, first
        }
    }

    void markComplete() { done_ = true; }

    // Waits for the reading thread; throws what it failed with.
    void settle() {
        if (thread_.joinable()) thread_.join();
        if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
    }

    ~SharedStrings() {
        if (thread_.joinable()) thread_.join();
    }

private:
    void parse(XmlScanner& x) {
        qint64 n = 0;
        while (x.next() != XmlScanner::EndOfDocument) {
            if (x.token() != XmlScanner::StartElement) continue;
            if (x.is("si")) {
                if (n >= kMaxSharedStrings) throwTooLarge(QStringLiteral("demasiados textos compartidos"));
                pool->add(readRichText(x));
                count_.store(++n, std::memory_order_release);
                if ((n & 1023) == 0) {
                    std::lock_guard lock(mutex_);
                    changed_.notify_all();
                }
            } else if (x.is("sst")) {
                qint64 u = 0;
                if (parseXmlInt(x.rawAttribute("uniqueCount"), u) && u > 0 && u < kMaxSharedStrings)
                    pool->reserve(u);
            }
        }
    }

    std::atomic<qint64> count_{0};
    bool done_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::exception_ptr failure_;
    std::unique_ptr<ZipArchive::EntryStream> stream_;
    std::thread thread_;
};

// For each cell format (index of cellXfs): does it show a date?
std::vector<bool> readDateStyles(const ZipArchive& zip, const QString& part) {
    std::vector<bool> isDate;
    if (part.isEmpty() || !zip.contains(part)) return isDate;
    XmlInput x(zip.read(part), part);
    knowMainNamespaces(x);
    QHash<int, bool> customDate;
    bool inCellXfs = false;
    while (x.next()) {
        if (x.isStart()) {
            if (x.is("numFmt"_L1)) {
                const auto a = x.attributes();
                customDate.insert(attributeValue(a, "numFmtId"_L1).toInt(),
                                  NumberFormats::isDateCode(attributeValue(a, "formatCode"_L1).toString()));
            } else if (x.is("cellXfs"_L1)) {
                inCellXfs = true;
            } else if (inCellXfs && x.is("xf"_L1)) {
                const int id = attributeValue(x.attributes(), "numFmtId"_L1).toInt();
                auto it = customDate.constFind(id);
                isDate.push_back(it != customDate.constEnd() ? *it : NumberFormats::isBuiltInDate(id));
                if (isDate.size() > 1000000) throwTooLarge(QStringLiteral("demasiados formatos de celda"));
            }
        } else if (x.isEnd() && x.is("cellXfs"_L1)) {
            inCellXfs = false;
        }
    }
    return isDate;
}

// "BC12" -> row 12, column 55. Returns false when the reference is not a cell reference in range.
template <typename View> bool parseCellRef(View ref, int& row, int& column) {
    qsizetype i = 0;
    int c = 0, r = 0;
    const qsizetype n = ref.size();
    auto at = [&](qsizetype k) -> char16_t {
        if constexpr (std::is_same_v<View, QStringView>)
            return ref[k].unicode();
        else
            return char16_t(static_cast<unsigned char>(ref[k]));
    };
    while (i < n && at(i) == u'$')
        ++i;
    const qsizetype letters = i;
    while (i < n) {
        const char16_t ch = at(i);
        int v;
        if (ch >= 'A' && ch <= 'Z')
            v = ch - 'A' + 1;
        else if (ch >= 'a' && ch <= 'z')
            v = ch - 'a' + 1;
        else
            break;
        c = c * 26 + v;
        if (c > Workbook::kMaxColumns) return false;
        ++i;
    }
    if (i == letters) return false;
    if (i < n && at(i) == u'$') ++i;
    const qsizetype digits = i;
    while (i < n && at(i) >= u'0' && at(i) <= u'9') {
        r = r * 10 + (at(i) - '0');
        if (r > Workbook::kMaxRows) return false;
        ++i;
    }
    if (i == digits || i != n || r < 1) return false;
    row = r;
    column = c;
    return true;
}

QString refName(int row, int column) {
    return columnLetters(column) + QString::number(row);
}

struct BookContext {
    SharedStrings* strings;
    const std::vector<bool>* dateStyles;
    bool date1904 = false;
};

void parseWorksheet(XmlScanner& x, const BookContext& book, Sheet& sheet) {
    int row = 0, column = 0;
    bool inSheetData = false;
    while (x.next() != XmlScanner::EndOfDocument) {
        if (x.token() == XmlScanner::EndElement) {
            if (x.is("sheetData")) inSheetData = false;
            continue;
        }
        if (x.token() != XmlScanner::StartElement) continue;
        if (x.ns() < 0) continue; // extensions: not the worksheet's own elements
        const QByteArrayView name = x.name();
        if (name == "c" && inSheetData) {
            x.keepViewsUntilEnd(); // the attributes are used once the children are read
            static const QByteArrayView names[] = {"r", "t", "s"};
            QByteArrayView attrs[3];
            x.rawAttributes(names, attrs);
            const QByteArrayView ref = attrs[0], type = attrs[1], style = attrs[2];
            int r = row, c = column + 1;
            if (!ref.isNull() && !parseCellRef(ref, r, c))
                x.fail(QStringLiteral("referencia de celda «%1» no válida").arg(QString::fromUtf8(ref)));
            if (r < 1) r = row = 1;
            if (c > Workbook::kMaxColumns) x.fail(QStringLiteral("demasiadas columnas"));
            column = c;
            // Children: <v> value, <is> inline string, <f> formula (its cached value is in <v>).
            QByteArrayView rawV;
            QString v;
            bool hasV = false, hasIs = false, vDecoded = false;
            const int level = x.depth();
            while (x.next() != XmlScanner::EndOfDocument) {
                if (x.token() == XmlScanner::StartElement) {
                    if (x.is("v")) {
                        hasV = true;
                        // the usual case: one text token without references
                        if (x.next() == XmlScanner::Text && !x.textHasReferences()) {
                            rawV = x.rawText();
                            if (x.next() != XmlScanner::EndElement) {
                                // one after the other: the scanner moves on as the rest is read
                                v = XmlScanner::plainText(rawV);
                                if (x.token() == XmlScanner::Text) v += x.text();
                                v += x.elementText();
                                vDecoded = true;
                            }
                        } else if (x.token() == XmlScanner::EndElement) {
                            rawV = QByteArrayView("", 0);
                        } else {
                            if (x.token() == XmlScanner::Text) v = x.text();
                            v += x.elementText();
                            vDecoded = true;
                        }
                    } else if (x.is("is")) {
                        v = readRichText(x);
                        hasIs = true;
                        vDecoded = true;
                    } else {
                        x.skipElement();
                    }
                } else if (x.token() == XmlScanner::EndElement && x.depth() < level) {
                    break;
                }
            }
            if (vDecoded) rawV = QByteArrayView();
            auto valueText = [&] { return vDecoded ? v : XmlScanner::plainText(rawV); };
            Cell cell;
            if (type == "inlineStr") {
                if (hasIs || hasV) {
                    cell.type = CellType::Text;
                    cell.text = hasIs ? v : decodeEscapes(valueText());
                }
            } else if (!hasV ||
                       (!vDecoded && rawV.isEmpty() && (type.isEmpty() || type == "n" || type == "s"))) {
                // no value (also an empty <v/> in a shared-string cell): a formatted blank cell, it
                // only counts for the used range
            } else if (type == "s") {
                qint64 i = -1;
                const bool ok = vDecoded ? (i = v.trimmed().toLongLong(), true) : parseXmlInt(rawV, i);
                if (!ok || i < 0 || i >= book.strings->countPast(i))
                    x.fail(QStringLiteral("índice de texto compartido %1 fuera de rango en %2")
                               .arg(valueText(), refName(r, c)));
                sheet.setSharedText(r, c, quint32(i));
                continue;
            } else if (type == "str") {
                cell.type = CellType::Text;
                cell.text = decodeEscapes(valueText());
            } else if (type == "b") {
                const QString t = valueText().trimmed();
                cell.type = CellType::Boolean;
                cell.boolean = t == u'1' || t == "true"_L1;
            } else if (type == "e") {
                cell.type = CellType::Error;
                cell.text = valueText();
            } else if (type == "d") {
                const QString t = valueText().trimmed();
                double serial = 0;
                if (!isoDateSerial(t, serial))
                    x.fail(QStringLiteral("fecha «%1» no válida en %2").arg(t, refName(r, c)));
                cell.type = CellType::Date;
                cell.number = serial;
            } else {
                double d = 0;
                const QByteArray decoded = vDecoded ? v.toUtf8() : QByteArray();
                if (!parseXmlDouble(vDecoded ? QByteArrayView(decoded) : rawV, d))
                    x.fail(QStringLiteral("número «%1» no válido en %2").arg(valueText(), refName(r, c)));
                cell.type = CellType::Number;
                cell.number = d;
                qint64 s = -1;
                if (!style.isEmpty() && parseXmlInt(style, s) && s >= 0 &&
                    s < qint64(book.dateStyles->size()) && (*book.dateStyles)[size_t(s)]) {
                    const double serial = book.date1904 ? d + 1462 : d;
                    if (serial >= 0 && serial < 2958466) {
                        cell.type = CellType::Date;
                        cell.number = serial;
                    }
                }
            }
            sheet.setCell(r, c, cell);
        } else if (name == "row" && inSheetData) {
            const QByteArrayView ref = x.rawAttribute("r");
            if (ref.isNull()) {
                ++row;
            } else {
                qint64 r = 0;
                if (!parseXmlInt(ref, r) || r < 1 || r > Workbook::kMaxRows)
                    x.fail(QStringLiteral("número de fila «%1» no válido").arg(QString::fromUtf8(ref)));
                row = int(r);
            }
            if (row > Workbook::kMaxRows) x.fail(QStringLiteral("demasiadas filas"));
            column = 0;
        } else if (name == "sheetData") {
            inSheetData = true;
        } else if (name == "dimension") {
            // "A1:O250" (or "A1" for a single cell). A dimension of just "A1" on an empty sheet is
            // not a used cell.
            const QString ref = x.attribute("ref");
            const QString last = ref.section(u':', -1);
            int r = 0, c = 0;
            if (ref.contains(u':') && parseCellRef(QStringView(last), r, c)) sheet.extendUsedRange(r, c);
        } else if (name == "mergeCells" || name == "conditionalFormatting" || name == "dataValidations" ||
                   name == "hyperlinks" || name == "extLst" || name == "sheetViews") {
            x.skipElement();
        }
    }
}

void readWorksheet(const ZipArchive& zip, const QString& part, const BookContext& book, Sheet& sheet) {
    const std::unique_ptr<ZipArchive::EntryStream> stream = zip.openStream(part, ZipArchive::Use::Streamed);
    stream->readAhead(); // inflated on another core while this one parses
    try {
        XmlScanner x(*stream, part);
        x.setNamespaces({kMain, kMainStrict});
        parseWorksheet(x, book, sheet);
    } catch (const ReadFailure&) {
        stream->finish(); // damage of the entry itself is what to report
        throw;
    }
    stream->finish();
}

} // namespace

std::unique_ptr<Workbook> XlsxReader::read(const ZipArchive& zip) {
    // The workbook part is named by the package relationships (normally xl/workbook.xml).
    QString bookPart;
    for (const Relationship& r : readRelationships(zip, QString())) {
        if (r.type.endsWith("/officeDocument"_L1)) bookPart = r.target;
    }
    if (bookPart.isEmpty()) bookPart = "xl/workbook.xml"_L1;
    if (!zip.contains(bookPart)) throwDamaged(QStringLiteral("falta la parte «%1»").arg(bookPart));

    const auto rels = readRelationships(zip, bookPart);
    QString stringsPart, stylesPart;
    for (const Relationship& r : rels) {
        if (r.type.endsWith("/sharedStrings"_L1)) stringsPart = r.target;
        if (r.type.endsWith("/styles"_L1)) stylesPart = r.target;
    }

    struct SheetEntry {
        QString name;
        QString part;
        bool worksheet;
    };
    std::vector<SheetEntry> entries;
    int activeTab = 0;
    BookContext book;
    {
        XmlInput x(zip.read(bookPart), bookPart);
        knowMainNamespaces(x);
        while (x.next()) {
            if (!x.isStart()) continue;
            if (x.is("workbookPr"_L1)) {
                const QStringView d = attributeValue(x.attributes(), "date1904"_L1);
                book.date1904 = d == "1"_L1 || d == "true"_L1;
            } else if (x.is("workbookView"_L1)) {
                if (const QStringView t = attributeValue(x.attributes(), "activeTab"_L1); !t.isEmpty())
                    activeTab = t.toInt();
            } else if (x.is("sheet"_L1)) {
                const auto a = x.attributes();
                const auto rel = rels.value(relationshipId(a).toString());
                entries.push_back({attributeValue(a, "name"_L1).toString(), rel.target,
                                   rel.type.endsWith("/worksheet"_L1) && zip.contains(rel.target)});
                if (entries.size() > 10000) throwTooLarge(QStringLiteral("demasiadas hojas"));
            }
        }
    }

    // The shared strings come first: a fault there is reported before any in the other parts. Their
    // texts are all held, so the table keeps the cap of a part held whole; a worksheet is not held
    // and may be larger.
    SharedStrings strings;
    if (!stringsPart.isEmpty() && zip.contains(stringsPart))
        strings.start(zip.openStream(stringsPart), stringsPart);
    else
        strings.markComplete();
    book.strings = &strings;

    auto wb = std::make_unique<Workbook>(Workbook::Format::Xlsx);
    int active = -1, firstWorksheet = -1;
    std::vector<Sheet*> sheets;
    try {
        const std::vector<bool> dateStyles = readDateStyles(zip, stylesPart);
        book.dateStyles = &dateStyles;
        for (int i = 0; i < int(entries.size()); ++i) {
            if (!entries[size_t(i)].worksheet) continue; // chart and dialog sheets hold no cells
            Sheet& sheet = wb->addSheet(entries[size_t(i)].name);
            sheets.push_back(&sheet);
            readWorksheet(zip, entries[size_t(i)].part, book, sheet);
            if (firstWorksheet < 0) firstWorksheet = wb->sheetCount() - 1;
            if (i == activeTab) active = wb->sheetCount() - 1;
        }
    } catch (...) {
        strings.settle();
        throw;
    }
    strings.settle();
    for (Sheet* sheet : sheets)
        sheet->setSharedStrings(strings.pool);
    if (wb->sheetCount() == 0) throwDamaged(QStringLiteral("el libro no tiene ninguna hoja de cálculo"));
    wb->setActiveSheetIndex(active >= 0 ? active : firstWorksheet);
    return wb;
}

} // namespace qd::wb
