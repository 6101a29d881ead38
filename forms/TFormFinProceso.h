#pragma once
// The end-of-process window of a delivery-note line transfer: "Importación de líneas TERMINADA"
// and one default button "Aceptar" that closes it with the OK result. An optional detail (the
// import's counts) is shown under the heading.

#include <QDialog>

class QLabel;
class QPushButton;

class TFormFinProceso : public QDialog {
    Q_OBJECT
public:
    explicit TFormFinProceso(QWidget* parent = nullptr);

    QPushButton* botonAceptar() const { return BotonAceptar; }
    // Text under the heading; empty hides it.
    void setDetalle(const QString& texto);
    QString detalle() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* LabelMensaje;
    QLabel* LabelDetalle;
    QPushButton* BotonAceptar;
};
