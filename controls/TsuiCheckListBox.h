#pragma once
// A check-list box bound to a field list (qd::FieldList).
//
// Shows the list's items with check boxes and its hint as the tooltip. When the user ticks or
// unticks an item, the list applies its rules (which may tick or untick other items) and the box
// shows the result at once. Changes made to the list by code show up too.

#include <QListWidget>

namespace qd {
class FieldList;
}

class TsuiCheckListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TsuiCheckListBox(QWidget* parent = nullptr);
    ~TsuiCheckListBox() override;

    // Binds the box to `list` (not owned; it must outlive the binding). Null unbinds.
    void setFieldList(qd::FieldList* list);
    qd::FieldList* fieldList() const { return list_; }

    // Shows the list's current ticks.
    void refresh();

signals:
    // The user changed a tick (after the list's rules ran).
    void clickCheck(int position);

private:
    void rebuild();
    void onItemChanged(QListWidgetItem* item);

    qd::FieldList* list_ = nullptr;
    bool updating_ = false;
};
