#pragma once
// The linking window of the supplier price list: the workbook's titles on the left, the fields a
// title can be linked to in the middle, and the links made ("TITULO<-->CAMPO") on the right.
// ">" links the selected title and field, "<" undoes the selected link, "<<" undoes them all;
// "&Aceptar" closes with AceptarSN true, "&Salir" (or any other way of closing) with it false.

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

class TFormCrearEnlaceEntreColumnas : public QDialog {
    Q_OBJECT
public:
    explicit TFormCrearEnlaceEntreColumnas(const QStringList& titulos, QWidget* parent = nullptr);

    bool AceptarSN = false;
    // The links made, in the order they were made.
    QStringList enlaces() const;

    QListWidget* ListBoxExcel;
    QListWidget* ListBoxQuenda;
    QListWidget* ListBoxSeleccionados;
    QPushButton* ButtonPasaraVisualizar;
    QPushButton* ButtonPasaraDefecto;
    QPushButton* ButtonPasaraDefectoTodas;
    QPushButton* BotonConfirmar;
    QPushButton* SpeedButtonCerrar;

private:
    void pasarAVisualizar();
    void pasarADefecto();
    void pasarADefectoTodas();

    QStringList titulosIniciales_;
};
