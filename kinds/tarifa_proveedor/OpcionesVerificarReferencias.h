#pragma once
// The supplier reference verification's options (which rows are shown and in what order, the
// workbook pass, the write-back) and its counters.

#include <QString>
#include <QStringList>

#include "OpcionesTarifaProveedor.h"

namespace qd {

struct OpcionesVerificarReferencias {
    int IdProveedor = 0;
    QString CodigoProveedor, NombreProveedor;
    // Scope of the rows shown (never of the filling).
    using Ambito = OpcionesTarifaProveedor::Ambito;
    Ambito ambito = Ambito::Todos;
    int IdFamilia = 0, IdMarca = 0;
    // "Productos a Visualizar".
    enum class Visualizar {
        Todos,
        Verificados,
        SinVerificar,
        Actualizados,
        SinActualizar,
        Manuales,
        CatalogoWeb,
        SinCodigoEAN
    };
    Visualizar visualizar = Visualizar::Todos;
    // Order key of the rows shown (a column with its table's alias) and its direction.
    QString Orden = QStringLiteral("AV.CODIGO");
    bool Descendente = false;

    // Workbook pass: the title row, the links "TITULO<-->CAMPO" and the reference prefix.
    int FilaTitulos = 1;
    QStringList Enlaces;
    QString PrefijoReferencia;

    // Write-back.
    bool ActualizarArticulosProveedor = false; // the supplier-article record's reference
    bool ActualizarProveedorHabitual = false;  // the article card's supplier reference
    bool ActualizarNombreArticulo = false;     // the card's name from the workbook's
    bool CodigoEAN = false;                    // EAN format of the article
    bool CatalogoWeb = false;                  // mark the written records for the web catalogue
    bool VolverActualizar = false;             // write rows already written again

    // The entries of the list, in order (the index is a Visualizar).
    static QStringList entradasVisualizar();
    // The condition a list entry adds to the select (empty for "Todos").
    static QString filtroVisualizar(Visualizar v);
};

struct ResumenVerificarReferencias {
    int Encontrados = 0;  // workbook pass: rows found
    int Actualizados = 0; // write-back: rows written
    int FormatosCreados = 0;
    bool cancelado = false;
    QString texto;
};

} // namespace qd
