#include "WorkbookSheetModel.h"

#include <QLocale>

WorkbookSheetModel::WorkbookSheetModel(QObject* parent) : QAbstractTableModel(parent) {}

void WorkbookSheetModel::setWorkbook(std::shared_ptr<const qd::wb::Workbook> workbook, int sheetIndex) {
    beginResetModel();
    workbook_ = std::move(workbook);
    sheet_ = nullptr;
    if (workbook_) {
        const int i = sheetIndex < 0 ? workbook_->activeSheetIndex() : sheetIndex;
        if (i < workbook_->sheetCount()) sheet_ = &workbook_->sheet(i);
    }
    endResetModel();
}

void WorkbookSheetModel::clear() {
    setWorkbook(nullptr);
}

int WorkbookSheetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !sheet_ ? 0 : sheet_->lastRow();
}

int WorkbookSheetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !sheet_ ? 0 : sheet_->lastColumn();
}

QVariant WorkbookSheetModel::data(const QModelIndex& index, int role) const {
    if (!sheet_ || !index.isValid()) return {};
    const qd::wb::Cell& cell = sheet_->cell(index.row() + 1, index.column() + 1);
    switch (role) {
    case Qt::DisplayRole:
        return qd::wb::cellText(cell, QLocale());
    case Qt::ToolTipRole:
        return cell.type == qd::wb::CellType::Text && cell.text.size() > 40 ? QVariant(cell.text)
                                                                            : QVariant();
    case Qt::TextAlignmentRole:
        if (cell.type == qd::wb::CellType::Number || cell.type == qd::wb::CellType::Date)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (cell.type == qd::wb::CellType::Boolean || cell.type == qd::wb::CellType::Error)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant WorkbookSheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole) {
        if (orientation == Qt::Horizontal) return qd::wb::columnLetters(section + 1);
        return QString::number(section + 1);
    }
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags WorkbookSheetModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
