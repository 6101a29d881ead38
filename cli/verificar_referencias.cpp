// qdimport --kind verificar-referencias: the supplier reference verification as a report. It
// builds the supplier's work list (or reuses it), runs the workbook pass through the links and
// prints the rows whose stored and workbook values differ, one a line: code, stored reference,
// workbook reference, format code and workbook EAN, separated by tabs. The work list records the
// pass as the window does; the supplier records, the article cards and their formats are written
// only with --actualizar.
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

void imprimirDiferencias(TDatos& d) {
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
        o.ambito = qd::OpcionesVerificarReferencias::Ambito::Familia;
        o.IdFamilia =
            idObligatorio(d, QStringLiteral("FAMILIASARTICULOS"), p.value(QStringLiteral("familia")));
    } else if (p.isSet(QStringLiteral("marca"))) {
        o.ambito = qd::OpcionesVerificarReferencias::Ambito::Marca;
        o.IdMarca = idObligatorio(d, QStringLiteral("MARCAS"), p.value(QStringLiteral("marca")));
    }
    o.PrefijoReferencia = p.value(QStringLiteral("prefijo"));
    o.ActualizarArticulosProveedor = p.isSet(QStringLiteral("referencia-proveedor"));
    o.ActualizarProveedorHabitual = p.isSet(QStringLiteral("referencia-habitual"));
    o.ActualizarNombreArticulo = p.isSet(QStringLiteral("nombre-articulo"));
    o.CodigoEAN = p.isSet(QStringLiteral("formato-ean"));
    o.CatalogoWeb = p.isSet(QStringLiteral("catalogo-web"));
    o.VolverActualizar = p.isSet(QStringLiteral("volver-actualizar"));
    const bool actualizar = p.isSet(QStringLiteral("actualizar"));
    const bool vaciar = p.isSet(QStringLiteral("vaciar"));

    return Pasos{[&d, o, vaciar](const QString& libro) {
                     if (vaciar) d.Vaciar_Referencias_A_Verificar(o.IdProveedor);
                     d.cargarReferenciasAVerificar(o, false);
                     const int encontrados = d.verificarReferenciasExcel(libro, o).Encontrados;
                     imprimirDiferencias(d);
                     return encontrados;
                 },
                 [&d, o, actualizar](const qd::OpcionesMotor&) {
                     if (actualizar) d.actualizarReferenciasVerificadas(o);
                     return qd::ResultadoMotor{};
                 }};
}

} // namespace

TipoImportacion tipoVerificarReferencias() {
    TipoImportacion t;
    t.nombre = QStringLiteral("verificar-referencias");
    t.descripcion = QStringLiteral("Verificar referencias del Proveedor (informe)");
    const QString vr = QStringLiteral("Verificar referencias: ");
    t.opciones = {
        opcion(QStringLiteral("proveedor"), vr + QStringLiteral("código del proveedor."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("fila-titulos"), vr + QStringLiteral("fila de títulos (por defecto 1)."),
               QStringLiteral("N")),
        opcion(
            QStringLiteral("enlace"),
            vr + QStringLiteral("enlaces TITULO=CAMPO separados por comas (REFERENCIA_PROVEEDOR, CODIGOEAN, "
                                "NOMBRE_ARTICULO)."),
            QStringLiteral("lista")),
        opcion(QStringLiteral("familia"), vr + QStringLiteral("solo a la familia de ese código."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("marca"), vr + QStringLiteral("solo a la marca de ese código."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("prefijo"), vr + QStringLiteral("«Prefijo Referencia»."),
               QStringLiteral("texto")),
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
