#include "CsvReader.h"

#include "ReadFailure.h"
#include "Workbook.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace qd::wb {

namespace {

// Windows-1252 differs from Latin-1 in 0x80-0x9F.
constexpr char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decode(const QByteArray& data) {
    QByteArrayView bytes(data);
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(bytes);
    if (!utf8.hasError()) return s;
    s.resize(data.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        s[i] = (c >= 0x80 && c < 0xA0) ? QChar(kCp1252High[c - 0x80]) : QChar(c);
    }
    return s;
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

bool parseNumber(const QString& field, QChar decimal, double& out) {
    // -?digits[decimal digits]; no leading zeros unless the integer part is "0"
    const qsizetype n = field.size();
    qsizetype i = 0;
    if (i < n && (field[i] == u'-' || field[i] == u'+')) ++i;
    const qsizetype intStart = i;
    while (i < n && field[i].isDigit() && field[i].unicode() < 128)
        ++i;
    const qsizetype intLen = i - intStart;
    if (intLen == 0 || (intLen > 1 && field[intStart] == u'0')) return false;
    if (i < n && field[i] == decimal) {
        ++i;
        const qsizetype fracStart = i;
        while (i < n && field[i].isDigit() && field[i].unicode() < 128)
            ++i;
        if (i == fracStart) return false;
    }
    if (i != n) return false;
    QString c = field;
    if (decimal != u'.') c.replace(decimal, u'.');
    bool ok = false;
    out = c.toDouble(&ok);
    return ok;
}

} // namespace

std::unique_ptr<Workbook> CsvReader::read(const QByteArray& data, const QString& name) {
    const QString text = decode(data);
    const QChar sep = detectSeparator(text);
    const QChar decimal = sep == u';' ? u',' : u'.';

    auto wb = std::make_unique<Workbook>(Workbook::Format::Csv);
    QString sheetName = QFileInfo(name).completeBaseName();
    Sheet& sheet = wb->addSheet(sheetName.isEmpty() ? QStringLiteral("Hoja1") : sheetName);

    int row = 1, column = 1;
    QString field;
    bool quotedField = false;
    auto flush = [&] {
        if (column > Workbook::kMaxColumns)
            throwTooLarge(
                QStringLiteral("la fila %1 tiene más de %2 columnas").arg(row).arg(Workbook::kMaxColumns));
        if (field.size() > Workbook::kMaxCellChars)
            throwTooLarge(QStringLiteral("un texto tiene más de %1 caracteres").arg(Workbook::kMaxCellChars));
        if (!field.isEmpty()) {
            Cell c;
            double v = 0;
            if (!quotedField && parseNumber(field, decimal, v)) {
                c.type = CellType::Number;
                c.number = v;
            } else {
                c.type = CellType::Text;
                c.text = field;
            }
            sheet.setCell(row, column, std::move(c));
        }
        field.clear();
        quotedField = false;
        ++column;
    };
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool lineHasContent = false;
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
    return wb;
}

} // namespace qd::wb
