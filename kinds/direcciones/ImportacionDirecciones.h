#pragma once
// The delivery-address import: rows of existing clients (found by COD_CLIENTE), written
// insert-or-update by the address's name for its client.
#include <QString>
#include <QStringList>
#include <QVariant>

#include "ComunClientes.h"

class ImportacionDirecciones : public ComunClientes {
public:
    explicit ImportacionDirecciones(TDatos& datos);
    ImportacionDirecciones(const ImportacionDirecciones&) = delete;
    ImportacionDirecciones& operator=(const ImportacionDirecciones&) = delete;

    TkvRxMemoryData kvRxMDDireccionesCli; // staging table of the delivery addresses

    int cargarDirecciones(const QString& fichero, const OpcionesClientes& o);
    ResumenClientes confirmarDirecciones(const OpcionesClientes& o, const qd::FieldList& campos,
                                         const qd::OpcionesMotor& motor = {});
    void CargarRxDireccionesClientes();
    ResumenClientes Insertar_Direcciones_Clientes(bool SoloNuevos, const qd::SentenciasSql& sentencias);

private:
    void Definir_kvRxMDDireccionesCli();
};
