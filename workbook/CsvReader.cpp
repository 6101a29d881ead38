#include "CsvReader.h"

#include "ReadFailure.h"
#include "Workbook.h"

#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <vector>

namespace qd::wb {

namespace {

// Windows-1252 differs from Latin-1 in 0x80-0x9F.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QChar cp1252(unsigned char c) {
    return (c >= 0x80 && c < 0xA0) ? QChar(kCp1252High[c - 0x80]) : QChar(c);
}

// Length of the well-formed UTF-8 sequence of two to four bytes at p, or 0 when there is none
// (overlong forms, surrogates and code points past U+10FFFF are not well formed).
int multiByteLength(const unsigned char* p, qsizetype left) {
    const unsigned char c = p[0];
    auto cont = [&](int i) { return i < left && (p[i] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2)) return 0;
        if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] > 0x9F)) return 0;
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) return 0;
        if ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] > 0x8F)) return 0;
        return 4;
    }
    return 0;
}

struct DecodedText {
    QString text;
    // Positions in text of the bytes that were not UTF-8 in a file read as UTF-8, in order.
    std::vector<qsizetype> foreign;
};

// UTF-8 when the file is UTF-8, and also when it is mostly UTF-8: a file with a byte-order mark, or
// one with at least two well-formed multi-byte sequences for each byte that is not UTF-8 (text in
// Windows-1252 almost never forms a well-formed sequence by chance, so its accented letters are
// nearly all invalid). Such stray bytes are read as Windows-1252, one character each, and their
// positions kept so that the rows can be reported. Anything else is Windows-1252 throughout.
DecodedText decode(const QByteArray& data) {
    QByteArrayView bytes(data);
    // UTF-16 (as spreadsheet programs save "Unicode text") says so with its byte-order mark.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.front() == '\xFF';
        const qsizetype n = (bytes.size() - 2) / 2;
        DecodedText out;
        out.text.resize(n);
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 2;
        for (qsizetype i = 0; i < n; ++i)
            out.text[i] = QChar(little ? char16_t(p[2 * i] | p[2 * i + 1] << 8)
                                       : char16_t(p[2 * i] << 8 | p[2 * i + 1]));
        return out;
    }
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    if (bom) bytes = bytes.sliced(3);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype multiByte = 0, invalid = 0;
    for (qsizetype i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
        } else if (const int len = multiByteLength(p + i, n - i)) {
            ++multiByte;
            i += len;
        } else {
            ++invalid;
            ++i;
        }
    }
    DecodedText out;
    if (invalid == 0) {
        out.text = QString::fromUtf8(bytes);
        return out;
    }
    if (!bom && multiByte < 2 * invalid) {
        out.text.resize(n);
        for (qsizetype i = 0; i < n; ++i)
            out.text[i] = cp1252(p[i]);
        return out;
    }
    out.text.reserve(n);
    out.foreign.reserve(size_t(invalid));
    qsizetype run = 0; // start of the well-formed bytes not yet decoded
    for (qsizetype i = 0; i < n;) {
        if (p[i] < 0x80) {
            ++i;
        } else if (const int len = multiByteLength(p + i, n - i)) {
            i += len;
        } else {
            out.text += QString::fromUtf8(bytes.sliced(run, i - run));
            out.foreign.push_back(out.text.size());
            out.text += cp1252(p[i]);
            run = ++i;
        }
    }
    out.text += QString::fromUtf8(bytes.sliced(run));
    return out;
}

QChar detectSeparator(const QString& text) {
    int semi = 0, comma = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted && c == u';')
            ++semi;
        else if (!quoted && c == u',')
            ++comma;
    }
    return semi >= comma && semi > 0 ? u';' : (comma > 0 ? u',' : u';');
}

