// qdimport --kind tarifa-proveedor: the supplier price-list page's options on the command line,
// the column links as the linking window leaves them (--enlace "TITULO=CAMPO,…").
#include <cstdio>

#include "TDatos.h"
#include "TipoImportacion.h"

namespace qd::cli {

namespace {

QCommandLineOption opcion(const QString& nombre, const QString& texto, const QString& valor = {}) {
    return QCommandLineOption(nombre, texto, valor);
}

int idObligatorio(TDatos& d, const QString& tabla, const QString& codigo) {
    const int id = idPorCodigo(d, tabla, codigo);
    if (id < 0)
        throw ErrorOpciones(
            QStringLiteral("no hay ningún registro de %1 con el código «%2» en el grupo de empresas %3")
                .arg(tabla, codigo)
                .arg(d.IdGrupoEmpresas));
    return id;
}

double descuento(const QCommandLineParser& p, const QString& nombre) {
    if (!p.isSet(nombre)) return 0;
    const QString texto = p.value(nombre).trimmed();
    bool bien = false;
    QString(texto).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&bien);
    if (!bien) throw ErrorOpciones(QStringLiteral("--%1 espera un número: «%2»").arg(nombre, texto));
    return qd::OpcionesTarifaProveedor::leerDescuento(texto);
}

// The staged rows whose price, real cost or discounts change, old value beside the new one.
void mostrarCambios(TDatos& d) {
    TkvRxMemoryData& t = d.RxTarifaProveedor;
    const char* campos[] = {"PRECIO", "COSTOREAL", "DESCUENTO1", "DESCUENTO2", "DESCUENTO3", "DESCUENTO"};
    for (t.first(); t.recordCount() > 0 && !t.eof(); t.next()) {
        QStringList cambios;
        for (const char* c : campos) {
            const QString campo = QString::fromLatin1(c);
            const double nuevo = TDatos::Redondear(t.value(campo).toDouble(), 2);
            const double anterior =
                TDatos::Redondear(t.value(QStringLiteral("ANTERIOR_") + campo).toDouble(), 2);
            if (nuevo != anterior)
                cambios << QStringLiteral("%1 %2 -> %3")
                               .arg(campo)
                               .arg(anterior, 0, 'f', 2)
                               .arg(nuevo, 0, 'f', 2);
        }
        if (!cambios.isEmpty())
            std::printf("%s\t%s\t%s\n",
                        t.value(QStringLiteral("REFERENCIA_PROVEEDOR")).toString().toLocal8Bit().constData(),
                        t.value(QStringLiteral("Codigo")).toString().toLocal8Bit().constData(),
                        cambios.join(QStringLiteral("; ")).toLocal8Bit().constData());
    }
    if (t.recordCount() > 0) t.first();
    std::fflush(stdout);
}

Pasos preparar(TDatos& d, const QCommandLineParser& p) {
    qd::OpcionesTarifaProveedor o;
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
    if (p.isSet(QStringLiteral("familia"))) {
        o.ambito = qd::OpcionesTarifaProveedor::Ambito::Familia;
        o.IdFamilia =
            idObligatorio(d, QStringLiteral("FAMILIASARTICULOS"), p.value(QStringLiteral("familia")));
    } else if (p.isSet(QStringLiteral("marca"))) {
        o.ambito = qd::OpcionesTarifaProveedor::Ambito::Marca;
        o.IdMarca = idObligatorio(d, QStringLiteral("MARCAS"), p.value(QStringLiteral("marca")));
    }
    for (int n = 0; n < 3; ++n) {
        const QString k = QString::number(n + 1);
        if (p.isSet(QStringLiteral("dto") + k)) o.AplicarDtos = true;
        o.Dtos[size_t(n)] = descuento(p, QStringLiteral("dto") + k);
        o.DtosTarifa[size_t(n)] = descuento(p, QStringLiteral("dto-tarifa") + k);
        if (p.isSet(QStringLiteral("tarifa") + k)) {
            o.CODTarifa[size_t(n)] = p.value(QStringLiteral("tarifa") + k);
            o.IDTarifa[size_t(n)] = idObligatorio(d, QStringLiteral("TARIFAS"), o.CODTarifa[size_t(n)]);
        }
    }
    o.DtosEnCostoReal = p.isSet(QStringLiteral("dtos-en-costo-real"));
    o.PrefijoReferencia = p.value(QStringLiteral("prefijo"));
    o.CostosEnFicha = p.isSet(QStringLiteral("costes-ficha"));
    o.CodigoEAN = p.isSet(QStringLiteral("formato-ean"));
    o.ActualizarTarifas = p.isSet(QStringLiteral("actualizar-tarifas"));
    o.CatalogoWEB = p.isSet(QStringLiteral("catalogo-web"));
    const bool cambios = p.isSet(QStringLiteral("mostrar-cambios"));

    return Pasos{[&d, o, cambios](const QString& libro) mutable {
                     o.Fichero = libro;
                     const int n = d.cargarTarifaProveedor(libro, o);
                     if (cambios) mostrarCambios(d);
                     return n;
                 },
                 [&d, o](const qd::OpcionesMotor& motor) mutable {
                     return d.confirmarTarifaProveedor(o, motor).motor;
                 }};
}

} // namespace

