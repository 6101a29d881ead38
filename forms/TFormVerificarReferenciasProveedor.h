#pragma once
// Supplier reference verification window; created at start and shown from the supplier
// price-list page.

#include <QDialog>

class TDatos;

class TFormVerificarReferenciasProveedor : public QDialog {
    Q_OBJECT
public:
    explicit TFormVerificarReferenciasProveedor(TDatos& datos, QWidget* parent = nullptr);

private:
    TDatos& datos_;
};
