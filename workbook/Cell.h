#pragma once

#include <QDateTime>
#include <QString>

namespace qd::wb {

// What a cell holds, as the spreadsheet program would hand it over.
enum class CellType { Empty, Number, Date, Text, Boolean, Error };

// One cell's value. For Date, `number` holds the day serial counted in the 1900 date system
// (1 = 1900-01-01, fraction = time of day); workbooks kept in the 1904 system are shifted on reading,
// so the same date always has the same serial. For Error, `text` holds the error's name ("#DIV/0!").
struct Cell {
    CellType type = CellType::Empty;
    double number = 0;
    QString text;
    bool boolean = false;

    // The date and time of a Date cell (local time, no zone); invalid for every other type.
    QDateTime date() const;

    bool isEmpty() const { return type == CellType::Empty; }

    static Cell ofNumber(double v) { return Cell{CellType::Number, v, QString(), false}; }
    static Cell ofDate(double serial) { return Cell{CellType::Date, serial, QString(), false}; }
    static Cell ofText(const QString& s) { return Cell{CellType::Text, 0, s, false}; }
    static Cell ofBoolean(bool b) { return Cell{CellType::Boolean, 0, QString(), b}; }
    static Cell ofError(const QString& s) { return Cell{CellType::Error, 0, s, false}; }
};

// Day serial <-> date and time in the 1900 date system, with the spreadsheet's fictitious
// 1900-02-29 (serial 60) read as 1900-02-28.
QDateTime serialToDateTime(double serial);
double dateTimeToSerial(const QDateTime& dateTime);

} // namespace qd::wb
