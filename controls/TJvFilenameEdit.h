#pragma once
// A file-name edit: a text box with a button that opens the file-open dialog. The path in the box
// is the file that is loaded: a file chosen in the dialog is shown in the box and reported
// (ficheroElegido); a path typed into the box is reported when its edit is finished (when it
// differs from the last path reported) and each time it is handed out for loading.

#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

class TJvFilenameEdit : public QWidget {
    Q_OBJECT
public:
    explicit TJvFilenameEdit(QWidget* parent = nullptr);

    // The dialog's filters: every type the readers take first, then one filter per type.
    static QString filtros();

    QString text() const;
    // Shows a path without reporting it; a finished edit that leaves it unchanged reports nothing.
    void setText(const QString& text);
    QLineEdit* edit() const { return edit_; }
    QToolButton* boton() const { return boton_; }

    // The file to load: the path in the box (trimmed, a leading ~ is the home folder) when it
    // names an existing file; it is reported first, so that whoever shares the path follows.
    // Empty, with a message in *error, when the box names something missing or not a file.
    // Empty without a message when the box is empty: the caller then opens the dialog.
    QString ficheroParaCargar(QString* error = nullptr);

    // Opens the dialog; when a file is chosen it is shown in the box and reported.
    void abrirDialogo();
    // Replaces the dialog (tests): returns the chosen path, empty when cancelled.
    std::function<QString()> dialogo;

signals:
    void ficheroElegido(const QString& path);

private:
    QString rutaEscrita() const;
    void informar(const QString& path);

    QLineEdit* edit_;
    QToolButton* boton_;
    QString informado_; // the path last reported (or shown through setText)
};
