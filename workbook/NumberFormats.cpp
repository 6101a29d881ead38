#include "NumberFormats.h"

namespace qd::wb {

bool NumberFormats::isBuiltInDate(int id) {
    return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
           (id >= 50 && id <= 58) || (id >= 71 && id <= 81);
}

bool NumberFormats::isDateCode(const QString& code) {
    // Look at the first section only, outside quoted text, escaped characters and brackets;
    // elapsed-time brackets ([h], [mm], [ss]) do mark a time.
    bool inQuote = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (inQuote) {
            if (c == QLatin1Char('"')) inQuote = false;
            continue;
        }
        switch (c.unicode()) {
        case '"':
            inQuote = true;
            break;
        case '\\':
        case '_':
        case '*':
            ++i; // the next character is literal (or a fill/width character)
            break;
        case '[': {
            qsizetype close = code.indexOf(QLatin1Char(']'), i);
            if (close < 0) return false;
            QString inner = code.mid(i + 1, close - i - 1).toLower();
            if (!inner.isEmpty() && (inner.count(QLatin1Char('h')) == inner.size() ||
                                     inner.count(QLatin1Char('m')) == inner.size() ||
                                     inner.count(QLatin1Char('s')) == inner.size()))
                return true;
            i = close;
            break;
        }
        case ';':
            return false;
        default: {
            const char16_t l = c.toLower().unicode();
            if (l == 'd' || l == 'm' || l == 'y' || l == 'h' || l == 's') return true;
            // Spanish and other localized codes ("aaaa" for years) are stored in English codes by
            // the spreadsheet programs, so no more letters are needed.
        }
        }
    }
    return false;
}

QString NumberFormats::errorText(int code) {
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    case 0x2B:
        return QStringLiteral("#GETTING_DATA");
    default:
        return QString();
    }
}

} // namespace qd::wb
