#include "TFormFinProceso.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TFormFinProceso::TFormFinProceso(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("TFormFinProceso"));
    setWindowTitle(QStringLiteral("Importación de datos desde Excel"));

    LabelMensaje = new QLabel(QStringLiteral("Importación de líneas TERMINADA"), this);
    LabelMensaje->setObjectName(QStringLiteral("LabelMensaje"));
    LabelMensaje->setAlignment(Qt::AlignCenter);
    QFont font = LabelMensaje->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    LabelMensaje->setFont(font);

    LabelDetalle = new QLabel(this);
    LabelDetalle->setObjectName(QStringLiteral("LabelDetalle"));
    LabelDetalle->setAlignment(Qt::AlignCenter);
    LabelDetalle->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelDetalle->hide();

    BotonAceptar = new QPushButton(QStringLiteral("Aceptar"), this);
    BotonAceptar->setObjectName(QStringLiteral("BotonAceptar"));
    BotonAceptar->setDefault(true);
    BotonAceptar->setAutoDefault(true);
    connect(BotonAceptar, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BotonAceptar);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 16);
    layout->addWidget(LabelMensaje);
    layout->addWidget(LabelDetalle);
    layout->addSpacing(12);
    layout->addLayout(buttons);
}

void TFormFinProceso::setDetalle(const QString& texto) {
    const QString t = texto.trimmed();
    LabelDetalle->setText(QString(t).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    LabelDetalle->setVisible(!t.isEmpty());
    adjustSize();
}

QString TFormFinProceso::detalle() const {
    return LabelDetalle->text();
}

void TFormFinProceso::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    BotonAceptar->setFocus();
}
