#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace qd::wb {

class Workbook;

// Comma- or semicolon-separated text (.csv): UTF-8 (with or without a byte-order mark) or
// Windows-1252. A UTF-8 file with a few bytes that are not UTF-8 is still read as UTF-8: those bytes
// are read as Windows-1252 characters and their rows listed in Sheet::damagedRows(). The separator is
// found from the first line; quoted fields with doubled quotes and line breaks.
//
// An unquoted field is a number when it is written as one: an optional sign, an integer part without
// leading zeros (but "0"), either plain or in groups of three digits, and an optional decimal part.
// The file writes its numbers either with a decimal comma and a thousands point ("1.234,56") or with a
// decimal point and a thousands comma ("1,234.56"); which one is decided once for the whole file from
// the numbers that can only be read one way ("12,5", "1.234,56", "0.25", "1.234.567"), by the greater
// count, and from the separator (";" means a decimal comma, "," a decimal point) when none or as many
// of each are found. Every number is then read in that form: "1.234" is 1234 with a decimal comma.
// When the file does not settle it (no such numbers, or some of each form), the fields read one way
// among two ("1.234", "1,500") and those that are numbers only in the other form (kept as text) are
// listed in Sheet::cellNotes(). Quoted fields, codes with leading zeros ("007"), percentages and
// dates stay text.
class CsvReader {
public:
    static std::unique_ptr<Workbook> read(const QByteArray& data, const QString& name);
};

} // namespace qd::wb
