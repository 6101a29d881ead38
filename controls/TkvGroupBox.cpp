#include "TkvGroupBox.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QPainter>
#include <QRadioButton>
#include <QStyleOptionGroupBox>

TkvGroupBox::TkvGroupBox(QWidget* parent) : QGroupBox(parent) {}

TkvGroupBox::TkvGroupBox(const QString& titulo, QWidget* parent) : QGroupBox(titulo, parent) {}

void TkvGroupBox::setBorderColor(const QColor& color) {
    borde_ = color;
    update();
}

void TkvGroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm = fontMetrics();
    const int arriba = fm.height() / 2;
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(borde_.isValid() ? borde_ : palette().color(QPalette::Dark), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, arriba + 0.5, -0.5, -0.5), 5, 5);

    const QString titulo = title();
    if (titulo.isEmpty()) return;
    const int ancho = fm.horizontalAdvance(titulo) + 4;
    const int x = layoutDirection() == Qt::RightToLeft ? width() - 8 - ancho : 8;
    const QRect zona(x, 0, ancho, fm.height());
    p.fillRect(zona, palette().color(backgroundRole()));
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(zona, Qt::AlignCenter | Qt::TextShowMnemonic, titulo);
}

TkvRadioGroup::TkvRadioGroup(QWidget* parent) : TkvRadioGroup(QString(), parent) {}

TkvRadioGroup::TkvRadioGroup(const QString& titulo, QWidget* parent)
    : TkvGroupBox(titulo, parent), grupo_(new QButtonGroup(this)), capa_(new QGridLayout(this)) {
    connect(grupo_, &QButtonGroup::idClicked, this, [this](int id) {
        emit itemIndexCambiado(id);
        if (OnClick) OnClick(*this);
    });
}

void TkvRadioGroup::setItems(const QStringList& items) {
    items_ = items;
    construir();
}

void TkvRadioGroup::setColumns(int columnas) {
    columnas_ = qMax(1, columnas);
    construir();
}

void TkvRadioGroup::construir() {
    const int elegido = ItemIndex();
    for (QAbstractButton* b : grupo_->buttons()) {
        grupo_->removeButton(b);
        delete b;
    }
    const int filas = (int(items_.size()) + columnas_ - 1) / columnas_;
    for (int i = 0; i < items_.size(); ++i) {
        auto* b = new QRadioButton(items_[i], this);
        grupo_->addButton(b, i);
        capa_->addWidget(b, filas > 0 ? i % filas : 0, filas > 0 ? i / filas : 0);
    }
    setItemIndex(elegido < items_.size() ? elegido : -1);
}

int TkvRadioGroup::ItemIndex() const {
    return grupo_->checkedId();
}

void TkvRadioGroup::setItemIndex(int indice) {
    if (QAbstractButton* b = grupo_->button(indice)) {
        b->setChecked(true);
        return;
    }
    // None chosen.
    if (QAbstractButton* marcado = grupo_->checkedButton()) {
        grupo_->setExclusive(false);
        marcado->setChecked(false);
        grupo_->setExclusive(true);
    }
}

QRadioButton* TkvRadioGroup::boton(int indice) const {
    return qobject_cast<QRadioButton*>(grupo_->button(indice));
}
