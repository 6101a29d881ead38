#include "TkvDBEdit.h"

#include <QAbstractItemView>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>

TkvDBEdit::TkvDBEdit(QWidget* parent) : QLineEdit(parent) {}

void TkvDBEdit::enlazar(QPointer<QLabel>& destino, QLabel* etiqueta) {
    destino = etiqueta;
    if (!etiqueta) return;
    connect(etiqueta, &QObject::destroyed, this, [this](QObject* ido) {
        if (etiqueta1_ == ido) etiqueta1_ = nullptr;
        if (etiqueta2_ == ido) etiqueta2_ = nullptr;
        // With neither label left there is nothing to highlight.
        if (!etiqueta1_ && !etiqueta2_) Etiqueta = false;
    });
}

void TkvDBEdit::setEtiqueta1(QLabel* etiqueta) {
    enlazar(etiqueta1_, etiqueta);
}

void TkvDBEdit::setEtiqueta2(QLabel* etiqueta) {
    enlazar(etiqueta2_, etiqueta);
}

QChar TkvDBEdit::separadorDecimal() const {
    if (!separador_.isNull()) return separador_;
    const QString s = QLocale().decimalPoint();
    return s.isEmpty() ? QLatin1Char('.') : s.at(0);
}

void TkvDBEdit::resaltar(bool on) {
    if (on == resaltado_) return;
    resaltado_ = on;
    auto etiqueta = [on](QLabel* e, QColor& color, QFont& fuente) {
        if (!e) return;
        QPalette p = e->palette();
        if (on) {
            color = p.color(QPalette::WindowText);
            fuente = e->font();
            p.setColor(QPalette::WindowText, Qt::red);
            QFont f = fuente;
            f.setBold(true);
            e->setPalette(p);
            e->setFont(f);
        } else {
            p.setColor(QPalette::WindowText, color);
            e->setPalette(p);
            e->setFont(fuente);
        }
    };
    if (on) etiquetasResaltadas_ = Etiqueta;
    if (etiquetasResaltadas_) {
        etiqueta(etiqueta1_, colorEtiqueta1_, fuenteEtiqueta1_);
        etiqueta(etiqueta2_, colorEtiqueta2_, fuenteEtiqueta2_);
    }
    if (on) {
        paletaNormal_ = palette();
        fuenteNormal_ = font();
        QPalette p = paletaNormal_;
        if (Tag != 9999) p.setColor(QPalette::Base, colorFoco());
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
    // Inside a grid the whole text is selected, ready to be typed over.
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<QAbstractItemView*>(w)) {
            selectAll();
            break;
        }
}

void TkvDBEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A pop-up or another window taking the focus is not leaving the box.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) return;
    resaltar(false);
}

void TkvDBEdit::keyPressEvent(QKeyEvent* event) {
    if (EnterToTab) {
        const int tecla = event->key();
        if (tecla == Qt::Key_Return || tecla == Qt::Key_Enter || tecla == Qt::Key_Down ||
            tecla == Qt::Key_Up) {
            if (tecla == Qt::Key_Up)
                focusPreviousChild();
            else
                focusNextChild();
            if (onKeyDown) onKeyDown(event);
            event->accept();
            return;
        }
    }
    if (onKeyDown) onKeyDown(event);
    if (CampoFlotante && (event->text() == QLatin1String(".") || event->text() == QLatin1String(","))) {
        const QChar separador = separadorDecimal();
        // The separator typed over a selection that holds the one already there is fine.
        QString resto = text();
        if (hasSelectedText()) resto.remove(selectionStart(), selectedText().size());
        if (!resto.contains(separador)) insert(QString(separador));
        event->accept();
        return;
    }
    // A single-line box: Return is never text, it goes on to the window (its default button).
    QLineEdit::keyPressEvent(event);
}
