#pragma once
// The quick help and incidence window: stays on top, centred on the desktop, a read-only
// rich-text box with an optional heading above it and an information line below it; Esc closes
// it. Shown modally by whoever creates it.

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QTextEdit;

class TFormAyudaRapida : public QDialog {
    Q_OBJECT
public:
    explicit TFormAyudaRapida(QWidget* parent = nullptr);

    // Appends each text as one paragraph of plain text (no markup is interpreted).
    void appendLines(const QStringList& lineas);
    // Appends one paragraph; a heading is shown bold and underlined.
    void appendLine(const QString& linea, bool encabezado = false);
    // A line shown below the text (for instance, where the incidence file was written); empty
    // hides it.
    void setInfoText(const QString& texto);
    // A heading shown above the text; empty hides it.
    void setTitulo(const QString& titulo);

    QTextEdit* RichEdit1() const { return RichEdit1_; }
    QString infoText() const;
    QString titulo() const;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void centrar();

    QLabel* LabelTitulo_ = nullptr;
    QTextEdit* RichEdit1_ = nullptr;
    QLabel* LabelInfo_ = nullptr;
    bool tieneLineas_ = false; // a line has been appended
};
