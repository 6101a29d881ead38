#pragma once
// The client, delivery-address and contact field lists' statements: which ticked entries become
// columns, and which entries of the client list switch the auxiliary step instead.

#include <QSet>
#include <QString>
#include <optional>

#include "ConstruirSentencias.h"
#include "FieldList.h"
#include "OpcionesClientes.h"

namespace qd {

class FieldList;

// Positions of the client list (suiCheckListBoxClientes) that the rules name.
struct ClientFields {
    enum Pos {
        kGrupoEmpresas = 0,
        kCodigo = 1,
        kObservaciones = 22,
        kBancos = 23,
        kAgenteVenta = 24,
        kZona = 25,
        kRuta = 26
    };
};

// CLIENTES: the ticked entries 0 to 22; new clients also get CARTERA and the three invoicing flags
// (1, 0, 0); an update sets the ticked columns the workbook has (`presentes`, see
// clientesPresentes) for IDCLIENTES = :OLD_IDCLIENTES.
SentenciasSql prepararSentenciasClientes(const FieldList& clientes,
                                         const std::optional<QSet<QString>>& presentes = std::nullopt);
// The columns of CLIENTES a loaded client workbook gives a value for: its headers, upper-cased,
// with each coded column standing for the column it fills (COD_TARIFA → TARIFA, …) and
// RAZONSOCIAL for NOMBRE (a client without a name takes its company name).
QSet<QString> clientesPresentes(const QSet<QString>& cabeceras);
// Entries 23 to 26: the parts of the auxiliary step.
AuxiliaresCliente auxiliaresCliente(const FieldList& clientes);

// DIRECCIONESENVIO: NOMBRE first, the ticked entries from 2 (after COD_CLIENTE and NOMBRE_ENVIO),
// CLIENTE last; an update never changes the address's client.
SentenciasSql prepararSentenciasDirecciones(const FieldList& direcciones,
                                            const std::optional<QSet<QString>>& presentes = std::nullopt);
// PERSONASCONTACTO: the ticked entries from 1, TELEFONO written as EXTENSION, CLIENTE last.
SentenciasSql prepararSentenciasContactos(const FieldList& contactos,
                                          const std::optional<QSet<QString>>& presentes = std::nullopt);
// Positions of the supplier list (suiCheckListBoxProveedores).
struct SupplierFields {
    enum Pos { kGrupoEmpresas = 0, kCodigo = 1, kBancos = 21 };
};

// PROVEEDORES: the ticked entries; new suppliers also get CARTERA. BANCOS stands for the bank
// columns and the IBAN (an update keeps the bank name and each account part the row gives none
// for, and sets the IBAN the writer binds); an update sets the ticked columns the workbook has
// (`presentes`, see proveedoresPresentes).
SentenciasSql prepararSentenciasProveedores(const FieldList& proveedores,
                                            const std::optional<QSet<QString>>& presentes = std::nullopt);
// As clientesPresentes for a supplier workbook; BANCOS when it has an account column.
QSet<QString> proveedoresPresentes(const QSet<QString>& cabeceras);

// Whether a list has a ticked entry from `desde` on (else its statements would have no column).
bool hayCamposMarcados(const FieldList& lista, int desde);

// The field lists of the client-family pages, with their items in order and their hints.
FieldList clientFieldList();   // suiCheckListBoxClientes
FieldList addressFieldList();  // suiCheckListBoxDirecciones
FieldList contactFieldList();  // suiCheckListBoxContactos
FieldList supplierFieldList(); // suiCheckListBoxProveedores
FieldList domicileFieldList(); // suiCheckListBoxDomiciliosCobro

} // namespace qd
