#pragma once
// The model behind an import page's check-list box: the database columns an import may write.
//
// A list holds its item texts (the column and parameter names), one tick per item and the hint
// shown over the box. Only ticked items enter the INSERT and UPDATE statements the page builds
// when the user confirms an import. Two kinds of list exist:
//   - the article list, whose ticks partly follow the article page's mode buttons and search
//     radios (see ArticleControls), and whose positions 0 to 20 persist in Excel.ini;
//   - the key-column lists (clients, delivery addresses, contacts, suppliers, collection
//     domiciles), whose positions 0 and 1 hold the import's key columns and are always ticked.
//
// The model knows nothing of widgets; TsuiCheckListBox shows it and forwards the user's ticks.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace qd {

// State of the article page's controls that the article list's ticks depend on.
struct ArticleControls {
    bool porCodigo = true; // rbPorCodigo selected (false: rbPorReferencia)
    bool alta = false;     // kvBotonAlta down
    bool pvp = false;      // kvBotonPVP down
    bool stock = false;    // kvBotonStock down

    friend bool operator==(const ArticleControls&, const ArticleControls&) = default;
};

class FieldList {
public:
    enum class Kind { Articles, KeyColumns };

    // Positions of the article list that the rules name.
    enum ArticlePos {
        kGrupoEmpresas = 0,
        kCodigo = 1,
        kPartNumber = 4,
        kReferenciaProveedor = 7,
        kIva = 12,
        kAfectaStock = 17,
        kUsoCompra = 18,
        kUsoVenta = 19,
        kPrecioMedioCosteEstandard = 21,
        kSeparador = 22,
        kPvp = 23,
        kPvpConIva = 24,
        kStock = 25,
    };

    FieldList() = default;
    FieldList(Kind kind, QStringList items, QString hint);
    // A copy never takes the change listener with it: a listener belongs to one bound list.
    FieldList(const FieldList& other);
    FieldList& operator=(const FieldList& other);
    FieldList(FieldList&&) = default;
    FieldList& operator=(FieldList&&) = default;

    Kind kind() const { return kind_; }
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
    QList<int> checkedPositions() const;

    // The user ticked or unticked an item: set it, then apply the list's rules.
    void userSetChecked(int pos, bool on);
    // The rules applied after every user tick change (article rules 1 to 6, or the re-tick of
    // positions 0 and 1 of the key-column lists).
    void applyRules();

    // Article list: the page's controls changed. Applies what each change does to the ticks:
    // selecting "Por código" ticks CODIGO; selecting "Por Referencia" unticks CODIGO and ticks
    // REFERENCIAPROVEEDOR; pressing "Dar de Alta" down ticks IVA, AFECTASTOCK, USOCOMPRA and
    // USOVENTA; "Actualizar PVP" sets PVP and PVPCONIVA, "Actualizar Stock" sets STOCK, to the
    // new state of the button. The state is kept for the rules of later user ticks.
    void setArticleControls(const ArticleControls& controls);
    const ArticleControls& articleControls() const { return controls_; }

    // The ticks a list starts a run with. Article list: CODIGO ticked, positions 21 to 25
    // unticked, the other positions left as they are (Excel.ini set 0 to 20 before this).
    // Key-column lists: every item ticked.
    void setInitialTicks();

    // Called after any change of the ticks (the check-list box refreshes itself).
    void setOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

private:
    void changed() const;

    Kind kind_ = Kind::KeyColumns;
    QStringList items_;
    QList<bool> ticks_;
    QString hint_;
    ArticleControls controls_;
    std::function<void()> onChanged_;
};

// The six lists of the main window, with their items in order and their hints, initial ticks set.
FieldList articleFieldList();  // suiCheckListBoxCampos
FieldList clientFieldList();   // suiCheckListBoxClientes
FieldList addressFieldList();  // suiCheckListBoxDirecciones
FieldList contactFieldList();  // suiCheckListBoxContactos
FieldList supplierFieldList(); // suiCheckListBoxProveedores
FieldList domicileFieldList(); // suiCheckListBoxDomiciliosCobro

} // namespace qd
