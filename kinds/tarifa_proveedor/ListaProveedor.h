#pragma once
// What the supplier price list and the reference verification take alike on the command line:
// the supplier by code, the title row, the column links as the linking window leaves them
// (--enlace "TITULO=CAMPO,…"), the scope (a family or a brand) and the reference prefix.
#include <QCommandLineOption>
#include <QList>

#include "TDatos.h"
#include "TipoImportacion.h"

namespace qd::cli {

// The ID of a code of the company group; an unknown code refuses the options.
inline int idObligatorio(TDatos& d, const QString& tabla, const QString& codigo) {
    const int id = idPorCodigo(d, tabla, codigo);
    if (id < 0)
        throw ErrorOpciones(
            QStringLiteral("no hay ningún registro de %1 con el código «%2» en el grupo de empresas %3")
                .arg(tabla, codigo)
                .arg(d.IdGrupoEmpresas));
    return id;
}

// The shared options, their help texts starting with `tema` ("Tarifa proveedor: "); `campos` lists
// the fields a title can be linked to.
inline QList<QCommandLineOption> opcionesListaProveedor(const QString& tema, const QString& campos) {
    return {
        QCommandLineOption(QStringLiteral("proveedor"), tema + QStringLiteral("código del proveedor."),
                           QStringLiteral("codigo")),
        QCommandLineOption(QStringLiteral("fila-titulos"),
                           tema + QStringLiteral("fila de títulos (por defecto 1)."), QStringLiteral("N")),
        QCommandLineOption(QStringLiteral("enlace"),
                           tema +
                               QStringLiteral("enlaces TITULO=CAMPO separados por comas (%1).").arg(campos),
                           QStringLiteral("lista")),
        QCommandLineOption(QStringLiteral("familia"),
                           tema + QStringLiteral("solo a la familia de ese código."),
                           QStringLiteral("codigo")),
        QCommandLineOption(QStringLiteral("marca"), tema + QStringLiteral("solo a la marca de ese código."),
                           QStringLiteral("codigo")),
        QCommandLineOption(QStringLiteral("prefijo"), tema + QStringLiteral("«Prefijo Referencia»."),
                           QStringLiteral("texto")),
    };
}

// Fills the shared fields of either kind's options (IdProveedor, CodigoProveedor, NombreProveedor,
// FilaTitulos, Enlaces, ambito, IdFamilia, IdMarca, PrefijoReferencia).
template <class Opciones> void leerListaProveedor(TDatos& d, const QCommandLineParser& p, Opciones& o) {
    if (!p.isSet(QStringLiteral("proveedor")))
        throw ErrorOpciones(QStringLiteral("indique el proveedor: --proveedor CODIGO"));
    o.CodigoProveedor = p.value(QStringLiteral("proveedor"));
    o.IdProveedor = idObligatorio(d, QStringLiteral("PROVEEDORES"), o.CodigoProveedor);
    {
        qd::fb::Statement s(&d.IBDatabase, &d.IBTransaction1);
        s.setSql(QStringLiteral("SELECT NOMBRE FROM PROVEEDORES WHERE IDPROVEEDORES = :Id"));
        s.paramByName(QStringLiteral("Id")).setInt(o.IdProveedor);
        s.execute();
        if (!s.eof()) o.NombreProveedor = s.field(0).asString().trimmed();
        s.close();
    }
    o.FilaTitulos = entero(p, QStringLiteral("fila-titulos"), 1);
    if (o.FilaTitulos < 1) throw ErrorOpciones(QStringLiteral("--fila-titulos espera un número mayor que 0"));
    for (const QString& enlace :
         p.value(QStringLiteral("enlace")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int igual = enlace.lastIndexOf(QLatin1Char('='));
        if (igual <= 0) throw ErrorOpciones(QStringLiteral("--enlace espera TITULO=CAMPO: «%1»").arg(enlace));
        o.Enlaces << enlace.left(igual).trimmed().toUpper() + QStringLiteral("<-->") +
                         enlace.mid(igual + 1).trimmed().toUpper();
    }
    using Ambito = decltype(o.ambito);
    if (p.isSet(QStringLiteral("familia"))) {
        o.ambito = Ambito::Familia;
        o.IdFamilia =
            idObligatorio(d, QStringLiteral("FAMILIASARTICULOS"), p.value(QStringLiteral("familia")));
    } else if (p.isSet(QStringLiteral("marca"))) {
        o.ambito = Ambito::Marca;
        o.IdMarca = idObligatorio(d, QStringLiteral("MARCAS"), p.value(QStringLiteral("marca")));
    }
    o.PrefijoReferencia = p.value(QStringLiteral("prefijo"));
}

} // namespace qd::cli
