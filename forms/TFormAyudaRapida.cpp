#include "TFormAyudaRapida.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

TFormAyudaRapida::TFormAyudaRapida(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAyudaRapida"));
    setWindowTitle(QStringLiteral("  Importación de Líneas de Albaranes de Venta"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    resize(640, 420);

    LabelTitulo_ = new QLabel(this);
    LabelTitulo_->setObjectName(QStringLiteral("LabelTitulo"));
    QFont f = LabelTitulo_->font();
    f.setBold(true);
    LabelTitulo_->setFont(f);
    LabelTitulo_->hide();

    RichEdit1_ = new QTextEdit(this);
    RichEdit1_->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1_->setReadOnly(true);

    LabelInfo_ = new QLabel(this);
    LabelInfo_->setObjectName(QStringLiteral("LabelInfo"));
    LabelInfo_->setWordWrap(true);
    LabelInfo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelInfo_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelTitulo_);
    layout->addWidget(RichEdit1_, 1);
    layout->addWidget(LabelInfo_);
}

void TFormAyudaRapida::appendLines(const QStringList& lineas) {
    for (const QString& l : lineas)
        appendLine(l);
}

void TFormAyudaRapida::appendLine(const QString& linea, bool encabezado) {
    QTextDocument* doc = RichEdit1_->document();
    QTextCursor c(doc);
    c.movePosition(QTextCursor::End);
    // The box starts with one empty paragraph; the first line goes into it.
    if (tieneLineas_) c.insertBlock();
    QTextCharFormat fmt;
    fmt.setFontWeight(encabezado ? QFont::Bold : QFont::Normal);
    fmt.setFontUnderline(encabezado);
    c.setCharFormat(fmt);
    c.insertText(linea, fmt);
    tieneLineas_ = true;
}

void TFormAyudaRapida::setInfoText(const QString& texto) {
    LabelInfo_->setText(texto);
    LabelInfo_->setVisible(!texto.isEmpty());
}

void TFormAyudaRapida::setTitulo(const QString& titulo) {
    LabelTitulo_->setText(titulo);
    LabelTitulo_->setVisible(!titulo.isEmpty());
}

QString TFormAyudaRapida::infoText() const {
    return LabelInfo_->text();
}
QString TFormAyudaRapida::titulo() const {
    return LabelTitulo_->text();
}

void TFormAyudaRapida::centrar() {
    QScreen* pantalla = screen() ? screen() : QGuiApplication::primaryScreen();
    if (pantalla == nullptr) return;
    QRect r = frameGeometry();
    r.moveCenter(pantalla->availableGeometry().center());
    move(r.topLeft());
}

void TFormAyudaRapida::showEvent(QShowEvent* event) {
    centrar();
    QTextCursor c = RichEdit1_->textCursor();
    c.movePosition(QTextCursor::Start);
    RichEdit1_->setTextCursor(c);
    QDialog::showEvent(event);
}

void TFormAyudaRapida::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}
