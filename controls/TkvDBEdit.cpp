#include "TkvDBEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

TkvDBEdit::TkvDBEdit(QWidget* parent) : QLineEdit(parent) {}

void TkvDBEdit::resaltar(bool on) {
    if (on == resaltado_) return;
    resaltado_ = on;
    if (on) {
        paletaNormal_ = palette();
        fuenteNormal_ = font();
        QPalette p = paletaNormal_;
        p.setColor(QPalette::Base, colorFoco());
        QFont f = fuenteNormal_;
        f.setBold(true);
        setPalette(p);
        setFont(f);
    } else {
        setPalette(paletaNormal_);
        setFont(fuenteNormal_);
    }
}

void TkvDBEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    resaltar(true);
}

void TkvDBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A pop-up or another window taking the focus is not leaving the box.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    resaltar(false);
}

void TkvDBEdit::keyPressEvent(QKeyEvent* event) {
    if (!EnterToTab) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        focusNextChild();
        event->accept();
        return;
    case Qt::Key_Up:
        focusPreviousChild();
        event->accept();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}
