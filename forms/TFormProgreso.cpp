#include "TFormProgreso.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

TFormProgreso::TFormProgreso(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("TFormProgreso"));
    setWindowTitle(QStringLiteral("  Importación de Excel"));
    setModal(false);

    LabelMensaje = new QLabel(this);
    LabelMensaje->setObjectName(QStringLiteral("LabelMensaje"));
    LabelMensaje->setAlignment(Qt::AlignCenter);
    LabelMensaje->setMinimumWidth(360);

    QProgressBar_ = new QProgressBar(this);
    QProgressBar_->setObjectName(QStringLiteral("QProgressBar"));
    QProgressBar_->setRange(0, 100);
    QProgressBar_->setValue(0);
    QProgressBar_->setFormat(QStringLiteral("%p%"));
    QProgressBar_->setTextVisible(true);

    LabelFilas = new QLabel(this);
    LabelFilas->setObjectName(QStringLiteral("LabelFilas"));
    LabelFilas->setAlignment(Qt::AlignCenter);

    LabelCancelar = new QLabel(textoCancelar(), this);
    LabelCancelar->setObjectName(QStringLiteral("LabelCancelar"));
    LabelCancelar->setAlignment(Qt::AlignCenter);
    LabelCancelar->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelMensaje);
    layout->addWidget(QProgressBar_);
    layout->addWidget(LabelFilas);
    layout->addWidget(LabelCancelar);
    contarFilas();
}

QString TFormProgreso::textoCancelar() {
    return QStringLiteral("Pulse Ctrl+Alt+C para cancelar el proceso en curso");
}

void TFormProgreso::setAvisoCancelar(bool on) {
    LabelCancelar->setVisible(on);
    adjustSize();
}

void TFormProgreso::contarFilas() {
    const QLocale local;
    LabelFilas->setText(
        QStringLiteral("%1 de %2 filas")
            .arg(local.toString(QProgressBar_->value()), local.toString(QProgressBar_->maximum())));
}

void TFormProgreso::setMaximum(int maximum) {
    QProgressBar_->setRange(0, std::max(maximum, 0));
    contarFilas();
}

void TFormProgreso::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QProgressBar_->setValue(0);
    QProgressBar_->setVisible(true);
    contarFilas();
    // Centred on the desktop.
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TFormProgreso::showProgress() {
    show();
    QProgressBar_->setValue(0);
    contarFilas();
    repaint();
    QCoreApplication::processEvents();
}

void TFormProgreso::step(const QString& label) {
    LabelMensaje->setText(label);
    if (QProgressBar_->value() < QProgressBar_->maximum())
        QProgressBar_->setValue(QProgressBar_->value() + 1);
    contarFilas();
    repaint();
    QCoreApplication::processEvents();
}
