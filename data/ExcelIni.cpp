#include "ExcelIni.h"

#include "FieldList.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qd {

namespace {

// The file's lines as Latin-1 text (one character per byte, so lines we do not touch are
// written back byte for byte), without their line ends.
QStringList splitLines(const QByteArray& content) {
    QStringList lines = QString::fromLatin1(content).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast(); // the final line end
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    return lines;
}

// The section name of a header line "[Name]", or nullopt.
std::optional<QString> sectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('['))) return std::nullopt;
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0) return std::nullopt;
    return t.mid(1, close - 1).trimmed();
}

// The key of a "Key=Value" line, or nullopt.
std::optional<QString> keyOf(const QString& line) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) return std::nullopt;
    const QString key = line.left(eq).trimmed();
    if (key.isEmpty() || key.startsWith(QLatin1Char(';'))) return std::nullopt;
    return key;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// An integer as the original reader took it: optional sign, decimal digits, or hexadecimal
// after "$" or "0x".
std::optional<qlonglong> parseInteger(QString s) {
    s = s.trimmed();
    bool negative = false;
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
        negative = s.startsWith(QLatin1Char('-'));
        s = s.mid(1);
    }
    int base = 10;
    if (s.startsWith(QLatin1Char('$'))) {
        base = 16;
        s = s.mid(1);
    } else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        s = s.mid(2);
    }
    if (s.isEmpty()) return std::nullopt;
    for (QChar c : s) {
        const char a = c.unicode() < 128 ? c.toLatin1() : '\0';
        const bool digit =
            (a >= '0' && a <= '9') || (base == 16 && ((a >= 'a' && a <= 'f') || (a >= 'A' && a <= 'F')));
        if (!digit) return std::nullopt;
    }
    bool ok = false;
    const qlonglong v = s.toLongLong(&ok, base);
    if (!ok || v > 0x7fffffffLL + (negative ? 1 : 0)) return std::nullopt;
    return negative ? -v : v;
}

} // namespace

const QStringList& ExcelIni::articleKeys() {
    static const QStringList keys{"GrupoEmpresas",
                                  "Codigo",
                                  "Nombre",
                                  "CodigoEAN",
                                  "PrecioMedioCoste",
                                  "PrecioUltimaCompra",
                                  "ReferenciaProveedor",
                                  "Observaciones",
                                  "ProveedorHabitual",
                                  "UNIDADESCAJA",
                                  "PESOUNIDAD",
                                  "IVA",
                                  "Marca",
                                  "Gama",
                                  "Familia",
                                  "Fabricante",
                                  "AfectaStock",
                                  "UsoCompra",
                                  "UsoVenta",
                                  "Palet_Euro_cajas",
                                  "PrecioMedioCosteEstandard"};
    return keys;
}

std::optional<QString> ExcelIni::readValue(const QByteArray& content, const QString& section,
                                           const QString& key) {
    bool inSection = false;
    for (const QString& line : splitLines(content)) {
        if (const auto name = sectionOf(line)) {
            if (inSection) return std::nullopt; // the first section of that name is the one read
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection) continue;
        const auto k = keyOf(line);
        if (!k || !sameName(*k, key)) continue;
        QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
        if (value.size() >= 2 &&
            ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))) ||
             (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\''))))) {
            value = value.mid(1, value.size() - 2);
        }
        return value;
    }
    return std::nullopt;
}

bool ExcelIni::valueToTick(const std::optional<QString>& value) {
    if (!value) return true;
    const auto number = parseInteger(*value);
    return !number || *number != 0;
}

QByteArray ExcelIni::withValues(const QByteArray& content, const QString& section, const QStringList& keys,
                                const QStringList& values) {
    QStringList lines = splitLines(content);
    QList<bool> written(keys.size(), false);

    // Find the section and replace its keys in place.
    qsizetype header = -1;
    qsizetype lastEntry = -1; // the last non-blank line of the section
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionOf(lines[i])) {
            if (header >= 0) break;
            if (sameName(*name, section)) {
                header = i;
                lastEntry = i;
            }
            continue;
        }
        if (header < 0) continue;
        if (!lines[i].trimmed().isEmpty()) lastEntry = i;
        const auto k = keyOf(lines[i]);
        if (!k) continue;
        for (qsizetype n = 0; n < keys.size(); ++n) {
            if (!written[n] && sameName(*k, keys[n])) {
                lines[i] = keys[n] + QLatin1Char('=') + values.value(n);
                written[n] = true;
                break;
            }
        }
    }

    QStringList added;
    for (qsizetype n = 0; n < keys.size(); ++n)
        if (!written[n]) added << keys[n] + QLatin1Char('=') + values.value(n);
    if (header >= 0) {
        for (qsizetype n = 0; n < added.size(); ++n)
            lines.insert(lastEntry + 1 + n, added[n]);
    } else {
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
            lines.removeLast();
        if (!lines.isEmpty()) lines << QString();
        lines << QLatin1Char('[') + section + QLatin1Char(']');
        lines << added;
    }

    QByteArray out;
    for (const QString& line : lines) {
        out += line.toLatin1();
        out += "\r\n";
    }
    return out;
}

QString ExcelIni::problemaFichero(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return {};
    if (!info.isFile())
        return QStringLiteral("«%1» no es un fichero normal (una carpeta, un dispositivo o una tubería)")
            .arg(path);
    if (info.size() > kTamanoMaximo)
        return QStringLiteral("«%1» ocupa %2 bytes; un Excel.ini no pasa de %3")
            .arg(path)
            .arg(info.size())
            .arg(kTamanoMaximo);
    return {};
}

namespace {

// The content of an Excel.ini: only a regular file of a sensible size is read (a FIFO would block,
// a device would never end).
QByteArray leer(const QString& path) {
    if (!ExcelIni::problemaFichero(path).isEmpty()) return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(ExcelIni::kTamanoMaximo);
}

} // namespace

void ExcelIni::loadArticleTicks(FieldList& articles, const QString& path) {
    const QByteArray content = leer(path);
    const QStringList& keys = articleKeys();
    for (int p = 0; p < kKeyCount; ++p)
        articles.setChecked(p, valueToTick(readValue(content, section(), keys[p])));
}

bool ExcelIni::saveArticleTicks(const FieldList& articles, const QString& path, QString* error) {
    if (const QString problema = problemaFichero(path); !problema.isEmpty()) {
        if (error != nullptr) *error = problema;
        return false;
    }
    const QByteArray content = leer(path);
    QStringList values;
    for (int p = 0; p < kKeyCount; ++p)
        values << (articles.isChecked(p) ? QStringLiteral("1") : QStringLiteral("0"));

    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(withValues(content, section(), articleKeys(), values)) < 0 || !file.commit()) {
        if (error != nullptr) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace qd
