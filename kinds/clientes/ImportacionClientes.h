#pragma once
// The client import: the staging table kvRxMDClientes with its new-record defaults, its loader
// CargarRxClientes, the writer Insertar_Clientes and the auxiliary step (bank account, agent, zone
// and route of the client just written).
#include <QString>
#include <QStringList>
#include <QVariant>

#include "ComunClientes.h"

class ImportacionClientes : public ComunClientes {
public:
    explicit ImportacionClientes(TDatos& datos);
    ImportacionClientes(const ImportacionClientes&) = delete;
    ImportacionClientes& operator=(const ImportacionClientes&) = delete;

    TkvRxMemoryData kvRxMDClientes; // staging table of the client import

    int cargarClientes(const QString& fichero, const OpcionesClientes& o);
    ResumenClientes confirmarClientes(const OpcionesClientes& o, const qd::FieldList& campos,
                                      const qd::OpcionesMotor& motor = {});
    void CargarRxClientes();
    ResumenClientes Insertar_Clientes(bool SoloNuevos, const qd::SentenciasSql& sentencias,
                                      const qd::AuxiliaresCliente& aux);
    // What the current staged client says beyond CLIENTES (its bank account, agent, zone and
    // route), for the client just written (AuxiliaresCliente.cpp).
    void InsertarDatosAuxiliaresCliente(int IdClienteIns, const qd::AuxiliaresCliente& que);
    // The ID of an agent, zone or route by its code, created (code as name) when missing.
    enum class TablaAuxiliar { Agente, Zona, Ruta };
    int Buscar_O_Crear_Auxiliar(TablaAuxiliar tabla, const QString& Codigo);

private:
    void Definir_kvRxMDClientes();
};
