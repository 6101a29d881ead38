#pragma once
// Group boxes with a coloured frame: a rectangle with rounded corners (radius 5) drawn in
// BorderColor from half a text line below the top, and the caption 8 pixels from the left edge
// (from the right edge in right-to-left layouts) on the box's own colour.
//
// TkvRadioGroup is such a box holding one radio button per item of Items; ItemIndex is the item
// chosen (-1: none) and OnClick is raised when the user chooses one.

#include <QGroupBox>
#include <QStringList>
#include <functional>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

class TkvGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TkvGroupBox(QWidget* parent = nullptr);
    explicit TkvGroupBox(const QString& titulo, QWidget* parent = nullptr);

    // The frame's colour (invalid: the palette's dark colour).
    QColor BorderColor() const { return borde_; }
    void setBorderColor(const QColor& color);

    int Tag = 99;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor borde_;
};

class TkvRadioGroup : public TkvGroupBox {
    Q_OBJECT
public:
    explicit TkvRadioGroup(QWidget* parent = nullptr);
    explicit TkvRadioGroup(const QString& titulo, QWidget* parent = nullptr);

    void setItems(const QStringList& items);
    QStringList Items() const { return items_; }
    // The radio buttons are laid out in this many columns.
    void setColumns(int columnas);
    int Columns() const { return columnas_; }

    int ItemIndex() const;
    void setItemIndex(int indice);
    QRadioButton* boton(int indice) const;

    std::function<void(TkvRadioGroup&)> OnClick;

signals:
    void itemIndexCambiado(int indice);

private:
    void construir();

    QStringList items_;
    int columnas_ = 1;
    QButtonGroup* grupo_;
    QGridLayout* capa_;
};
