#pragma once
// The page of the contactos import: one press of "4º Paso : Cargar XLS" loads the workbook and writes it.

#include "ImportacionContactos.h"
#include "PaginaDatosClientes.h"

class PaginaContactos : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaContactos(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

    ImportacionContactos& importacion() { return importacion_; }

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;

private:
    ImportacionContactos importacion_;
};
