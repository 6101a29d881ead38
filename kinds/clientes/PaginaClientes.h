#pragma once
// The page of the clientes import: one press of "4º Paso : Cargar XLS" loads the workbook and writes it.

#include "ImportacionClientes.h"
#include "PaginaDatosClientes.h"

class PaginaClientes : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaClientes(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

    ImportacionClientes& importacion() { return importacion_; }

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;

private:
    ImportacionClientes importacion_;
};
