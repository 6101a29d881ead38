#include "ModalCloser.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

ModalCloser::ModalCloser() {
    connect(&timer_, &QTimer::timeout, this, &ModalCloser::revisar);
    timer_.start(5);
}

void ModalCloser::revisar() {
    QWidget* w = QApplication::activeModalWidget();
    if (w == nullptr) return;
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        textos << box->text();
        box->done(QMessageBox::Ok);
    } else if (auto* dlg = qobject_cast<QDialog*>(w)) {
        dlg->reject();
    } else {
        w->close();
    }
    ++cerrados;
}
