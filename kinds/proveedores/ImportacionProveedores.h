#pragma once
// The supplier import: coded rows as the clients', account check digits computed, the IBAN from
// the country.
#include <QString>
#include <QStringList>
#include <QVariant>

#include "ComunClientes.h"

class ImportacionProveedores : public ComunClientes {
public:
    explicit ImportacionProveedores(TDatos& datos);
    ImportacionProveedores(const ImportacionProveedores&) = delete;
    ImportacionProveedores& operator=(const ImportacionProveedores&) = delete;

    TkvRxMemoryData kvRxMDProveedores; // staging table of the supplier import
    int cargarProveedores(const QString& fichero, const OpcionesClientes& o);
    ResumenClientes confirmarProveedores(const OpcionesClientes& o, const qd::FieldList& campos,
                                         const qd::OpcionesMotor& motor = {});
    void CargarRxProveedores();
    // `bancos`: BANCOS ticked (the account and, when the row names its country, the IBAN).
    ResumenClientes Insertar_Proveedores(bool SoloNuevos, const qd::SentenciasSql& sentencias, bool bancos);

private:
    void Definir_kvRxMDProveedores();
};