// The field read as a number whose decimal separator is `decimal` and thousands separator
// `thousands`; nothing when it is not one in that form. `digits` is scratch space.
std::optional<double> readNumber(QStringView field, char16_t decimal, char16_t thousands,
                                 std::string& digits) {
    const qsizetype n = field.size();
    qsizetype i = 0;
    digits.clear();
    if (i < n && (field[i] == u'-' || field[i] == u'+')) {
        if (field[i] == u'-') digits += '-';
        ++i;
    }
    auto digitAt = [&](qsizetype k) {
        return k < n && field[k].unicode() >= u'0' && field[k].unicode() <= u'9';
    };
    const qsizetype intStart = i;
    qsizetype group = 0; // digits since the start or the last thousands separator
    bool grouped = false;
    for (; i < n; ++i) {
        if (digitAt(i)) {
            digits += char(field[i].unicode());
            ++group;
        } else if (field[i] == thousands) {
            // the first group has one to three digits and does not begin with 0; the others three
            if (grouped ? group != 3 : (group < 1 || group > 3 || field[intStart] == u'0')) return {};
            grouped = true;
            group = 0;
        } else {
            break;
        }
    }
    if (group == 0 || (grouped && group != 3) || (!grouped && group > 1 && field[intStart] == u'0'))
        return {};
    if (i < n && field[i] == decimal) {
        digits += '.';
        const qsizetype fractionStart = ++i;
        for (; digitAt(i); ++i)
            digits += char(field[i].unicode());
        if (i == fractionStart) return {};
    }
    if (i != n) return {};
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) return {};
    return value;
}

// A field read in both forms a file can use for its numbers.
struct NumberReading {
    std::optional<double> comma; // decimal comma, thousands point
    std::optional<double> point; // decimal point, thousands comma

    // Read one way only: evidence of the file's form.
    bool decides() const { return comma.has_value() != point.has_value(); }
    // Read both ways, to different values ("1.234", "1,500").
    bool ambiguous() const { return comma && point && *comma != *point; }
};

NumberReading readNumbers(QStringView field, std::string& digits) {
    // Most fields are texts, told at their first character, or plain numbers, read once.
    bool separator = false;
    for (const QChar ch : field) {
        const char16_t c = ch.unicode();
        if (c == u'.' || c == u',')
            separator = true;
        else if ((c < u'0' || c > u'9') && c != u'-' && c != u'+')
            return {};
    }
    NumberReading r;
    r.comma = readNumber(field, u',', u'.', digits);
    r.point = separator ? readNumber(field, u'.', u',', digits) : r.comma;
    return r;
}

// A value the whole file decides, kept until it is known whether the file settled it.
struct Doubt {
    int row;
    int column;
    QString text;
    std::optional<double> value; // as read in the file's form; nothing when kept as text
};

struct Pass {
    std::unique_ptr<Workbook> workbook;
    Sheet* sheet = nullptr;
    qsizetype commaVotes = 0;  // numbers read only with a decimal comma
    qsizetype pointVotes = 0;  // numbers read only with a decimal point
    std::vector<Doubt> doubts; // the first Sheet::kMaxCellNotes
    qsizetype doubtCount = 0;
};

