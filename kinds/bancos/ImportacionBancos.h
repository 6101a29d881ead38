#pragma once
// The import of clients' bank accounts as their collection domiciles.
#include <QString>
#include <QStringList>
#include <QVariant>

#include "ComunClientes.h"

class ImportacionBancos : public ComunClientes {
public:
    explicit ImportacionBancos(TDatos& datos);
    ImportacionBancos(const ImportacionBancos&) = delete;
    ImportacionBancos& operator=(const ImportacionBancos&) = delete;

    TkvRxMemoryData kvRxMDDomiciliosCobro; // staging table of the bank-account import
    int cargarBancos(const QString& fichero);
    // Writes the staged accounts when the four entries of the list are ticked; refuses otherwise.
    ResumenClientes confirmarBancos(const qd::FieldList& campos, const qd::OpcionesMotor& motor = {});
    void CargarRxDomiciliosCobro();
    ResumenClientes Preparar_Sentencias_DomiciliosCobro();

private:
    void Definir_kvRxMDDomiciliosCobro();
};
