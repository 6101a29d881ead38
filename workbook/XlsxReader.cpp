#include "XlsxReader.h"

#include "NumberFormats.h"
#include "ReadFailure.h"
#include "Workbook.h"
#include "XmlInput.h"
#include "ZipArchive.h"

#include <QHash>

#include <vector>

namespace qd::wb {

namespace {

using namespace Qt::StringLiterals;

constexpr qint64 kMaxSharedStrings = 20000000;

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
    const QString base = dirOf(sourcePart);
    while (x.next()) {
        if (x.isStart() && x.name() == "Relationship"_L1) {
            const auto a = x.attributes();
            if (attributeValue(a, "TargetMode"_L1) == "External"_L1) continue;
            rels.insert(attributeValue(a, "Id"_L1).toString(),
                        {attributeValue(a, "Type"_L1).toString(),
                         resolvePart(base, attributeValue(a, "Target"_L1).toString())});
        }
    }
    return rels;
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

void checkLength(const QString& s) {
    if (s.size() > Workbook::kMaxCellChars)
        throwTooLarge(QStringLiteral("un texto tiene más de %1 caracteres").arg(Workbook::kMaxCellChars));
}

// The text of an <si> or <is> element: its <t> runs, without phonetic runs.
QString readRichText(XmlInput& x) {
    QString s;
    const int level = x.depth();
    while (x.next()) {
        if (x.isStart()) {
            if (x.name() == "t"_L1) {
                s += x.elementText();
                if (s.size() > Workbook::kMaxCellChars) checkLength(s);
            } else if (x.name() == "rPh"_L1 || x.name() == "phoneticPr"_L1) {
                x.skipElement();
            }
        } else if (x.isEnd() && x.depth() < level) {
            return decodeEscapes(s);
        }
    }
    x.fail(QStringLiteral("incompleta"));
}

std::vector<QString> readSharedStrings(const ZipArchive& zip, const QString& part) {
    std::vector<QString> strings;
    if (part.isEmpty() || !zip.contains(part)) return strings;
    XmlInput x(zip.read(part), part);
    while (x.next()) {
        if (x.isStart() && x.name() == "si"_L1) {
            if (qint64(strings.size()) >= kMaxSharedStrings)
                throwTooLarge(QStringLiteral("demasiados textos compartidos"));
            strings.push_back(readRichText(x));
        } else if (x.isStart() && x.name() == "sst"_L1) {
            bool ok = false;
            const qint64 n = attributeValue(x.attributes(), "uniqueCount"_L1).toLongLong(&ok);
            if (ok && n > 0 && n < kMaxSharedStrings) strings.reserve(size_t(n));
        }
    }
    return strings;
}

// For each cell format (index of cellXfs): does it show a date?
std::vector<bool> readDateStyles(const ZipArchive& zip, const QString& part) {
    std::vector<bool> isDate;
    if (part.isEmpty() || !zip.contains(part)) return isDate;
    XmlInput x(zip.read(part), part);
    QHash<int, bool> customDate;
    bool inCellXfs = false;
    while (x.next()) {
        if (x.isStart()) {
            if (x.name() == "numFmt"_L1) {
                const auto a = x.attributes();
                customDate.insert(attributeValue(a, "numFmtId"_L1).toInt(),
                                  NumberFormats::isDateCode(attributeValue(a, "formatCode"_L1).toString()));
            } else if (x.name() == "cellXfs"_L1) {
                inCellXfs = true;
            } else if (inCellXfs && x.name() == "xf"_L1) {
                const int id = attributeValue(x.attributes(), "numFmtId"_L1).toInt();
                auto it = customDate.constFind(id);
                isDate.push_back(it != customDate.constEnd() ? *it : NumberFormats::isBuiltInDate(id));
                if (isDate.size() > 1000000) throwTooLarge(QStringLiteral("demasiados formatos de celda"));
            }
        } else if (x.isEnd() && x.name() == "cellXfs"_L1) {
            inCellXfs = false;
        }
    }
    return isDate;
}

// "BC12" -> row 12, column 55. Returns false when the reference is not a cell reference in range.
bool parseCellRef(QStringView ref, int& row, int& column) {
    qsizetype i = 0;
    int c = 0, r = 0;
    while (i < ref.size() && ref[i] == u'$') ++i;
    const qsizetype letters = i;
    while (i < ref.size()) {
        const char16_t ch = ref[i].unicode();
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
    if (i < ref.size() && ref[i] == u'$') ++i;
    const qsizetype digits = i;
    while (i < ref.size() && ref[i] >= u'0' && ref[i] <= u'9') {
        r = r * 10 + (ref[i].unicode() - '0');
        if (r > Workbook::kMaxRows) return false;
        ++i;
    }
    if (i == digits || i != ref.size() || r < 1) return false;
    row = r;
    column = c;
    return true;
}

QString refName(int row, int column) {
    return columnLetters(column) + QString::number(row);
}

struct BookContext {
    const std::vector<QString>* strings;
    const std::vector<bool>* dateStyles;
    bool date1904 = false;
};

void readWorksheet(const ZipArchive& zip, const QString& part, const BookContext& book, Sheet& sheet) {
    XmlInput x(zip.read(part), part);
    int row = 0, column = 0;
    bool inSheetData = false;
    while (x.next()) {
        if (x.isEnd()) {
            if (x.name() == "sheetData"_L1) inSheetData = false;
            continue;
        }
        if (!x.isStart()) continue;
        const QStringView name = x.name();
        if (name == "c"_L1 && inSheetData) {
            const auto a = x.attributes();
            QStringView ref, type, style;
            for (const auto& at : a) {
                const QStringView n = at.name();
                if (n == "r"_L1)
                    ref = at.value();
                else if (n == "t"_L1)
                    type = at.value();
                else if (n == "s"_L1)
                    style = at.value();
            }
            int r = row, c = column + 1;
            if (!ref.isEmpty() && !parseCellRef(ref, r, c))
                x.fail(QStringLiteral("referencia de celda «%1» no válida").arg(ref.toString()));
            if (r < 1) r = row = 1;
            column = c;
            // Children: <v> value, <is> inline string, <f> formula (its cached value is in <v>).
            QString v;
            bool hasV = false, hasIs = false;
            const int level = x.depth();
            while (x.next()) {
                if (x.isStart()) {
                    if (x.name() == "v"_L1) {
                        v = x.elementText();
                        hasV = true;
                    } else if (x.name() == "is"_L1) {
                        v = readRichText(x);
                        hasIs = true;
                    } else {
                        x.skipElement();
                    }
                } else if (x.isEnd() && x.depth() < level) {
                    break;
                }
            }
            Cell cell;
            if (type == "inlineStr"_L1) {
                if (hasIs || hasV) {
                    cell.type = CellType::Text;
                    cell.text = hasIs ? v : decodeEscapes(v);
                }
            } else if (!hasV) {
                // no value: a formatted blank cell, it only counts for the used range
            } else if (type == "s"_L1) {
                bool ok = false;
                const qint64 i = QStringView(v).trimmed().toLongLong(&ok);
                if (!ok || i < 0 || i >= qint64(book.strings->size()))
                    x.fail(QStringLiteral("índice de texto compartido %1 fuera de rango en %2").arg(v, refName(r, c)));
                cell.type = CellType::Text;
                cell.text = (*book.strings)[size_t(i)];
            } else if (type == "str"_L1) {
                cell.type = CellType::Text;
                cell.text = decodeEscapes(v);
            } else if (type == "b"_L1) {
                cell.type = CellType::Boolean;
                cell.boolean = QStringView(v).trimmed() == u'1' || QStringView(v).trimmed() == "true"_L1;
            } else if (type == "e"_L1) {
                cell.type = CellType::Error;
                cell.text = v;
            } else if (type == "d"_L1) {
                QDateTime dt = QDateTime::fromString(v, Qt::ISODateWithMs);
                if (!dt.isValid()) dt = QDateTime(QDate::fromString(v, Qt::ISODate), QTime(0, 0));
                if (!dt.isValid()) x.fail(QStringLiteral("fecha «%1» no válida en %2").arg(v, refName(r, c)));
                cell.type = CellType::Date;
                cell.number = dateTimeToSerial(dt);
            } else {
                bool ok = false;
                const double d = QStringView(v).trimmed().toDouble(&ok);
                if (!ok) x.fail(QStringLiteral("número «%1» no válido en %2").arg(v, refName(r, c)));
                cell.type = CellType::Number;
                cell.number = d;
                if (!style.isEmpty()) {
                    const qint64 s = style.toLongLong();
                    if (s >= 0 && s < qint64(book.dateStyles->size()) && (*book.dateStyles)[size_t(s)]) {
                        const double serial = book.date1904 ? d + 1462 : d;
                        if (serial >= 0 && serial < 2958466) {
                            cell.type = CellType::Date;
                            cell.number = serial;
                        }
                    }
                }
            }
            if (cell.type == CellType::Text) checkLength(cell.text);
            sheet.setCell(r, c, std::move(cell));
        } else if (name == "row"_L1 && inSheetData) {
            const QStringView ref = attributeValue(x.attributes(), "r"_L1);
            if (ref.isEmpty()) {
                ++row;
            } else {
                bool ok = false;
                const int r = ref.toInt(&ok);
                if (!ok || r < 1 || r > Workbook::kMaxRows)
                    x.fail(QStringLiteral("número de fila «%1» no válido").arg(ref.toString()));
                row = r;
            }
            if (row > Workbook::kMaxRows) x.fail(QStringLiteral("demasiadas filas"));
            column = 0;
        } else if (name == "sheetData"_L1) {
            inSheetData = true;
        } else if (name == "dimension"_L1) {
            // "A1:O250" (or "A1" for a single cell). A dimension of just "A1" on an empty sheet is
            // not a used cell.
            const QString ref = attributeValue(x.attributes(), "ref"_L1).toString();
            const QString last = ref.section(u':', -1);
            int r = 0, c = 0;
            if (ref.contains(u':') && parseCellRef(last, r, c)) sheet.extendUsedRange(r, c);
        } else if (name == "mergeCells"_L1 || name == "conditionalFormatting"_L1 || name == "dataValidations"_L1 ||
                   name == "hyperlinks"_L1 || name == "extLst"_L1 || name == "sheetViews"_L1) {
            x.skipElement();
        }
    }
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
        while (x.next()) {
            if (!x.isStart()) continue;
            if (x.name() == "workbookPr"_L1) {
                const QStringView d = attributeValue(x.attributes(), "date1904"_L1);
                book.date1904 = d == "1"_L1 || d == "true"_L1;
            } else if (x.name() == "workbookView"_L1) {
                if (const QStringView t = attributeValue(x.attributes(), "activeTab"_L1); !t.isEmpty())
                    activeTab = t.toInt();
            } else if (x.name() == "sheet"_L1) {
                const auto a = x.attributes();
                const auto rel = rels.value(attributeValue(a, "id"_L1).toString());
                entries.push_back({attributeValue(a, "name"_L1).toString(), rel.target,
                                   rel.type.endsWith("/worksheet"_L1) && zip.contains(rel.target)});
                if (entries.size() > 10000) throwTooLarge(QStringLiteral("demasiadas hojas"));
            }
        }
    }

    const std::vector<QString> strings = readSharedStrings(zip, stringsPart);
    const std::vector<bool> dateStyles = readDateStyles(zip, stylesPart);
    book.strings = &strings;
    book.dateStyles = &dateStyles;

    auto wb = std::make_unique<Workbook>(Workbook::Format::Xlsx);
    int active = -1, firstWorksheet = -1;
    for (int i = 0; i < int(entries.size()); ++i) {
        if (!entries[size_t(i)].worksheet) continue; // chart and dialog sheets hold no cells
        Sheet& sheet = wb->addSheet(entries[size_t(i)].name);
        readWorksheet(zip, entries[size_t(i)].part, book, sheet);
        if (firstWorksheet < 0) firstWorksheet = wb->sheetCount() - 1;
        if (i == activeTab) active = wb->sheetCount() - 1;
    }
    if (wb->sheetCount() == 0) throwDamaged(QStringLiteral("el libro no tiene ninguna hoja de cálculo"));
    wb->setActiveSheetIndex(active >= 0 ? active : firstWorksheet);
    return wb;
}

} // namespace qd::wb
