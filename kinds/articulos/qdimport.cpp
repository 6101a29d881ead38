// qdimport --kind articulos: the article page's options on the command line.
#include "CamposArticulos.h"
#include "ExcelIni.h"
#include "ImportacionArticulos.h"
#include "ModuleFiles.h"

#include "TipoImportacion.h"
#include <memory>

namespace qd::cli {

namespace {

QCommandLineOption opcion(const QString& nombre, const QString& texto, const QString& valor = {},
                          const QString& porDefecto = {}) {
    return QCommandLineOption(nombre, texto, valor, porDefecto);
}

// The field list as the window would have it: ticks from Excel.ini, the first-run ticks and what
// the page's buttons and radios do to them; or, with --fields, the given ticks as the user would
// set them on that page (the list's rules then apply, as after any user tick).
qd::FieldList listaCampos(const QCommandLineParser& p, const qd::ArticleControls& controles) {
    qd::FieldList campos = qd::articleFieldList();
    const QString ini = p.isSet(QStringLiteral("excel-ini"))
                            ? p.value(QStringLiteral("excel-ini"))
                            : qd::moduleFilePath(QStringLiteral("Excel.ini"));
    if (const QString problema = qd::ExcelIni::problemaFichero(ini); !problema.isEmpty())
        throw ErrorOpciones(QStringLiteral("--excel-ini: %1").arg(problema));
    qd::ExcelIni::loadArticleTicks(campos, ini);
    campos.setInitialTicks();
    qd::setArticleControls(campos, controles);
    if (p.isSet(QStringLiteral("fields"))) {
        for (int i = 0; i <= qd::ArticleFields::kPrecioMedioCosteEstandard; ++i)
            campos.setChecked(i, false);
        for (const QString& nombre :
             p.value(QStringLiteral("fields")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const int pos = campos.indexOf(nombre.trimmed().toUpper());
            if (pos < 0 || pos > qd::ArticleFields::kPrecioMedioCosteEstandard)
                throw ErrorOpciones(
                    QStringLiteral("--fields: «%1» no es un campo de artículos").arg(nombre.trimmed()));
            campos.setChecked(pos, true);
        }
        campos.applyRules();
    }
    return campos;
}

Pasos preparar(TDatos& d, const QCommandLineParser& p) {
    const bool alta = p.isSet(QStringLiteral("create")), actualizar = p.isSet(QStringLiteral("update")),
               pvp = p.isSet(QStringLiteral("pvp")), stock = p.isSet(QStringLiteral("stock"));
    if (!alta && !actualizar && !pvp && !stock)
        throw ErrorOpciones(QStringLiteral("indique al menos un modo: --create, --update, --pvp o --stock"));
    const QString busqueda = p.value(QStringLiteral("match")).toLower();
    if (busqueda != QStringLiteral("codigo") && busqueda != QStringLiteral("referencia"))
        throw ErrorOpciones(QStringLiteral("--match espera «codigo» o «referencia»"));
    const bool porCodigo = busqueda == QStringLiteral("codigo");
    // The page does not allow creating articles while matching by supplier reference.
    if (alta && !porCodigo)
        throw ErrorOpciones(QStringLiteral("--create no se puede combinar con --match referencia"));

    qd::OpcionesArticulos o = qd::OpcionesArticulos::desdeModos(alta, actualizar, pvp, stock);
    o.OpcionBusqueda = porCodigo;
    o.PonerStockActual = !p.isSet(QStringLiteral("stock-inicial"));
    o.UsarTopeIntervalo = p.isSet(QStringLiteral("topes"));
    o.ActualizarCosteInical = p.isSet(QStringLiteral("pmc-inicial"));
    if (p.isSet(QStringLiteral("intervalos"))) {
        o.Intervalos = true;
        o.NumeroIntervalos = entero(p, QStringLiteral("intervalos"), 3);
    }
    for (const auto& [nombre, tabla, destino] :
         {std::tuple{QStringLiteral("tarifa"), QStringLiteral("TARIFAS"), &o.Tarifa_Ventas},
          std::tuple{QStringLiteral("almacen"), QStringLiteral("ALMACENES"), &o.Almacen}}) {
        if (!p.isSet(nombre)) continue; // not chosen: the statements run with 0, as on the page
        const int id = idPorCodigo(d, tabla, p.value(nombre));
        if (id < 0)
            throw ErrorOpciones(
                QStringLiteral("no hay ningún registro de %1 con el código «%2» en el grupo de empresas %3")
                    .arg(tabla, p.value(nombre))
                    .arg(d.IdGrupoEmpresas));
        *destino = id;
    }
    const qd::FieldList campos = listaCampos(p, {porCodigo, alta, pvp, stock});

    auto k = std::make_shared<ImportacionArticulos>(d);
    return Pasos{[k, o](const QString& libro) { return k->cargarArticulos(libro, o); },
                 [k, o, campos](const qd::OpcionesMotor& motor) {
                     return k->confirmarArticulos(o, campos, motor).motor;
                 }};
}

} // namespace

TipoImportacion tipoArticulos() {
    TipoImportacion t;
    t.nombre = QStringLiteral("articulos");
    t.descripcion = QStringLiteral("Artículos");
    t.opciones = {
        opcion(QStringLiteral("create"), QStringLiteral("Artículos: «Dar de Alta» los que no existen.")),
        opcion(QStringLiteral("update"),
               QStringLiteral("Artículos: «Actualizar Campos» de los que existen.")),
        opcion(QStringLiteral("pvp"), QStringLiteral("Artículos: «Actualizar PVP» en la tarifa (--tarifa).")),
        opcion(QStringLiteral("stock"),
               QStringLiteral("Artículos: «Actualizar Stock» en el almacén (--almacen).")),
        opcion(
            QStringLiteral("match"),
            QStringLiteral("Artículos: buscar por «codigo» (por defecto) o por «referencia» de proveedor."),
            QStringLiteral("codigo|referencia"), QStringLiteral("codigo")),
        opcion(QStringLiteral("tarifa"), QStringLiteral("Artículos: código de la tarifa de venta del grupo."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("almacen"), QStringLiteral("Artículos: código del almacén del grupo."),
               QStringLiteral("codigo")),
        opcion(QStringLiteral("intervalos"),
               QStringLiteral("Artículos: «Intervalos de Tarifas», con N intervalos (en la página, 3)."),
               QStringLiteral("N")),
        opcion(QStringLiteral("topes"), QStringLiteral("Artículos: «Actualizar topes Intervalos».")),
        opcion(QStringLiteral("stock-inicial"),
               QStringLiteral("Artículos: «Stock = Stock Inicial» (si no, Stock Actual).")),
        opcion(QStringLiteral("pmc-inicial"), QStringLiteral("Artículos: «P.M.C Inicial = P.M.Coste».")),
        opcion(QStringLiteral("excel-ini"),
               QStringLiteral("Fichero Excel.ini del que leer los campos marcados."), QStringLiteral("ruta")),
    };
    t.preparar = &preparar;
    return t;
}

QList<TipoImportacion> tipos_articulos() {
    return {tipoArticulos()};
}

} // namespace qd::cli
