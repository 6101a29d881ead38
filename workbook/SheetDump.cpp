#include "SheetDump.h"

#include "Sheet.h"

#include <charconv>

namespace qd::wb {

QString SheetDump::typeName(const Cell& cell) {
    switch (cell.type) {
    case CellType::Empty:
        return QStringLiteral("empty");
    case CellType::Number:
        return QStringLiteral("number");
    case CellType::Date:
        return QStringLiteral("date");
    case CellType::Text:
        return QStringLiteral("text");
    case CellType::Boolean:
        return QStringLiteral("boolean");
    case CellType::Error:
        return QStringLiteral("error");
    }
    return QString();
}

QString SheetDump::valueText(const Cell& cell) {
    switch (cell.type) {
    case CellType::Empty:
        return QString();
    case CellType::Number: {
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, cell.number);
        return QString::fromLatin1(buf, res.ptr - buf);
    }
    case CellType::Date: {
        const QDateTime dt = cell.date();
        if (!dt.isValid()) return QStringLiteral("?");
        const QTime t = dt.time();
        if (t.msecsSinceStartOfDay() == 0) return dt.date().toString(Qt::ISODate);
        return dt.toString(t.msec() ? QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")
                                    : QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    }
    case CellType::Boolean:
        return cell.boolean ? QStringLiteral("true") : QStringLiteral("false");
    case CellType::Text:
    case CellType::Error: {
        QString s;
        s.reserve(cell.text.size());
        for (const QChar c : cell.text) {
            switch (c.unicode()) {
            case '\\':
                s += QLatin1String("\\\\");
                break;
            case '\t':
                s += QLatin1String("\\t");
                break;
            case '\n':
                s += QLatin1String("\\n");
                break;
            case '\r':
                s += QLatin1String("\\r");
                break;
            default:
                s += c;
            }
        }
        return s;
    }
    }
    return QString();
}

namespace {
template <typename F> void eachLine(const Sheet& sheet, F&& line) {
    line(QStringLiteral("sheet\t%1\nlastRow\t%2\nlastColumn\t%3\n")
             .arg(sheet.name())
             .arg(sheet.lastRow())
             .arg(sheet.lastColumn()));
    sheet.forEachCell([&](int r, int c, const Cell& cell) {
        line(QStringLiteral("%1\t%2\t%3\t%4\n")
                 .arg(r)
                 .arg(c)
                 .arg(SheetDump::typeName(cell), SheetDump::valueText(cell)));
    });
}
} // namespace

QString SheetDump::dump(const Sheet& sheet) {
    QString out;
    eachLine(sheet, [&](const QString& line) { out += line; });
    return out;
}

void SheetDump::write(const Sheet& sheet, std::FILE* out) {
    eachLine(sheet, [&](const QString& line) {
        const QByteArray utf8 = line.toUtf8();
        std::fwrite(utf8.constData(), 1, size_t(utf8.size()), out);
    });
}

} // namespace qd::wb
