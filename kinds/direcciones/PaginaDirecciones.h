#pragma once
// The page of the direcciones import: one press of "4º Paso : Cargar XLS" loads the workbook and writes it.

#include "ImportacionDirecciones.h"
#include "PaginaDatosClientes.h"

class PaginaDirecciones : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaDirecciones(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

    ImportacionDirecciones& importacion() { return importacion_; }

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;

private:
    ImportacionDirecciones importacion_;
};
