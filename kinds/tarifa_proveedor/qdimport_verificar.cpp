// qdimport --kind verificar-referencias: the supplier reference verification as a report. It
// builds the supplier's work list (or reuses it), runs the workbook pass through the links and
// prints the rows whose stored and workbook values differ, one a line: code, stored reference,
// workbook reference, format code and workbook EAN, separated by tabs. The work list records the
// pass as the window does; the supplier records, the article cards and their formats are written
// only with --actualizar.
#include <cstdio>

#include "ImportacionTarifaProveedor.h"
#include "ListaProveedor.h"

namespace qd::cli {

namespace {

QCommandLineOption opcion(const QString& nombre, const QString& texto, const QString& valor = {}) {
    return QCommandLineOption(nombre, texto, valor);
}

void imprimirDiferencias(ImportacionTarifaProveedor& d) {
    TkvIBDataSet& ds = d.tArticulos_Ref_A_Verificar;
    auto texto = [&ds](int fila, const char* campo) {
        return ds.valueAt(fila, ds.fieldIndex(QString::fromLatin1(campo))).toString().trimmed();
    };
    for (int f = 0; f < ds.recordCount(); ++f)
        if (d.Referencia_Difiere(f))
            std::printf("%s\t%s\t%s\t%s\t%s\n", texto(f, "CODIGO").toLocal8Bit().constData(),
                        texto(f, "REFERENCIA_PROVEEDOR").toLocal8Bit().constData(),
                        texto(f, "EXCEL_REFERENCIA_PROVEEDOR").toLocal8Bit().constData(),
                        texto(f, "CODIGOFORMATO").toLocal8Bit().constData(),
                        texto(f, "EXCEL_CODIGOEAN").toLocal8Bit().constData());
    std::fflush(stdout);
}

Pasos preparar(TDatos& d, const QCommandLineParser& p) {
    qd::OpcionesVerificarReferencias o;
    // Every step commits as it goes (the work list is persistent): a dry run cannot be offered.
    if (p.isSet(QStringLiteral("simular")))
        throw ErrorOpciones(QStringLiteral("--simular no se aplica a verificar-referencias: sin --actualizar "
                                           "solo se escribe la tabla de verificación"));
    leerListaProveedor(d, p, o);
    o.ActualizarArticulosProveedor = p.isSet(QStringLiteral("referencia-proveedor"));
    o.ActualizarProveedorHabitual = p.isSet(QStringLiteral("referencia-habitual"));
    o.ActualizarNombreArticulo = p.isSet(QStringLiteral("nombre-articulo"));
    o.CodigoEAN = p.isSet(QStringLiteral("formato-ean"));
    o.CatalogoWeb = p.isSet(QStringLiteral("catalogo-web"));
    o.VolverActualizar = p.isSet(QStringLiteral("volver-actualizar"));
    const bool actualizar = p.isSet(QStringLiteral("actualizar"));
    const bool vaciar = p.isSet(QStringLiteral("vaciar"));

    auto k = std::make_shared<ImportacionTarifaProveedor>(d);
    return Pasos{[k, o, vaciar](const QString& libro) {
                     if (vaciar) k->Vaciar_Referencias_A_Verificar(o.IdProveedor);
                     k->cargarReferenciasAVerificar(o, false);
                     const int encontrados = k->verificarReferenciasExcel(libro, o).Encontrados;
                     imprimirDiferencias(*k);
                     return encontrados;
                 },
                 [k, o, actualizar](const qd::OpcionesMotor&) {
                     if (actualizar) k->actualizarReferenciasVerificadas(o);
                     return qd::ResultadoMotor{};
                 }};
}

} // namespace

TipoImportacion tipoVerificarReferencias() {
    TipoImportacion t;
    t.nombre = QStringLiteral("verificar-referencias");
    t.descripcion = QStringLiteral("Verificar referencias del Proveedor (informe)");
    const QString vr = QStringLiteral("Verificar referencias: ");
    t.opciones =
        opcionesListaProveedor(vr, QStringLiteral("REFERENCIA_PROVEEDOR, CODIGOEAN, NOMBRE_ARTICULO"));
    t.opciones += {
        opcion(QStringLiteral("vaciar"),
               vr + QStringLiteral("limpiar la tabla de verificación y volverla a cargar.")),
        opcion(QStringLiteral("actualizar"),
               vr + QStringLiteral("escribir las filas verificadas («&Actualizar»).")),
        opcion(QStringLiteral("referencia-proveedor"),
               vr + QStringLiteral("actualizar referencia en Artículos Proveedor.")),
        opcion(QStringLiteral("referencia-habitual"),
               vr + QStringLiteral("actualizar referencia Proveedor Habitual.")),
        opcion(QStringLiteral("nombre-articulo"),
               vr + QStringLiteral("actualizar Nombre Artículo = Nombre Artículo Excel.")),
        opcion(QStringLiteral("volver-actualizar"),
               vr + QStringLiteral("volver a actualizar los productos ya actualizados.")),
    };
    t.preparar = &preparar;
    return t;
}

} // namespace qd::cli
