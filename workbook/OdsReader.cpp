#include "OdsReader.h"

#include "ReadFailure.h"
#include "Workbook.h"
#include "XmlInput.h"
#include "XmlScanner.h"
#include "ZipArchive.h"

#include <QRegularExpression>

namespace qd::wb {

namespace {

using namespace Qt::StringLiterals;

// Cells made by repetition ("number-columns-repeated") are materialised only up to this many.
constexpr qint64 kMaxMaterialisedCells = 30000000;
// The program writes the rest of a sheet as one repeated run to its edge; such runs are not "used".
constexpr int kEdgeColumns = 1024;

struct PendingCell {
    int column;  // first column
    int repeat;  // columns
    Cell cell;   // Empty when the cell holds no value
    bool styled; // has its own cell style
};

// A repeat count ("number-columns-repeated", "number-rows-repeated"): a positive integer, at most
// limit. Gives 0 for anything else (text, zero, a sign, a number past the limit).
qint64 repeatCount(QStringView v, qint64 limit) {
    v = v.trimmed();
    if (v.startsWith(u'+')) v = v.sliced(1);
    if (v.isEmpty()) return 0;
    qint64 n = 0;
    for (const QChar c : v) {
        if (c < u'0' || c > u'9') return 0;
        n = n * 10 + (c.unicode() - '0');
        if (n > limit) return 0;
    }
    return n;
}

// White space in a paragraph's character data as the format reads it: a tab, line end or space
// counts as a space, a run of them as one, and at the start of the paragraph as none. Spaces, tabs
// and line breaks meant as such are written as elements. `afterSpace` carries across the pieces of
// one paragraph.
void appendCollapsed(QString& s, const QString& text, bool& afterSpace) {
    auto isWhite = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    bool plain = !(n > 0 && afterSpace && isWhite(p[0]));
    for (qsizetype i = 0; plain && i < n; ++i) {
        if (p[i] > u' ') continue; // nearly every character: one comparison
        if (p[i] == u' ' ? (i + 1 < n && isWhite(p[i + 1])) : isWhite(p[i])) plain = false;
    }
    if (plain) {
        s += text;
        if (n > 0) afterSpace = p[n - 1] == u' ';
        return;
    }
    s.reserve(s.size() + n);
    for (qsizetype i = 0; i < n; ++i) {
        if (isWhite(p[i])) {
            if (!afterSpace) s += u' ';
            afterSpace = true;
        } else {
            s += QChar(p[i]);
            afterSpace = false;
        }
    }
}

// An attribute's text as an XML reader gives it: references decoded, and each tab, line end or
// carriage return written as such a space (written as a reference, it stays).
QString attributeText(const XmlScanner& x, QByteArrayView raw) {
    if (std::none_of(raw.begin(), raw.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }))
        return x.decode(raw);
    QByteArray normal = raw.toByteArray();
    normal.replace("\r\n", " ");
    for (char& c : normal)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return x.decode(normal);
}

QString paragraphText(XmlScanner& x) {
    // Inside <text:p>: characters, <text:s c="n"/>, <text:tab/>, <text:line-break/>, spans and links;
    // annotations are not part of the value.
    QString s;
    bool afterSpace = true;
    const int level = x.depth();
    while (x.next() != XmlScanner::EndOfDocument) {
        if (x.token() == XmlScanner::Text) {
            appendCollapsed(s, x.text(), afterSpace);
        } else if (x.token() == XmlScanner::StartElement) {
            const QByteArrayView n = x.name();
            if (n == "s") {
                bool ok = false;
                int c = attributeText(x, x.rawAttribute("c")).toInt(&ok);
                if (!ok || c < 1) c = 1;
                if (c > Workbook::kMaxCellChars) c = Workbook::kMaxCellChars;
                s += QString(c, u' ');
                afterSpace = false;
            } else if (n == "tab") {
                s += u'\t';
                afterSpace = false;
            } else if (n == "line-break") {
                s += u'\n';
                afterSpace = false;
            } else if (n == "annotation" || n == "note") {
                x.skipElement();
            }
        } else if (x.token() == XmlScanner::EndElement && x.depth() < level) {
            return s;
        }
        if (s.size() > Workbook::kMaxCellChars)
            throwTooLarge(QStringLiteral("un texto tiene más de %1 caracteres").arg(Workbook::kMaxCellChars));
    }
    x.fail(QStringLiteral("incompleta"));
}

bool parseDuration(QStringView v, double& days) {
    static const QRegularExpression re(
        QStringLiteral("^(-)?P(?:(\\d+)D)?(?:T(?:(\\d+)H)?(?:(\\d+)M)?(?:(\\d+(?:\\.\\d*)?)S)?)?$"));
    const auto m = re.match(v);
    if (!m.hasMatch()) return false;
    const double secs = m.captured(2).toDouble() * 86400 + m.captured(3).toDouble() * 3600 +
                        m.captured(4).toDouble() * 60 + m.captured(5).toDouble();
    days = (m.capturedLength(1) ? -secs : secs) / 86400.0;
    return true;
}

class ContentReader {
public:
    ContentReader(XmlScanner& x, Workbook& wb) : x_(x), wb_(wb) {}

