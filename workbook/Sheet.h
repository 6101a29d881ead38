#pragma once

#include "Cell.h"
#include "StringPool.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace qd::wb {

// A row whose text could not be read cleanly (so far: a CSV row with bytes that are not UTF-8 in a
// file read as UTF-8). The row is read; the loaders report it.
struct DamagedRow {
    int row;        // sheet row, from 1
    QString reason; // short, in Spanish, for the user
};

// A cell whose value the reader chose between two readings of the same text (so far: a CSV number
// such as "1.234", which is 1234 with a thousands point and 1.234 with a decimal point, in a file
// that does not show which its decimal separator is). The value is kept; the loaders report it.
struct CellNote {
    int row;        // sheet row, from 1
    int column;     // from 1
    QString text;   // the text as written in the file
    QString reason; // short, in Spanish, for the user: how it was read and why that is in doubt
};

// One worksheet read into memory. Rows and columns count from 1. The used range is the one the
// spreadsheet program reports: it reaches every cell that holds a value or a format, so it can be
// larger than the cells with data.
//
// Cells are held compactly: eight bytes each in a dense array per row (a number as its double,
// other types as a tag and a small payload), texts as indexes into string pools (the sheet's own
// and, for workbooks that have one, the shared-string table of the workbook). A Cell is built only
// when one is asked for.
class Sheet {
public:
    Sheet() = default;
    explicit Sheet(QString name);

    QString name() const { return name_; }
    int lastRow() const { return lastRow_; }       // 0 when the sheet is empty
    int lastColumn() const { return lastColumn_; } // 0 when the sheet is empty

    Cell cell(int row, int column) const; // out of range gives an Empty cell
    CellType type(int row, int column) const;
    bool isEmpty(int row, int column) const { return type(row, column) == CellType::Empty; }
    // The serial of a Number or Date cell; 0 for every other type.
    double number(int row, int column) const;
    // Invalid QVariant (empty), double (number), QDateTime (date), QString (text and error), bool.
    QVariant value(int row, int column) const;
    // The standard variant-to-text conversion, in the default QLocale (see cellText()).
    QString text(int row, int column) const;

    // Calls f(row, column, cell) for every cell that holds a value, by row and then by column. It
    // visits stored cells only, so a lone cell at the far corner costs one call, not rows x columns.
    template <typename F> void forEachCell(F&& f) const;

    // Rows read with damage, in row order (see DamagedRow); empty for most workbooks.
    const std::vector<DamagedRow>& damagedRows() const { return damagedRows_; }

    // Cells read with a doubt (see CellNote), in row order: the first kMaxCellNotes of them; empty
    // for most workbooks. cellNoteCount() counts them all.
    const std::vector<CellNote>& cellNotes() const { return cellNotes_; }
    qsizetype cellNoteCount() const { return cellNoteCount_; }
    static constexpr qsizetype kMaxCellNotes = 50;

    // Filling the sheet (used by the readers). Cells outside the limits are refused by the readers
    // before they get here; setCell() also widens the used range, and throws (TooLarge) past
    // Workbook::kMaxValueCells cells with a value.
    void setCell(int row, int column, const Cell& cell);
    void setNumber(int row, int column, double value);
    void setText(int row, int column, QStringView text);
    // A text of the shared-string table given to setSharedStrings(); the index is not checked here.
    void setSharedText(int row, int column, quint32 index);
    void setSharedStrings(std::shared_ptr<const StringPool> strings) { shared_ = std::move(strings); }
    void extendUsedRange(int row, int column);
    void setName(const QString& name) { name_ = name; }
    void addDamagedRow(int row, const QString& reason) { damagedRows_.push_back({row, reason}); }
    void addCellNote(int row, int column, const QString& text, const QString& reason) {
        if (cellNoteCount_++ < kMaxCellNotes) cellNotes_.push_back({row, column, text, reason});
    }
    void countCellNotesNotKept(qsizetype count) { cellNoteCount_ += count; }
    // Cells that hold something other than Empty.
    qsizetype valueCount() const { return valueCount_; }

private:
    // A slot holds a number's double (any NaN kept as the quiet NaN of its sign) or, in the NaN
    // space no number uses, a tag in the top 16 bits and a payload in the low 48.
    enum Tag : quint64 { TagEmpty = 1, TagDate, TagOwnText, TagSharedText, TagError, TagBoolean };
    static constexpr quint64 kTagShift = 48;
    static constexpr quint64 tagged(Tag tag, quint64 payload) {
        return ((quint64(0x7FF0) | quint64(tag)) << kTagShift) | payload;
    }
    static constexpr quint64 kEmptySlot = 0x7FF1ull << kTagShift; // tagged(TagEmpty, 0)
    static quint64 numberSlot(double value);
    static CellType slotType(quint64 slot);
    Cell cellOf(quint64 slot) const;
    quint64 slotAt(int row, int column) const;
    void store(int row, int column, quint64 slot);
    quint64* slot(int row, int column);
    std::vector<quint64> sparseKeysInOrder() const;

    QString name_;
    int lastRow_ = 0;
    int lastColumn_ = 0;
    qsizetype valueCount_ = 0;
    std::vector<std::vector<quint64>> rows_; // slots, rows_[r-1][c-1], dense while the row is dense
    QHash<quint64, quint64> sparse_;         // slots far to the right of a row's dense part (never under it)
    std::vector<double> dates_;              // payload of a Date slot: index here
    StringPool texts_;                       // texts and error names read into this sheet
    std::shared_ptr<const StringPool> shared_;
    std::vector<DamagedRow> damagedRows_;
    std::vector<CellNote> cellNotes_;
    qsizetype cellNoteCount_ = 0;
};

template <typename F> void Sheet::forEachCell(F&& f) const {
    const std::vector<quint64> far = sparseKeysInOrder(); // row in the high half, column in the low
    auto next = far.cbegin();
    for (size_t r = 0; r < rows_.size(); ++r) {
        const int row = static_cast<int>(r + 1);
        const auto& cells = rows_[r];
        for (size_t c = 0; c < cells.size(); ++c) {
            if (cells[c] != kEmptySlot) f(row, static_cast<int>(c + 1), cellOf(cells[c]));
        }
        for (; next != far.cend() && int(*next >> 32) == row; ++next) {
            const quint64 s = *sparse_.constFind(*next);
            if (s != kEmptySlot) f(row, int(*next & 0xFFFFFFFFu), cellOf(s));
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
