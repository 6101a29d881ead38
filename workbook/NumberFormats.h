#pragma once

#include <QString>

namespace qd::wb {

// Whether a cell's number format shows a date or time, which is how .xlsx and .xls tell a date from
// a number: by the built-in format number or by the codes of a custom format.
class NumberFormats {
public:
    static bool isBuiltInDate(int formatId);
    static bool isDateCode(const QString& formatCode);
    // Excel's errors by their BIFF code ("#DIV/0!" for 0x07); empty for an unknown code.
    static QString errorText(int code);
};

} // namespace qd::wb
