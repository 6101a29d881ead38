#include "TJvFilenameEdit.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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
    connect(edit_, &QLineEdit::editingFinished, this, [this] {
        if (rutaEscrita() != informado_) informar(rutaEscrita());
    });
}

QString TJvFilenameEdit::filtros() {
    return QStringLiteral("Libros admitidos (*.xls *.xlsx *.ods *.csv);;Libros Excel 97-2003 (*.xls);;"
                          "Libros Excel 2007 o posterior (*.xlsx);;Hojas de cálculo OpenDocument (*.ods);;"
                          "Texto separado por comas (*.csv);;Todos los ficheros (*)");
}

QString TJvFilenameEdit::text() const {
    return edit_->text();
}

void TJvFilenameEdit::setText(const QString& text) {
    edit_->setText(text);
    informado_ = rutaEscrita();
}

QString TJvFilenameEdit::rutaEscrita() const {
    const QString ruta = edit_->text().trimmed();
    if (ruta == QLatin1String("~")) return QDir::homePath();
    if (ruta.startsWith(QLatin1String("~/"))) return QDir::homePath() + ruta.mid(1);
    return ruta;
}

void TJvFilenameEdit::informar(const QString& path) {
    informado_ = path;
    emit ficheroElegido(path);
}

QString TJvFilenameEdit::ficheroParaCargar(QString* error) {
    if (error != nullptr) error->clear();
    const QString ruta = rutaEscrita();
    if (ruta.isEmpty()) return {};
    const QFileInfo info(ruta);
    if (!info.exists() || !info.isFile()) {
        if (error != nullptr) {
            const QString escrita = edit_->text().trimmed();
            *error = info.exists() ? QStringLiteral("«%1» no es un fichero").arg(escrita)
                                   : QStringLiteral("No existe el fichero «%1»").arg(escrita);
        }
        return {};
    }
    informar(ruta);
    return ruta;
}

void TJvFilenameEdit::abrirDialogo() {
    const QString elegido =
        dialogo ? dialogo() : QFileDialog::getOpenFileName(this, QString(), rutaEscrita(), filtros());
    if (elegido.isEmpty()) return;
    edit_->setText(elegido);
    informar(elegido);
}
