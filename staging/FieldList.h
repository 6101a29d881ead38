#pragma once
// The model behind an import page's check-list box: the database columns an import may write.
//
// A list holds its item texts (the column and parameter names), one tick per item and the hint
// shown over the box. Only ticked items enter the INSERT and UPDATE statements the page builds
// when the user confirms an import. What ticks follow from what (the rules applied after every
// user tick, and the ticks a run starts with) belongs to the kind: each kind's factory hands its
// list a FieldRules object. The key-column rules (positions 0 and 1 hold the import's key
// columns and are always ticked; a run starts with every item ticked) are shared here.
//
// The model knows nothing of widgets; TsuiCheckListBox shows it and forwards the user's ticks.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace qd {

// A kind's tick rules. Rules may keep state of their own (the page controls a kind's ticks
// follow); a list copies its rules with it.
class FieldRules {
public:
    virtual ~FieldRules() = default;
    virtual std::unique_ptr<FieldRules> clone() const = 0;
    // Applied after every user tick change.
    virtual void apply(QList<bool>& ticks) const = 0;
    // The ticks a run starts with.
    virtual void initial(QList<bool>& ticks) const = 0;
};

// Positions 0 and 1 are the key columns, always ticked; a run starts with every item ticked.
class KeyColumnRules final : public FieldRules {
public:
    std::unique_ptr<FieldRules> clone() const override { return std::make_unique<KeyColumnRules>(*this); }
    void apply(QList<bool>& ticks) const override;
    void initial(QList<bool>& ticks) const override;
};

class FieldList {
public:
    FieldList() = default;
    FieldList(QStringList items, QString hint, std::unique_ptr<FieldRules> rules = nullptr);
    // A copy takes a copy of the rules but never the change listener: a listener belongs to one
    // bound list.
    FieldList(const FieldList& other);
    FieldList& operator=(const FieldList& other);
    FieldList(FieldList&&) = default;
    FieldList& operator=(FieldList&&) = default;

    int count() const { return static_cast<int>(items_.size()); }
    const QStringList& items() const { return items_; }
    QString item(int pos) const { return items_.value(pos); }
    const QList<bool>& ticks() const { return ticks_; }
    QString hint() const { return hint_; }
    // Position of an item by its text (exact), -1 when absent.
    int indexOf(const QString& item) const { return static_cast<int>(items_.indexOf(item)); }

    bool isChecked(int pos) const { return pos >= 0 && pos < count() && ticks_[pos]; }
    // Sets one tick as it is, without applying any rule (loading, initial ticks, tests).
    void setChecked(int pos, bool on);
    void setAllChecked(bool on);
    // Replaces every tick at once (a kind's rules reacting to its page's controls).
    void setTicks(const QList<bool>& ticks);
    QList<int> checkedPositions() const;

    // The user ticked or unticked an item: set it, then apply the list's rules.
    void userSetChecked(int pos, bool on);
    // The kind's rules after a user tick change.
    void applyRules();
    // The ticks the kind's list starts a run with.
    void setInitialTicks();

    // The kind's rules (null: none), for the kind's own code.
    FieldRules* rules() const { return rules_.get(); }
    template <typename R> R* rulesAs() const { return dynamic_cast<R*>(rules_.get()); }

    // Called after any change of the ticks (the check-list box refreshes itself).
    void setOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

private:
    void changed() const;

    QStringList items_;
    QList<bool> ticks_;
    QString hint_;
    std::unique_ptr<FieldRules> rules_;
    std::function<void()> onChanged_;
};

// A list with the key-column rules and its initial ticks set.
FieldList keyColumnFieldList(QStringList items, const QString& hint);

} // namespace qd