    void run() {
        while (x_.next() != XmlScanner::EndOfDocument) {
            if (x_.token() == XmlScanner::StartElement && x_.name() == "table") {
                Sheet& sheet = wb_.addSheet(attributeText(x_, x_.rawAttribute("name")));
                if (wb_.sheetCount() > 10000) throwTooLarge(QStringLiteral("demasiadas hojas"));
                readTable(sheet);
            }
        }
    }

private:
    void readTable(Sheet& sheet) {
        row_ = 1;
        const int level = x_.depth();
        while (x_.next() != XmlScanner::EndOfDocument) {
            if (x_.token() == XmlScanner::StartElement) {
                const QByteArrayView n = x_.name();
                if (n == "table-row") {
                    readRow(sheet);
                } else if (n == "table-header-rows" || n == "table-row-group" || n == "table-rows") {
                    // containers of rows: walk into them
                } else {
                    x_.skipElement(); // columns, shapes, forms, named ranges...
                }
            } else if (x_.token() == XmlScanner::EndElement && x_.depth() < level) {
                return;
            }
        }
    }

    // "C7": the cell at column of the row being read (or of row).
    QString cellName(int column, int row = 0) const {
        return columnLetters(column) + QString::number(row ? row : row_);
    }

    // The value given by the attributes of the current cell element.
    Cell readCellValue(const Sheet& sheet, int column, int& repeat, bool& styled, bool& hasTextValue,
                       QString& stringValue) {
        Cell cell;
        QByteArrayView type, calcType, value, dateValue, timeValue, boolValue;
        repeat = 1;
        styled = false;
        hasTextValue = false;
        x_.forEachAttribute([&](QByteArrayView qname, QByteArrayView raw) {
            const qsizetype colon = qname.indexOf(':');
            const QByteArrayView n = qname.sliced(colon + 1);
            if (n == "value-type") {
                if (qname.first(std::max<qsizetype>(colon, 0)) == "calcext")
                    calcType = raw;
                else
                    type = raw;
            } else if (n == "value") {
                value = raw;
            } else if (n == "date-value") {
                dateValue = raw;
            } else if (n == "time-value") {
                timeValue = raw;
            } else if (n == "boolean-value") {
                boolValue = raw;
            } else if (n == "string-value") {
                stringValue = attributeText(x_, raw);
                hasTextValue = true;
            } else if (n == "number-columns-repeated") {
                const QString count = attributeText(x_, raw);
                repeat = int(repeatCount(count, Workbook::kMaxColumns));
                if (repeat == 0)
                    throwDamaged(
                        QStringLiteral("la celda %1 de la hoja «%2» tiene un número de repeticiones no "
                                       "válido («%3»)")
                            .arg(cellName(column), sheet.name(), count));
            } else if (n == "style-name") {
                styled = raw != "Default";
            }
        });
        // values written with references are rare: decoded only then
        auto decoded = [&](QByteArrayView raw, QByteArray& keep) {
            if (!raw.contains('&')) return raw;
            keep = attributeText(x_, raw).toUtf8();
            return QByteArrayView(keep);
        };
        QByteArray keepType, keepCalc;
        type = decoded(type, keepType);
        calcType = decoded(calcType, keepCalc);
        if (calcType == "error") {
            cell.type = CellType::Error;
            return cell; // its text comes from the paragraph
        }
        if (type == "float" || type == "percentage" || type == "currency") {
            QByteArray keep;
            const QByteArrayView v = decoded(value, keep);
            if (!parseXmlDouble(v, cell.number))
                x_.fail(QStringLiteral("número «%1» no válido").arg(QString::fromUtf8(v)));
            cell.type = CellType::Number;
        } else if (type == "date") {
            const QString date = attributeText(x_, dateValue);
            QDateTime dt = QDateTime::fromString(date, Qt::ISODateWithMs);
            if (!dt.isValid()) dt = QDateTime(QDate::fromString(date, Qt::ISODate), QTime(0, 0));
            if (!dt.isValid()) x_.fail(QStringLiteral("fecha «%1» no válida").arg(date));
            cell.type = CellType::Date;
            cell.number = dateTimeToSerial(dt);
        } else if (type == "time") {
            const QString time = attributeText(x_, timeValue);
            double days = 0;
            if (!parseDuration(time, days)) x_.fail(QStringLiteral("hora «%1» no válida").arg(time));
            cell.type = CellType::Date;
            cell.number = days;
        } else if (type == "boolean") {
            QByteArray keep;
            const QByteArrayView v = decoded(boolValue, keep);
            cell.type = CellType::Boolean;
            cell.boolean = v == "true" || v == "1";
        } else if (type == "string") {
            cell.type = CellType::Text;
        }
        return cell;
    }

