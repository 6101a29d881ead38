#include "TJvFilenameEdit.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

TJvFilenameEdit::TJvFilenameEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), boton_(new QToolButton(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    edit_->setObjectName(QStringLiteral("edit"));
    boton_->setObjectName(QStringLiteral("boton"));
    boton_->setText(QStringLiteral("..."));
    boton_->setToolTip(QStringLiteral("Seleccione el fichero Excel a importar"));
    layout->addWidget(edit_, 1);
    layout->addWidget(boton_);
    connect(boton_, &QToolButton::clicked, this, &TJvFilenameEdit::abrirDialogo);
}

QString TJvFilenameEdit::filtros() {
    return QStringLiteral("Ficheros Excel (*.xls);;Libros admitidos (*.xls *.xlsx *.ods *.csv);;"
                          "Libros Excel 2007 o posterior (*.xlsx);;Hojas de cálculo OpenDocument (*.ods);;"
                          "Texto separado por comas (*.csv)");
}

QString TJvFilenameEdit::text() const {
    return edit_->text();
}

void TJvFilenameEdit::setText(const QString& text) {
    edit_->setText(text);
}

void TJvFilenameEdit::abrirDialogo() {
    const QString elegido =
        dialogo ? dialogo() : QFileDialog::getOpenFileName(this, QString(), edit_->text(), filtros());
    if (elegido.isEmpty()) return;
    edit_->setText(elegido);
    emit ficheroElegido(elegido);
}
