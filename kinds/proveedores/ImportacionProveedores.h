#pragma once
// The supplier import: coded rows as the clients', account check digits computed, the IBAN always
// that of the account stored.
#include <QString>
#include <QStringList>
#include <QVariant>

#include "ComunClientes.h"
#include "FbStatement.h"

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
    // `bancos`: BANCOS ticked (the bank name, the account parts the row gives and the IBAN of the
    // account stored).
    ResumenClientes Insertar_Proveedores(bool SoloNuevos, const qd::SentenciasSql& sentencias, bool bancos);

private:
    void Definir_kvRxMDProveedores();
    // Binds the bank name, the account parts and the IBAN of the current staged row for the
    // supplier `id` (0: a new one); `guardada` reads a supplier's stored account.
    void Enlazar_Cuenta(qd::fb::Statement& sentencia, int id, qd::fb::Statement& guardada);
};
