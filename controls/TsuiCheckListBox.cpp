#include "TsuiCheckListBox.h"

#include "FieldList.h"

TsuiCheckListBox::TsuiCheckListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemChanged, this, &TsuiCheckListBox::onItemChanged);
}

TsuiCheckListBox::~TsuiCheckListBox() {
    if (list_ != nullptr) list_->setOnChanged({});
}

void TsuiCheckListBox::setFieldList(qd::FieldList* list) {
    if (list_ != nullptr) list_->setOnChanged({});
    list_ = list;
    if (list_ != nullptr) list_->setOnChanged([this] { refresh(); });
    rebuild();
}

void TsuiCheckListBox::rebuild() {
    updating_ = true;
    clear();
    if (list_ != nullptr) {
        QString hint = list_->hint();
        hint.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        setToolTip(hint);
        for (int i = 0; i < list_->count(); ++i) {
            auto* item = new QListWidgetItem(list_->item(i), this);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(list_->isChecked(i) ? Qt::Checked : Qt::Unchecked);
        }
    } else {
        setToolTip(QString());
    }
    updating_ = false;
}

void TsuiCheckListBox::refresh() {
    if (list_ == nullptr) return;
    if (count() != list_->count()) {
        rebuild();
        return;
    }
    updating_ = true;
    for (int i = 0; i < count(); ++i) {
        const Qt::CheckState state = list_->isChecked(i) ? Qt::Checked : Qt::Unchecked;
        if (item(i)->checkState() != state) item(i)->setCheckState(state);
    }
    updating_ = false;
}

void TsuiCheckListBox::onItemChanged(QListWidgetItem* changed) {
    if (updating_ || list_ == nullptr) return;
    const int pos = row(changed);
    list_->userSetChecked(pos, changed->checkState() == Qt::Checked);
    refresh(); // the rules may have changed other ticks, or put this one back
    emit clickCheck(pos);
}