TipoImportacion tipoTarifaProveedor() {
    TipoImportacion t;
    t.nombre = QStringLiteral("tarifa-proveedor");
    t.descripcion = QStringLiteral("Tarifas Proveedor");
    const QString tp = QStringLiteral("Tarifa proveedor: ");
    t.opciones = {
        opcion(QStringLiteral("proveedor"), tp + QStringLiteral("código del proveedor."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("fila-titulos"), tp + QStringLiteral("fila de títulos (por defecto 1)."),
               QStringLiteral("N")),
        opcion(QStringLiteral("enlace"),
               tp + QStringLiteral(
                        "enlaces TITULO=CAMPO separados por comas (REFERENCIA_PROVEEDOR, PRECIO, DESCUENTO, "
                        "DESCUENTO2, DESCUENTO3, COSTOREAL, CODIGOEAN, NOMBRE_ARTICULO)."),
               QStringLiteral("lista")),
        opcion(QStringLiteral("familia"), tp + QStringLiteral("solo a la familia de ese código."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("marca"), tp + QStringLiteral("solo a la marca de ese código."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("dto1"), tp + QStringLiteral("«Aplicar Nuevos Dtos.»: Dto. 1."),
               QStringLiteral("n")),
        opcion(QStringLiteral("dto2"), tp + QStringLiteral("«Aplicar Nuevos Dtos.»: Dto. 2."),
               QStringLiteral("n")),
        opcion(QStringLiteral("dto3"), tp + QStringLiteral("«Aplicar Nuevos Dtos.»: Dto. 3."),
               QStringLiteral("n")),
        opcion(QStringLiteral("dtos-en-costo-real"),
               tp + QStringLiteral("aplicar los Dtos. en el costo real.")),
        opcion(QStringLiteral("prefijo"), tp + QStringLiteral("«Prefijo Referencia»."),
               QStringLiteral("texto")),
        opcion(QStringLiteral("tarifa1"), tp + QStringLiteral("código de la Tarifa 1."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("tarifa2"), tp + QStringLiteral("código de la Tarifa 2."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("tarifa3"), tp + QStringLiteral("código de la Tarifa 3."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("dto-tarifa1"), tp + QStringLiteral("Dto. de la Tarifa 1."),
               QStringLiteral("n")),
        opcion(QStringLiteral("dto-tarifa2"), tp + QStringLiteral("Dto. de la Tarifa 2."),
               QStringLiteral("n")),
        opcion(QStringLiteral("dto-tarifa3"), tp + QStringLiteral("Dto. de la Tarifa 3."),
               QStringLiteral("n")),
        opcion(QStringLiteral("costes-ficha"),
               tp + QStringLiteral("actualizar P.M.C. y P.U.C. en la ficha del Artículo.")),
        opcion(QStringLiteral("formato-ean"), tp + QStringLiteral("generar formato Código EAN.")),
        opcion(QStringLiteral("actualizar-tarifas"),
               tp + QStringLiteral("actualizar P.V.P. en las tarifas indicadas.")),
        opcion(QStringLiteral("catalogo-web"), tp + QStringLiteral("marcar referencias para Catálogo WEB.")),
        opcion(QStringLiteral("mostrar-cambios"),
               tp + QStringLiteral("mostrar los valores anteriores y nuevos que cambian.")),
    };
    t.preparar = &preparar;
    return t;
}

} // namespace qd::cli
