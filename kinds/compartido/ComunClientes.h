#pragma once
// What the client-family kinds share (clients, delivery addresses, contacts, suppliers and bank
// accounts): the defaults of new clients and of codes not found, the coded look-ups of a client
// row, the loader of coded rows, the collection domicile of an account, the summary counts.
// Each of those kinds derives from it.
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "ColumnasBD.h"
#include "OpcionesClientes.h"
#include "TDatos.h"

class ComunClientes {
public:
    explicit ComunClientes(TDatos& datos) : d(datos) {}
    ComunClientes(const ComunClientes&) = delete;
    ComunClientes& operator=(const ComunClientes&) = delete;

    TDatos& d; // the data module: connection, channel, shared steps
    // The database's column lengths and IDs asked by the running load (forgotten at its start).
    qd::ColumnasBD columnasBD{d};

    using OpcionesClientes = qd::OpcionesClientes;
    using ResumenClientes = qd::ResumenClientes;

    // Defaults of new clients and of codes not found (the defaults window's choice).
    int TarifaDef = 0, FormaPagoDef = 0, CarteraDef = 0, RegimenIVADef = 0, MonedaDef = 0,
        GrupoEmpresasDef = 0;
    // The portfolio of the payment method the last COD_FPAGO lookup found (null: it has none).
    QVariant IdCarteraAsociada;
    void ponerDatosDefecto(const qd::DatosDefectoClientes& d);
    // The counts of a client, address, contact or supplier run, as the summary shows them.
    static QString Cuentas_Clientes(const ResumenClientes& r);
    qd::DatosDefectoClientes datosDefecto() const;
    // The defaults the window starts with: the lowest code of each table (price lists of the
    // launch company group; the launch company group itself when it exists). 0 when a table is empty.
    qd::DatosDefectoClientes datosDefectoIniciales();
    // The defaults by code (an empty code keeps the initial default); a code that is not found is
    // refused (ErrorImportacion naming it).
    qd::DatosDefectoClientes datosDefectoPorCodigo(const QString& grupoEmpresas, const QString& regimenIva,
                                                   const QString& formaPago, const QString& tarifa,
                                                   const QString& moneda);
    // The statements of the defaults window's lookups (the window shows them; the initial defaults
    // read their first row).
    static QString selectDatosDefecto(int cual); // 0 group, 1 VAT regime, 2 payment, 3 price list, 4 currency
    static QStringList lineasDatosDefecto(int cual); // the same, one text per line

    // The client loader over any staging table of its kind, whose rows go to `tablaDestino`
    // (CLIENTES, PROVEEDORES): the coded columns of the given BuscarID_Clientes indexes (the others
    // are ignored), staged fields by name, "CuentaBancoCCC" split (with `calcularDC`, check digits
    // "00" computed), CODIGO required. Codes are never cut: a row whose CODIGO does not fit is
    // not loaded, a coded column's code that does not fit is not used (its field left empty; the
    // row is not loaded when the field is required). An ID given directly must be in its table,
    // or the row is not loaded (GRUPOEMPRESAS takes the launch company group instead). An account
    // is 20 digits, and each part given in a column of its own has its own number of digits;
    // anything else is not used.
    void Cargar_Filas_Codificadas(TkvRxMemoryData& t, const QList<int>& codificadas, bool calcularDC,
                                  const QString& tablaDestino);
    // 0 when a code fits the CODIGO column of `tabla` and, when `tope` > 0, a staged field of that
    // size; otherwise the length it does not fit in.
    int Codigo_No_Cabe(const QString& codigo, const QString& tabla, int tope = 0);
    // «tiene N caracteres y el código admite M»: why such a code is not taken.
    static QString Texto_Codigo_Largo(const QString& codigo, int admite);
    // Whether a staged field holds the ID of another table (TARIFA, FORMAPAGO, CARTERA, REGIMENIVA,
    // TIPOCLIENTE, GRUPOCLIENTES, MONEDA, GRUPOEMPRESAS, CLIENTE).
    static bool Es_Campo_Id(const QString& campo);
    // Stores the ID a cell gives for such a field when its table has it (an empty cell is stored
    // as any cell is). Otherwise the field is left null and the reason is returned.
    QString Poner_Id_Staging(TkvRxMemoryData& t, int campo, int fila, int columna);
    // The ID of a code in the table of index Tabla_Busqueda (0 price list, 1 payment method, 2 VAT
    // regime, 3 client type, 4 client group, 5 currency, 6 company group, 8 zone, 9 route, 10 agent);
    // a code not found gives the chosen default (0, 1, 2, 5, 6) or null. 1 also sets IdCarteraAsociada.
    QVariant BuscarID_Clientes(int Tabla_Busqueda, const QString& Codigo_Busqueda);
    // A client's bank account as a collection domicile: the placeholder account (bank and branch
    // "0000") goes, the first account is the principal one, the same account is kept once (false).
    struct DomicilioCobro {
        QString nombre, banco, sucursal, dc, cuenta, paisIban, dcIban;
    };
    bool Insertar_Domicilio_Cobro(int IdCliente, const DomicilioCobro& domicilio);
    // The code of the first country whose name holds the given one ("ES" when none, or no name).
    QString Codigo_Pais(const QString& NombrePais);

protected:
    // The first row's first column of a query with its parameters bound by name; null when none.
    static QVariant primero(TDatos& d, const QString& sql, const QList<QPair<QString, QVariant>>& parametros);
    // The rows of the last load that it did not stage (counted for the summary).
    int descartadasCarga_ = 0;
    bool busquedaHallada_ = false;            // the last BuscarID_Clientes found its code
    QHash<QString, QVariant> cacheBusquedas_; // code lookups of the running load ("index|code")
};
