// qdimport --kind lineas: the delivery-note line transfer on the command line. The delivery note,
// its side and warehouse are the launch's (--opcion LAV|LAC, --albaran, --almacen-lav).
#include "ImportacionLineas.h"

#include "TipoImportacion.h"
#include <memory>

namespace qd::cli {

namespace {

Pasos preparar(TDatos& d, const QCommandLineParser& p) {
    qd::OpcionesLineas o;
    o.Opcion = d.Opcion.toUpper();
    if (o.Opcion != QStringLiteral("LAV") && o.Opcion != QStringLiteral("LAC"))
        throw ErrorOpciones(QStringLiteral("--kind lineas necesita --opcion LAV (venta) o LAC (compra)"));
    o.Albaran = d.Albaran_LAVC;
    o.Almacen = d.Almacen_LAVC;
    if (o.Albaran <= 0) throw ErrorOpciones(QStringLiteral("--kind lineas necesita --albaran ID"));
    if (o.Almacen <= 0) throw ErrorOpciones(QStringLiteral("--kind lineas necesita --almacen-lav ID"));
    const QString busqueda = p.value(QStringLiteral("busqueda")).toLower();
    const QStringList modos{QStringLiteral("codigo"), QStringLiteral("ean"), QStringLiteral("referencia"),
                            QStringLiteral("articulo-proveedor")};
    o.BuscarPor = int(modos.indexOf(busqueda));
    if (o.BuscarPor < 0)
        throw ErrorOpciones(
            QStringLiteral("--busqueda espera «codigo», «ean», «referencia» o «articulo-proveedor»"));
    if (o.BuscarPor == 3 && o.Opcion == QStringLiteral("LAV"))
        throw ErrorOpciones(QStringLiteral("--busqueda articulo-proveedor sólo se usa con --opcion LAC"));
    o.SoloValidas = p.isSet(QStringLiteral("solo-validas"));
    o.CarpetaIncidencias = p.value(QStringLiteral("carpeta-incidencias"));
    o.Repetir = p.isSet(QStringLiteral("repetir")) ? qd::RepetirImportadas::Si : qd::RepetirImportadas::No;
    auto k = std::make_shared<ImportacionLineas>(d);
    return Pasos{[k, o](const QString& libro) { return k->cargarLineas(libro, o); },
                 [k, o](const qd::OpcionesMotor& motor) {
                     const qd::ResumenLineas r = k->confirmarLineas(o, motor);
                     qd::ResultadoMotor m = r.motor;
                     m.filasConErrores = r.ConErrores;
                     return m;
                 }};
}

} // namespace

TipoImportacion tipoLineas() {
    TipoImportacion t;
    t.nombre = QStringLiteral("lineas");
    t.descripcion = QStringLiteral(
        "Líneas de albarán (--opcion LAV|LAC, --albaran, --almacen-lav). Cada línea se escribe y se "
        "recalcula aparte; con --continuar una línea rechazada se deshace entera; --simular no recalcula "
        "el albarán. Las filas de un libro ya escritas en el albarán no se repiten (--repetir).");
    t.opciones = {
        QCommandLineOption(
            QStringLiteral("busqueda"),
            QStringLiteral("Líneas: buscar el artículo por «codigo» (por defecto), «ean» (o código "
                           "de formato), «referencia» (ficha del artículo) o "
                           "«articulo-proveedor» (sólo compras)."),
            QStringLiteral("modo"), QStringLiteral("codigo")),
        QCommandLineOption(QStringLiteral("solo-validas"),
                           QStringLiteral("Líneas: «Importar Líneas Validas»; sin ella, una línea no válida "
                                          "impide la importación, como «Importar Todo».")),
        QCommandLineOption(
            QStringLiteral("carpeta-incidencias"),
            QStringLiteral("Líneas: carpeta de IncidenciasLineasAlbaran.txt (por defecto, la del "
                           "programa)."),
            QStringLiteral("ruta")),
        QCommandLineOption(
            QStringLiteral("repetir"),
            QStringLiteral(
                "Líneas: traspasar otra vez las filas de este libro que una importación anterior ya "
                "escribió en el albarán (sin ella se dejan fuera y se nombran; tras una "
                "importación interrumpida sólo se escriben las filas que faltan).")),
    };
    t.preparar = &preparar;
    return t;
}

QList<TipoImportacion> tipos_lineas() {
    return {tipoLineas()};
}

} // namespace qd::cli
