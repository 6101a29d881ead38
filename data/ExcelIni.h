#pragma once
// Excel.ini: the article field list's ticks between runs.
//
// A Windows-style INI text file. Section "Articulos" holds the ticks of article positions 0 to
// 20, written as 1 or 0. Keys are bound to positions; from position 4 on each key carries the
// name of the item one position further down the list (the key "PrecioMedioCoste" holds the
// tick of PARTNUMBER), which is how the file has always been written and must stay so that
// existing files keep their meaning. Reading: a missing file, section or key, an empty value or
// a value that is not an integer counts as ticked; 0 unticked; any other integer ticked.
// Section and key names compare without regard to case. Writing keeps every other line of the
// file as it was and ends each line with CR LF.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace qd {

class FieldList;

class ExcelIni {
public:
    static constexpr int kKeyCount = 21;
    static QString section() { return QStringLiteral("Articulos"); }
    // The key of article position 0 to 20.
    static const QStringList& articleKeys();

    // An Excel.ini is a regular file of at most this size; anything else is not read.
    static constexpr qint64 kTamanoMaximo = 1 << 20;
    // Why the file at `path` is not read (not a regular file, too large); empty when it is fine or
    // does not exist.
    static QString problemaFichero(const QString& path);
    // Sets article positions 0 to 20 from the file at `path` (all ticked when it cannot be read).
    static void loadArticleTicks(FieldList& articles, const QString& path);
    // Writes the 21 keys from positions 0 to 20. On failure returns false and, when `error` is
    // given, the reason (with the path).
    static bool saveArticleTicks(const FieldList& articles, const QString& path, QString* error = nullptr);

    // The pieces, usable on their own.
    // The value of a key, trimmed (and without one pair of surrounding quotes); nullopt when the
    // section or key is missing.
    static std::optional<QString> readValue(const QByteArray& content, const QString& section,
                                            const QString& key);
    // The value read as a tick.
    static bool valueToTick(const std::optional<QString>& value);
    // `content` with the given keys of `section` set (replaced in place, or added at the end of
    // the section, or in a new section at the end of the file), every line ending in CR LF.
    static QByteArray withValues(const QByteArray& content, const QString& section, const QStringList& keys,
                                 const QStringList& values);
};

} // namespace qd
