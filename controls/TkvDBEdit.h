#pragma once
// The plain edit box of the windows: while it has the focus its background is pale yellow (unless
// its Tag is 9999) and its text bold, and with Etiqueta its linked labels turn red and bold; all
// of it comes back when the focus leaves. With EnterToTab, Enter and Down move the focus to the
// next control, Up to the previous one; the key then reaches only the window's own handler
// (onKeyDown). Returns are never taken as text.
//
// For a number with decimals (CampoFlotante), both "." and "," type the user's decimal separator,
// and a second separator is refused. Inside a grid, the whole text is selected on entry.

#include <QLineEdit>
#include <QPointer>
#include <functional>

class QLabel;

class TkvDBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TkvDBEdit(QWidget* parent = nullptr);

    bool EnterToTab = true;
    bool CampoFlotante = false;
    int Tag = 0;

    bool Etiqueta = false;
    void setEtiqueta1(QLabel* etiqueta);
    void setEtiqueta2(QLabel* etiqueta);
    QLabel* Etiqueta1() const { return etiqueta1_; }
    QLabel* Etiqueta2() const { return etiqueta2_; }

    // The decimal separator of CampoFlotante (default: the locale's).
    void setSeparadorDecimal(QChar c) { separador_ = c; }
    QChar separadorDecimal() const;

    // The window's own key handler; it also sees the keys that move the focus.
    std::function<void(QKeyEvent*)> onKeyDown;

    // The background while focused.
    static QColor colorFoco() { return QColor(255, 251, 210); }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void resaltar(bool on);
    void enlazar(QPointer<QLabel>& destino, QLabel* etiqueta);

    QPalette paletaNormal_;
    QFont fuenteNormal_;
    bool resaltado_ = false;
    bool etiquetasResaltadas_ = false;
    QChar separador_;

    QPointer<QLabel> etiqueta1_, etiqueta2_;
    QColor colorEtiqueta1_, colorEtiqueta2_;
    QFont fuenteEtiqueta1_, fuenteEtiqueta2_;
};
