#pragma once

#include "Workbook.h"

#include <QAbstractTableModel>

#include <memory>

// A read-only table model over one sheet of a workbook, headed like a spreadsheet: row numbers down
// the side, column letters across the top. Cells show the standard text conversion of their value;
// numbers and dates are right-aligned.
class WorkbookSheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit WorkbookSheetModel(QObject* parent = nullptr);

    // Shows sheet `sheetIndex` of `workbook` (-1: the active sheet). The model keeps the workbook.
    void setWorkbook(std::shared_ptr<const qd::wb::Workbook> workbook, int sheetIndex = -1);
    void clear();

    std::shared_ptr<const qd::wb::Workbook> workbook() const { return workbook_; }
    const qd::wb::Sheet* sheet() const { return sheet_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::shared_ptr<const qd::wb::Workbook> workbook_;
    const qd::wb::Sheet* sheet_ = nullptr;
};