    void readRow(Sheet& sheet) {
        int rowRepeat = 1;
        if (const QByteArrayView raw = x_.rawAttribute("number-rows-repeated"); !raw.isNull()) {
            const QString count = attributeText(x_, raw);
            rowRepeat = int(repeatCount(count, Workbook::kMaxRows));
            if (rowRepeat == 0)
                throwDamaged(
                    QStringLiteral(
                        "la fila %1 de la hoja «%2» tiene un número de repeticiones no válido («%3»)")
                        .arg(row_)
                        .arg(sheet.name(), count));
        }
        std::vector<PendingCell> cells;
        int column = 1;
        const int level = x_.depth();
        while (x_.next() != XmlScanner::EndOfDocument) {
            if (x_.token() == XmlScanner::StartElement) {
                const QByteArrayView n = x_.name();
                if (n == "table-cell" || n == "covered-table-cell") {
                    int repeat = 1;
                    bool styled = false, hasTextValue = false;
                    QString stringValue;
                    Cell cell = readCellValue(sheet, column, repeat, styled, hasTextValue, stringValue);
                    // paragraphs: the text of string and error cells
                    QString text;
                    int paragraphs = 0;
                    const int cellLevel = x_.depth();
                    while (x_.next() != XmlScanner::EndOfDocument) {
                        if (x_.token() == XmlScanner::StartElement) {
                            if (x_.name() == "p") {
                                if (paragraphs++) text += u'\n';
                                text += paragraphText(x_);
                                if (text.size() > Workbook::kMaxCellChars)
                                    throwTooLarge(QStringLiteral("un texto tiene más de %1 caracteres")
                                                      .arg(Workbook::kMaxCellChars));
                            } else {
                                x_.skipElement();
                            }
                        } else if (x_.token() == XmlScanner::EndElement && x_.depth() < cellLevel) {
                            break;
                        }
                    }
                    if (cell.type == CellType::Text || cell.type == CellType::Error)
                        cell.text = hasTextValue && cell.type == CellType::Text ? stringValue : text;
                    // Programs close a row with one empty run to the edge of their own sheet, which
                    // may pass ours: an empty run is cut at the edge, a value past it is refused.
                    if (!cell.isEmpty() && qint64(column) + repeat - 1 > Workbook::kMaxColumns)
                        throwTooLarge(
                            QStringLiteral("la celda %1 de la hoja «%2» pasa de la columna %3")
                                .arg(cellName(column), sheet.name(), columnLetters(Workbook::kMaxColumns)));
                    if (column <= Workbook::kMaxColumns)
                        cells.push_back({column, repeat, std::move(cell), styled});
                    column =
                        int(std::min<qint64>(qint64(column) + repeat, qint64(Workbook::kMaxColumns) + 1));
                } else {
                    x_.skipElement();
                }
            } else if (x_.token() == XmlScanner::EndElement && x_.depth() < level) {
                break;
            }
        }

        const int firstRow = row_;
        const qint64 lastRow64 = qint64(row_) + rowRepeat - 1;
        row_ = int(std::min<qint64>(lastRow64 + 1, qint64(Workbook::kMaxRows) + 1));
        for (const PendingCell& p : cells) {
            const int lastColumn =
                int(std::min<qint64>(qint64(p.column) + p.repeat - 1, Workbook::kMaxColumns));
            if (p.cell.isEmpty()) {
                // A formatted empty area counts as used, unless it is the run that reaches the edge
                // of the sheet.
                if (p.styled && lastColumn < kEdgeColumns && lastRow64 < Workbook::kMaxRows &&
                    rowRepeat < 65536)
                    sheet.extendUsedRange(int(lastRow64), lastColumn);
                continue;
            }
            if (lastRow64 > Workbook::kMaxRows)
                throwTooLarge(QStringLiteral("la celda %1 de la hoja «%2» pasa de la fila %3")
                                  .arg(cellName(p.column, firstRow), sheet.name())
                                  .arg(Workbook::kMaxRows));
            materialised_ += qint64(lastColumn - p.column + 1) * rowRepeat;
            if (materialised_ > kMaxMaterialisedCells)
                throwTooLarge(QStringLiteral("demasiadas celdas repetidas"));
            for (int r = firstRow; r <= int(lastRow64); ++r)
                for (int c = p.column; c <= lastColumn; ++c)
                    sheet.setCell(r, c, p.cell);
        }
    }

