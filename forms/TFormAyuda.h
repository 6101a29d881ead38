#pragma once
// The extended help window: a title, a read-only rich-text box, "Imprimir" and "Salir".

#include <QDialog>
#include <QString>

class QLabel;
class QPrinter;
class QPushButton;
class QTextDocument;
class QTextEdit;

class TFormAyuda : public QDialog {
    Q_OBJECT
public:
    explicit TFormAyuda(QWidget* parent = nullptr);

    // The title is the window's caption, the heading above the text and the printed document's
    // name.
    void setTitulo(const QString& titulo);
    QString titulo() const { return titulo_; }

    // The text to show: a copy of `doc`, or HTML. The caret is placed at the start.
    void setDocumento(const QTextDocument* doc);
    void setHtml(const QString& html);

    QTextEdit* RichEdit1() const { return RichEdit1_; }

    // Prints the text on `printer`, with the title as the document name.
    void imprimirEn(QPrinter& printer);

private slots:
    // "Imprimir": asks for a printer and prints when the dialog is confirmed.
    void kvBotonImprimirClick();

private:
    void caretAlInicio();

    QString titulo_;
    QLabel* LabelTitulo_ = nullptr;
    QTextEdit* RichEdit1_ = nullptr;
    QPushButton* kvBotonImprimir_ = nullptr;
    QPushButton* kvBotonSalir_ = nullptr;
};
