// qdimport --kind tarifa-proveedor: the supplier price-list page's options on the command line,
// the column links as the linking window leaves them (--enlace "TITULO=CAMPO,…").
#include <cstdio>

#include "ImportacionTarifaProveedor.h"
#include "ListaProveedor.h"

namespace qd::cli {

namespace {

QCommandLineOption opcion(const QString& nombre, const QString& texto, const QString& valor = {}) {
    return QCommandLineOption(nombre, texto, valor);
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
void mostrarCambios(ImportacionTarifaProveedor& d) {
    TkvRxMemoryData& t = d.RxTarifaProveedor;
    const char* campos[] = {"PRECIO", "COSTOREAL", "DESCUENTO1", "DESCUENTO2", "DESCUENTO3", "DESCUENTO"};
    for (t.first(); t.recordCount() > 0 && !t.eof(); t.next()) {
        QStringList cambios;
        for (const char* c : campos) {
            const QString campo = QString::fromLatin1(c);
            const double nuevo = ImportacionTarifaProveedor::Redondear(t.value(campo).toDouble(), 2);
            const double anterior = ImportacionTarifaProveedor::Redondear(
                t.value(QStringLiteral("ANTERIOR_") + campo).toDouble(), 2);
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
    leerListaProveedor(d, p, o);
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
    o.CostosEnFicha = p.isSet(QStringLiteral("costes-ficha"));
    o.CodigoEAN = p.isSet(QStringLiteral("formato-ean"));
    o.ActualizarTarifas = p.isSet(QStringLiteral("actualizar-tarifas"));
    o.CatalogoWEB = p.isSet(QStringLiteral("catalogo-web"));
    const bool cambios = p.isSet(QStringLiteral("mostrar-cambios"));

    auto k = std::make_shared<ImportacionTarifaProveedor>(d);
    return Pasos{[k, o, cambios](const QString& libro) mutable {
                     o.Fichero = libro;
                     const int n = k->cargarTarifaProveedor(libro, o);
                     if (cambios) mostrarCambios(*k);
                     return n;
                 },
                 [k, o](const qd::OpcionesMotor& motor) mutable {
                     return k->confirmarTarifaProveedor(o, motor).motor;
                 }};
}

} // namespace

TipoImportacion tipoTarifaProveedor() {
    TipoImportacion t;
    t.nombre = QStringLiteral("tarifa-proveedor");
    t.descripcion = QStringLiteral("Tarifas Proveedor");
    const QString tp = QStringLiteral("Tarifa proveedor: ");
    t.opciones =
        opcionesListaProveedor(tp, QStringLiteral("REFERENCIA_PROVEEDOR, PRECIO, DESCUENTO, DESCUENTO2, "
                                                  "DESCUENTO3, COSTOREAL, CODIGOEAN, NOMBRE_ARTICULO"));
    // the three discounts, the three price lists and their discounts, as they are read above
    for (const QString& k : {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")})
        t.opciones << opcion(QStringLiteral("dto") + k,
                             tp + QStringLiteral("«Aplicar Nuevos Dtos.»: Dto. %1.").arg(k),
                             QStringLiteral("n"));
    t.opciones << opcion(QStringLiteral("dtos-en-costo-real"),
                         tp + QStringLiteral("aplicar los Dtos. en el costo real."));
    for (const QString& k : {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")})
        t.opciones << opcion(QStringLiteral("tarifa") + k,
                             tp + QStringLiteral("código de la Tarifa %1.").arg(k), QStringLiteral("codigo"));
    for (const QString& k : {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")})
        t.opciones << opcion(QStringLiteral("dto-tarifa") + k,
                             tp + QStringLiteral("Dto. de la Tarifa %1.").arg(k), QStringLiteral("n"));
    t.opciones += {
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

TipoImportacion tipoVerificarReferencias();

QList<TipoImportacion> tipos_tarifa_proveedor() {
    return {tipoTarifaProveedor(), tipoVerificarReferencias()};
}

} // namespace qd::cli
