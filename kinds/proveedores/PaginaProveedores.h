#pragma once
// The page of the proveedores import: one press of "4º Paso : Cargar XLS" loads the workbook and writes it.

#include "ImportacionProveedores.h"
#include "PaginaDatosClientes.h"

class PaginaProveedores : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaProveedores(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

    ImportacionProveedores& importacion() { return importacion_; }

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;

private:
    ImportacionProveedores importacion_;
};
