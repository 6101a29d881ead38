#pragma once

#include "Cell.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <vector>

namespace qd::wb {

// A row whose text could not be read cleanly (so far: a CSV row with bytes that are not UTF-8 in a
// file read as UTF-8). The row is read; the loaders report it.
struct DamagedRow {
    int row;        // sheet row, from 1
    QString reason; // short, in Spanish, for the user
};

// One worksheet read into memory. Rows and columns count from 1. The used range is the one the
// spreadsheet program reports: it reaches every cell that holds a value or a format, so it can be
// larger than the cells with data.
class Sheet {
public:
    Sheet() = default;
    explicit Sheet(QString name);

    QString name() const { return name_; }
    int lastRow() const { return lastRow_; }       // 0 when the sheet is empty
    int lastColumn() const { return lastColumn_; } // 0 when the sheet is empty

    const Cell& cell(int row, int column) const; // out of range gives an Empty cell
    // Invalid QVariant (empty), double (number), QDateTime (date), QString (text and error), bool.
    QVariant value(int row, int column) const;
    // The standard variant-to-text conversion, in the default QLocale (see cellText()).
    QString text(int row, int column) const;

    // Calls f(row, column, cell) for every cell that holds a value, by row and then by column. It
    // visits stored cells only, so a lone cell at the far corner costs one call, not rows x columns.
    template <typename F> void forEachCell(F&& f) const;

    // Rows read with damage, in row order (see DamagedRow); empty for most workbooks.
    const std::vector<DamagedRow>& damagedRows() const { return damagedRows_; }

    // Filling the sheet (used by the readers). Cells outside the limits are refused by the readers
    // before they get here; setCell() also widens the used range, and throws (TooLarge) past
    // Workbook::kMaxValueCells cells with a value.
    void setCell(int row, int column, Cell cell);
    void extendUsedRange(int row, int column);
    void setName(const QString& name) { name_ = name; }
    void addDamagedRow(int row, const QString& reason) { damagedRows_.push_back({row, reason}); }
    // Cells that hold something other than Empty.
    qsizetype valueCount() const { return valueCount_; }

private:
    Cell* slot(int row, int column);
    std::vector<quint64> sparseKeysInOrder() const;

    QString name_;
    int lastRow_ = 0;
    int lastColumn_ = 0;
    qsizetype valueCount_ = 0;
    std::vector<std::vector<Cell>> rows_; // rows_[r-1][c-1], dense while the row is dense
    QHash<quint64, Cell> sparse_;         // cells far to the right of a row's dense part (never under it)
    std::vector<DamagedRow> damagedRows_;
};

template <typename F> void Sheet::forEachCell(F&& f) const {
    const std::vector<quint64> far = sparseKeysInOrder(); // row in the high half, column in the low
    auto next = far.cbegin();
    for (size_t r = 0; r < rows_.size(); ++r) {
        const int row = static_cast<int>(r + 1);
        const auto& cells = rows_[r];
        for (size_t c = 0; c < cells.size(); ++c) {
            if (!cells[c].isEmpty()) f(row, static_cast<int>(c + 1), cells[c]);
        }
        for (; next != far.cend() && int(*next >> 32) == row; ++next) {
            const Cell& cell = *sparse_.constFind(*next);
            if (!cell.isEmpty()) f(row, int(*next & 0xFFFFFFFFu), cell);
        }
    }
}

// The standard variant-to-text conversion of a cell: empty gives "", text and errors as they are,
// booleans "True"/"False", numbers in the shortest form that keeps 15 significant digits with the
// locale's decimal separator and no group separators, dates in the locale's short date format
// followed by the time when it is not midnight.
QString cellText(const Cell& cell, const QLocale& locale);
QString numberText(double value, const QLocale& locale);
QVariant cellValue(const Cell& cell);

// "A", "B", ..., "Z", "AA", ... for columns counted from 1.
QString columnLetters(int column);

} // namespace qd::wb
