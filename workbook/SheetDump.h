#pragma once

#include <QString>

#include <cstdio>

namespace qd::wb {

struct Cell;
class Sheet;

// A sheet as plain text, one line per item, independent of locale:
//   sheet<TAB>name
//   lastRow<TAB>n
//   lastColumn<TAB>n
//   row<TAB>column<TAB>type<TAB>value      (every non-empty cell, by row then column)
// Numbers in shortest round-trip form, dates in ISO 8601 (date only at midnight), booleans
// "true"/"false", text with "\\", "\t", "\n" and "\r" escaped so that each cell stays on one line.
class SheetDump {
public:
    static QString dump(const Sheet& sheet);
    // The same text written to `out` line by line as UTF-8, never held whole.
    static void write(const Sheet& sheet, std::FILE* out);
    static QString typeName(const Cell& cell);
    static QString valueText(const Cell& cell);
};

} // namespace qd::wb
