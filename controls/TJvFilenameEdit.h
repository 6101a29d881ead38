#pragma once
// A file-name edit: a text box with a button that opens the file-open dialog. Only the dialog
// reports a chosen file (ficheroElegido); typing into the box does not.

#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

class TJvFilenameEdit : public QWidget {
    Q_OBJECT
public:
    explicit TJvFilenameEdit(QWidget* parent = nullptr);

    // The dialog's filters: the workbook filter first, then every type the readers take.
    static QString filtros();

    QString text() const;
    void setText(const QString& text);
    QLineEdit* edit() const { return edit_; }
    QToolButton* boton() const { return boton_; }

    // Opens the dialog; when a file is chosen it is shown in the box and reported.
    void abrirDialogo();
    // Replaces the dialog (tests): returns the chosen path, empty when cancelled.
    std::function<QString()> dialogo;

signals:
    void ficheroElegido(const QString& path);

private:
    QLineEdit* edit_;
    QToolButton* boton_;
};