// One pass over the text, reading numbers with a decimal comma or a decimal point.
Pass readText(const DecodedText& decoded, QChar sep, bool decimalComma, const QString& name) {
    const QString& text = decoded.text;
    Pass pass;
    pass.workbook = std::make_unique<Workbook>(Workbook::Format::Csv);
    QString sheetName = QFileInfo(name).completeBaseName();
    Sheet& sheet = pass.workbook->addSheet(sheetName.isEmpty() ? QStringLiteral("Hoja1") : sheetName);
    pass.sheet = &sheet;

    int row = 1, column = 1;
    QString field;
    std::string digits;
    bool quotedField = false;
    auto doubt = [&](std::optional<double> value) {
        if (pass.doubtCount++ < Sheet::kMaxCellNotes) pass.doubts.push_back({row, column, field, value});
    };
    auto flush = [&] {
        if (column > Workbook::kMaxColumns)
            throwTooLarge(
                QStringLiteral("la fila %1 tiene más de %2 columnas").arg(row).arg(Workbook::kMaxColumns));
        if (field.size() > Workbook::kMaxCellChars)
            throwTooLarge(QStringLiteral("un texto tiene más de %1 caracteres").arg(Workbook::kMaxCellChars));
        if (!field.isEmpty()) {
            const NumberReading r = quotedField ? NumberReading{} : readNumbers(field, digits);
            const std::optional<double> value = decimalComma ? r.comma : r.point;
            if (r.decides()) ++(r.comma ? pass.commaVotes : pass.pointVotes);
            if (r.ambiguous() || (r.decides() && !value)) doubt(value);
            if (value)
                sheet.setNumber(row, column, *value);
            else
                sheet.setText(row, column, field);
        }
        field.clear();
        quotedField = false;
        ++column;
    };
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool lineHasContent = false;
    std::vector<qsizetype> rowStarts; // where rows 2, 3, ... begin in text, when some row is damaged
    while (i < n) {
        const QChar c = text[i];
        if (c == u'"' && field.isEmpty() && !quotedField) {
            // quoted field: up to the closing quote, "" is a quote
            quotedField = true;
            ++i;
            for (;;) {
                if (i >= n) throwDamaged(QStringLiteral("comillas sin cerrar en la fila %1").arg(row));
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        field += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
                if (field.size() > Workbook::kMaxCellChars)
                    throwTooLarge(
                        QStringLiteral("un texto tiene más de %1 caracteres").arg(Workbook::kMaxCellChars));
            }
            lineHasContent = true;
            continue;
        }
        if (c == sep) {
            flush();
            lineHasContent = true;
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            if (lineHasContent || !field.isEmpty()) flush();
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            ++i;
            ++row;
            if (!decoded.foreign.empty()) rowStarts.push_back(i);
            column = 1;
            lineHasContent = false;
            if (row > Workbook::kMaxRows && i < n)
                throwTooLarge(QStringLiteral("más de %1 filas").arg(Workbook::kMaxRows));
        } else {
            field += c;
            lineHasContent = true;
            ++i;
            if (field.size() > Workbook::kMaxCellChars)
                throwTooLarge(
                    QStringLiteral("un texto tiene más de %1 caracteres").arg(Workbook::kMaxCellChars));
        }
    }
    if (lineHasContent || !field.isEmpty()) flush();
    int lastDamaged = 0;
    for (const qsizetype pos : decoded.foreign) {
        const int damaged =
            int(std::upper_bound(rowStarts.cbegin(), rowStarts.cend(), pos) - rowStarts.cbegin()) + 1;
        if (damaged == lastDamaged) continue;
        sheet.addDamagedRow(damaged,
                            QStringLiteral("tiene caracteres que no son UTF-8, leídos como Windows-1252"));
        lastDamaged = damaged;
    }
    return pass;
}

} // namespace

std::unique_ptr<Workbook> CsvReader::read(const QByteArray& data, const QString& name) {
    const DecodedText decoded = decode(data);
    const QChar sep = detectSeparator(decoded.text);
    // Read in the form the separator suggests; again in the other one when the numbers say so
    // (a rare file, so the common one is read once).
    const bool suggestedComma = sep == u';';
    Pass pass = readText(decoded, sep, suggestedComma, name);
    const bool settled = (pass.commaVotes == 0) != (pass.pointVotes == 0);
    const bool decimalComma =
        pass.commaVotes == pass.pointVotes ? suggestedComma : pass.commaVotes > pass.pointVotes;
    if (decimalComma != suggestedComma) pass = readText(decoded, sep, decimalComma, name);
    if (settled) return std::move(pass.workbook);

    Sheet& sheet = *pass.sheet;
    const QString why = pass.commaVotes == 0
                            ? QStringLiteral("el fichero no muestra en ningún otro número si su separador "
                                             "decimal es la coma o el punto")
                            : QStringLiteral("el fichero tiene números escritos con coma decimal y otros "
                                             "con punto decimal");
    const QString decimalName = decimalComma ? QStringLiteral("la coma") : QStringLiteral("el punto");
    for (const Doubt& d : pass.doubts) {
        if (!d.value) {
            sheet.addCellNote(d.row, d.column, d.text,
                              QStringLiteral("no es un número con el separador decimal del resto del fichero "
                                             "(%1) y se ha dejado como texto; %2")
                                  .arg(decimalName, why));
            continue;
        }
        // An ambiguous number has one separator: the point or the comma.
        const bool pointInText = d.text.contains(u'.');
        const bool asDecimal = pointInText != decimalComma;
        QString shown = QString::number(*d.value, 'g', 15);
        shown.replace(u'.', u',');
        sheet.addCellNote(
            d.row, d.column, d.text,
            QStringLiteral("se ha leído como %1, con %2 como separador %3; %4")
                .arg(shown, pointInText ? QStringLiteral("el punto") : QStringLiteral("la coma"),
                     asDecimal ? QStringLiteral("decimal") : QStringLiteral("de millares"), why));
    }
    sheet.countCellNotesNotKept(pass.doubtCount - qsizetype(pass.doubts.size()));
    return std::move(pass.workbook);
}
} // namespace qd::wb
