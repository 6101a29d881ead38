#pragma once
// The page of the bancos import: one press of "4º Paso : Cargar XLS" loads the workbook and writes it.

#include "ImportacionBancos.h"
#include "PaginaDatosClientes.h"

// "Clientes - Bancos": no defaults window and no only-new tick.
class PaginaBancos : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaBancos(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

    ImportacionBancos& importacion() { return importacion_; }

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;

private:
    ImportacionBancos importacion_;
};
