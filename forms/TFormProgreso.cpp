#include "TFormProgreso.h"

#include <QApplication>
#include <QLabel>
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

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelMensaje);
    layout->addWidget(QProgressBar_);
}

void TFormProgreso::setMaximum(int maximum) {
    QProgressBar_->setRange(0, std::max(maximum, 0));
}

void TFormProgreso::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QProgressBar_->setValue(0);
    QProgressBar_->setVisible(true);
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
    repaint();
    QCoreApplication::processEvents();
}

void TFormProgreso::step(const QString& label) {
    LabelMensaje->setText(label);
    if (QProgressBar_->value() < QProgressBar_->maximum())
        QProgressBar_->setValue(QProgressBar_->value() + 1);
    repaint();
    QCoreApplication::processEvents();
}
