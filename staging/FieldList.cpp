#include "FieldList.h"

namespace qd {

void KeyColumnRules::apply(QList<bool>& ticks) const {
    for (int p : {0, 1})
        if (p < ticks.size()) ticks[p] = true;
}

void KeyColumnRules::initial(QList<bool>& ticks) const {
    ticks.fill(true);
}

FieldList::FieldList(QStringList items, QString hint, std::unique_ptr<FieldRules> rules)
    : items_(std::move(items)), ticks_(items_.size(), false), hint_(std::move(hint)),
      rules_(std::move(rules)) {}

FieldList::FieldList(const FieldList& other)
    : items_(other.items_), ticks_(other.ticks_), hint_(other.hint_),
      rules_(other.rules_ ? other.rules_->clone() : nullptr) {}

FieldList& FieldList::operator=(const FieldList& other) {
    if (this != &other) {
        items_ = other.items_;
        ticks_ = other.ticks_;
        hint_ = other.hint_;
        rules_ = other.rules_ ? other.rules_->clone() : nullptr;
        changed();
    }
    return *this;
}

void FieldList::changed() const {
    if (onChanged_) onChanged_();
}

void FieldList::setChecked(int pos, bool on) {
    if (pos < 0 || pos >= count() || ticks_[pos] == on) return;
    ticks_[pos] = on;
    changed();
}

void FieldList::setAllChecked(bool on) {
    ticks_.fill(on);
    changed();
}

void FieldList::setTicks(const QList<bool>& ticks) {
    for (int i = 0; i < count() && i < ticks.size(); ++i)
        ticks_[i] = ticks[i];
    changed();
}

QList<int> FieldList::checkedPositions() const {
    QList<int> result;
    for (int i = 0; i < count(); ++i)
        if (ticks_[i]) result.append(i);
    return result;
}

void FieldList::userSetChecked(int pos, bool on) {
    if (pos >= 0 && pos < count()) ticks_[pos] = on;
    applyRules();
}

void FieldList::applyRules() {
    if (rules_) rules_->apply(ticks_);
    changed();
}

void FieldList::setInitialTicks() {
    if (rules_) rules_->initial(ticks_);
    changed();
}

FieldList keyColumnFieldList(QStringList items, const QString& hint) {
    FieldList list(std::move(items), hint, std::make_unique<KeyColumnRules>());
    list.setInitialTicks();
    return list;
}

namespace {} // namespace

} // namespace qd
