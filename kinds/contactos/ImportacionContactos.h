#pragma once
// The contact import: contact persons of existing clients (found by COD_CLIENTE), written
// insert-or-update by the contact's name for its client.
#include <QString>
#include <QStringList>
#include <QVariant>

#include "ComunClientes.h"

class ImportacionContactos : public ComunClientes {
public:
    explicit ImportacionContactos(TDatos& datos);
    ImportacionContactos(const ImportacionContactos&) = delete;
    ImportacionContactos& operator=(const ImportacionContactos&) = delete;

    TkvRxMemoryData kvRxMDContactosCli; // staging table of the contact persons

    int cargarContactos(const QString& fichero, const OpcionesClientes& o);
    ResumenClientes confirmarContactos(const OpcionesClientes& o, const qd::FieldList& campos,
                                       const qd::OpcionesMotor& motor = {});
    void CargarRxContactosClientes();
    ResumenClientes Insertar_Contactos_Clientes(bool SoloNuevos, const qd::SentenciasSql& sentencias);

private:
    void Definir_kvRxMDContactosCli();
};
