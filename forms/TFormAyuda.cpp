#include "TFormAyuda.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

TFormAyuda::TFormAyuda(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAyuda"));
    resize(760, 560);

    LabelTitulo_ = new QLabel(this);
    LabelTitulo_->setObjectName(QStringLiteral("LabelTitulo"));
    QFont f = LabelTitulo_->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.3);
    LabelTitulo_->setFont(f);

    RichEdit1_ = new QTextEdit(this);
    RichEdit1_->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1_->setReadOnly(true);
    // Read-only, but the caret and keyboard selection still work, as in a rich-text box.
    RichEdit1_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    kvBotonImprimir_ = new QPushButton(QStringLiteral("Imprimir"), this);
    kvBotonImprimir_->setObjectName(QStringLiteral("kvBotonImprimir"));
    kvBotonSalir_ = new QPushButton(QStringLiteral("Salir"), this);
    kvBotonSalir_->setObjectName(QStringLiteral("kvBotonSalir"));
    kvBotonSalir_->setDefault(true);

    auto* botones = new QHBoxLayout;
    botones->addStretch();
    botones->addWidget(kvBotonImprimir_);
    botones->addWidget(kvBotonSalir_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LabelTitulo_);
    layout->addWidget(RichEdit1_, 1);
    layout->addLayout(botones);

    connect(kvBotonImprimir_, &QPushButton::clicked, this, &TFormAyuda::kvBotonImprimirClick);
    connect(kvBotonSalir_, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormAyuda::setTitulo(const QString& titulo) {
    titulo_ = titulo;
    setWindowTitle(titulo);
    LabelTitulo_->setText(titulo);
}

void TFormAyuda::setDocumento(const QTextDocument* doc) {
    if (doc == nullptr) {
        RichEdit1_->clear();
    } else {
        // The box owns its own copy; the caller keeps (and frees) the original.
        QTextDocument* copia = doc->clone(RichEdit1_);
        RichEdit1_->setDocument(copia);
    }
    caretAlInicio();
}

void TFormAyuda::setHtml(const QString& html) {
    RichEdit1_->setHtml(html);
    caretAlInicio();
}

void TFormAyuda::caretAlInicio() {
    QTextCursor c = RichEdit1_->textCursor();
    c.movePosition(QTextCursor::Start);
    RichEdit1_->setTextCursor(c);
    RichEdit1_->ensureCursorVisible();
}

void TFormAyuda::imprimirEn(QPrinter& printer) {
    printer.setDocName(titulo_);
    RichEdit1_->document()->print(&printer);
}

void TFormAyuda::kvBotonImprimirClick() {
    QPrinter printer;
    QPrintDialog dialogo(&printer, this);
    if (dialogo.exec() != QDialog::Accepted) return;
    imprimirEn(printer);
}