    XmlScanner& x_;
    Workbook& wb_;
    int row_ = 1;
    qint64 materialised_ = 0;
};

QString activeTableName(const ZipArchive& zip) {
    if (!zip.contains(u"settings.xml"_s)) return QString();
    XmlInput x(zip.read(u"settings.xml"_s), u"settings.xml"_s);
    while (x.next()) {
        if (x.isStart() && x.name() == "config-item"_L1 &&
            attributeValue(x.attributes(), "name"_L1) == "ActiveTable"_L1)
            return x.elementText();
    }
    return QString();
}

} // namespace

std::unique_ptr<Workbook> OdsReader::read(const ZipArchive& zip) {
    if (zip.contains(u"META-INF/manifest.xml"_s) &&
        zip.read(u"META-INF/manifest.xml"_s).contains("encryption-data"))
        throw ReadFailure{Error::Kind::Protected, QString()};
    auto wb = std::make_unique<Workbook>(Workbook::Format::Ods);
    {
        // content.xml is parsed as it is inflated (on another core): a large sheet's XML is never
        // held whole
        const auto stream = zip.openStream(u"content.xml"_s, ZipArchive::Use::Streamed);
        stream->readAhead();
        try {
            XmlScanner x(*stream, u"content.xml"_s);
            ContentReader(x, *wb).run();
        } catch (const ReadFailure&) {
            stream->finish(); // damage of the entry itself is what to report
            throw;
        }
        stream->finish();
    }
    if (wb->sheetCount() == 0) throwDamaged(QStringLiteral("el libro no tiene ninguna hoja de cálculo"));
    const QString active = activeTableName(zip);
    for (int i = 0; i < wb->sheetCount(); ++i) {
        if (wb->sheet(i).name() == active) wb->setActiveSheetIndex(i);
    }
    return wb;
}

} // namespace qd::wb
