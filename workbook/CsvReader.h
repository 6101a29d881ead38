#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace qd::wb {

class Workbook;

// Comma- or semicolon-separated text (.csv): UTF-8 (with or without a byte-order mark) or
// Windows-1252. A UTF-8 file with a few bytes that are not UTF-8 is still read as UTF-8: those bytes
// are read as Windows-1252 characters and their rows listed in Sheet::damagedRows(). The separator found from
// the first line, quoted fields with doubled quotes and line breaks. A field is a number when it is written
// as one (decimal comma with ';', decimal point with
// ','), without thousands separators and without leading zeros, which keeps codes such as "0012" as
// text; everything else is text.
class CsvReader {
public:
    static std::unique_ptr<Workbook> read(const QByteArray& data, const QString& name);
};

} // namespace qd::wb
