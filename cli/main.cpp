// qdimport: the headless importer. Runs an import kind's loader and writer on a workbook with
// the options of its page, through the console implementation of the user channel, and exits
// with 0 when the import ran to its end, 1 when it was cancelled (Ctrl+C) and 2 when it failed.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <csignal>
#include <cstdio>
#include <exception>

#include "ConsoleChannel.h"
#include "ConstruirSentencias.h"
#include "ExcelIni.h"
#include "FbApagado.h"
#include "FbError.h"
#include "FieldList.h"
#include "ModuleFiles.h"
#include "TDatos.h"
#include "WorkbookError.h"

namespace {

enum Salida { kCorrecto = 0, kCancelado = 1, kFallo = 2 };

volatile std::sig_atomic_t interrumpido = 0;

extern "C" void alInterrumpir(int) {
    // The first Ctrl+C asks the running loop to stop after its row; the second one ends at once.
    if (interrumpido) std::_Exit(kCancelado);
    interrumpido = 1;
}

// The console channel whose per-row message processing turns Ctrl+C into the cancel flag.
class CanalConsola final : public qd::ConsoleChannel {
public:
    CanalConsola(Options opciones, bool* cancelar) : ConsoleChannel(opciones), cancelar_(cancelar) {}

protected:
    void processEvents() override {
        // The importer has no window, timers or sockets: there is nothing to dispatch, and asking
        // the event loop once per row would cost more than the row's own work. Ctrl+C is the
        // only thing a row has to look at.
        if (interrumpido) *cancelar_ = true;
    }

private:
    bool* cancelar_;
};

void error(const QString& texto) {
    std::fprintf(stderr, "qdimport: %s\n", texto.toLocal8Bit().constData());
}

int entero(const QCommandLineParser& p, const QString& opcion, int porDefecto, bool* ok) {
    if (!p.isSet(opcion)) return porDefecto;
    bool bien = false;
    const int valor = p.value(opcion).trimmed().toInt(&bien);
    if (!bien) {
        error(QStringLiteral("--%1 espera un número entero: «%2»").arg(opcion, p.value(opcion)));
        *ok = false;
    }
    return valor;
}

// The ID of a price list or warehouse of the company group by its code; -1 when there is none.
int idPorCodigo(TDatos& d, const QString& tabla, const QString& codigo) {
    // Table and column names come from this program, never from the command line; the code is
    // a bound parameter.
    qd::fb::Statement s(&d.IBDatabase, &d.IBTransaction1);
    s.setSql(
        QStringLiteral("SELECT ID%1 FROM %1 WHERE CODIGO = :Codigo AND GRUPOEMPRESAS = :Grupo").arg(tabla));
    s.paramByName(QStringLiteral("Codigo")).setString(codigo);
    s.paramByName(QStringLiteral("Grupo")).setInt(d.IdGrupoEmpresas);
    s.execute();
    const int id = s.eof() ? -1 : static_cast<int>(s.field(0).asInt());
    s.close();
    return id;
}

int importarArticulos(TDatos& d, const QCommandLineParser& p, const QString& libro) {
    const bool alta = p.isSet(QStringLiteral("create")), actualizar = p.isSet(QStringLiteral("update")),
               pvp = p.isSet(QStringLiteral("pvp")), stock = p.isSet(QStringLiteral("stock"));
    if (!alta && !actualizar && !pvp && !stock) {
        error(QStringLiteral("indique al menos un modo: --create, --update, --pvp o --stock"));
        return kFallo;
    }
    const QString busqueda = p.value(QStringLiteral("match")).toLower();
    if (busqueda != QStringLiteral("codigo") && busqueda != QStringLiteral("referencia")) {
        error(QStringLiteral("--match espera «codigo» o «referencia»"));
        return kFallo;
    }
    const bool porCodigo = busqueda == QStringLiteral("codigo");
    if (alta && !porCodigo) {
        // The page does not allow creating articles while matching by supplier reference.
        error(QStringLiteral("--create no se puede combinar con --match referencia"));
        return kFallo;
    }

    TDatos::OpcionesArticulos o = TDatos::OpcionesArticulos::desdeModos(alta, actualizar, pvp, stock);
    o.OpcionBusqueda = porCodigo;
    o.PonerStockActual = !p.isSet(QStringLiteral("stock-inicial"));
    o.UsarTopeIntervalo = p.isSet(QStringLiteral("topes"));
    o.ActualizarCosteInical = p.isSet(QStringLiteral("pmc-inicial"));
    bool ok = true;
    if (p.isSet(QStringLiteral("intervalos"))) {
        o.Intervalos = true;
        o.NumeroIntervalos = entero(p, QStringLiteral("intervalos"), 3, &ok);
        if (!ok) return kFallo;
    }
    for (const auto& [opcion, tabla, destino] :
         {std::tuple{QStringLiteral("tarifa"), QStringLiteral("TARIFAS"), &o.Tarifa_Ventas},
          std::tuple{QStringLiteral("almacen"), QStringLiteral("ALMACENES"), &o.Almacen}}) {
        if (!p.isSet(opcion)) continue; // not chosen: the statements run with 0, as on the page
        const int id = idPorCodigo(d, tabla, p.value(opcion));
        if (id < 0) {
            error(QStringLiteral("no hay ningún registro de %1 con el código «%2» en el grupo de empresas %3")
                      .arg(tabla, p.value(opcion))
                      .arg(d.IdGrupoEmpresas));
            return kFallo;
        }
        *destino = id;
    }

    // The field list as the window would have it: ticks from Excel.ini, the first-run ticks and
    // what the page's buttons and radios do to them; or, with --fields, the given ticks as the
    // user would set them on that page (the list's rules then apply, as after any user tick).
    qd::FieldList campos = qd::articleFieldList();
    const QString ini = p.isSet(QStringLiteral("excel-ini"))
                            ? p.value(QStringLiteral("excel-ini"))
                            : qd::moduleFilePath(QStringLiteral("Excel.ini"));
    qd::ExcelIni::loadArticleTicks(campos, ini);
    campos.setInitialTicks();
    campos.setArticleControls({porCodigo, alta, pvp, stock});
    if (p.isSet(QStringLiteral("fields"))) {
        for (int i = 0; i <= qd::FieldList::kPrecioMedioCosteEstandard; ++i)
            campos.setChecked(i, false);
        for (const QString& nombre :
             p.value(QStringLiteral("fields")).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const int pos = campos.indexOf(nombre.trimmed().toUpper());
            if (pos < 0 || pos > qd::FieldList::kPrecioMedioCosteEstandard) {
                error(QStringLiteral("--fields: «%1» no es un campo de artículos").arg(nombre.trimmed()));
                return kFallo;
            }
            campos.setChecked(pos, true);
        }
        campos.applyRules();
    }

    // Load.
    QElapsedTimer reloj;
    reloj.start();
    d.Abortar_Proceso = false;
    d.canal().status(QStringLiteral("Cargando datos del fichero Excel"));
    d.CargarExcel(libro);
    d.canal().status(QStringLiteral("Incorporando datos del fichero Excel a tabla temporal"));
    d.CargarRxArticulos(o.OpcionBusqueda, o.UsarTopeIntervalo);
    d.canal().status(QStringLiteral(
        "Datos incorporados a tabla temporal, pulse el botón CONFIRMAR para continuar el proceso."));
    const qint64 carga = reloj.nsecsElapsed();
    if (d.Abortar_Proceso) {
        d.Destruir_Excel();
        return kCancelado;
    }

    // Confirm.
    d.canal().status(QStringLiteral("Construyendo sentencias SQL de Inserción y Actualización"));
    const qd::SentenciasSql sentencias = qd::prepararSentenciasArticulos(campos);
    d.InsertArticulos = sentencias.insert;
    d.UpdateArticulos = sentencias.update;
    d.canal().status(QStringLiteral("Importando datos de Artículos a la Base de Datos"));
    reloj.restart();
    d.Insertar_Articulos(o);
    const qint64 escritura = reloj.nsecsElapsed();
    d.canal().status(QStringLiteral("Proceso terminado."));
    if (p.isSet(QStringLiteral("tiempos")))
        std::fprintf(stderr, "tiempos: filas %d carga %.3f s escritura %.3f s\n",
                     d.kvRxMDArticulos.recordCount(), carga / 1e9, escritura / 1e9);
    d.kvRxMDArticulos.close();
    d.Destruir_Excel();
    return d.Abortar_Proceso ? kCancelado : kCorrecto;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qdimport"));

    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Importa un libro (.xls, .xlsx, .ods, .csv) en la base de datos sin ventana, con el mismo proceso\n"
        "que la página de la importación y las mismas opciones. Muestra los textos de estado, los avisos\n"
        "y el resumen final. Ctrl+C cancela tras la fila en curso.\n"
        "Salida: 0 importación terminada, 1 cancelada, 2 error.\n\n"
        "Ejemplo:\n"
        "  qdimport --database demo.fdb --kind articulos --create --update --pvp --stock \\\n"
        "           --tarifa TAR1 --almacen ALM1 articulos.xlsx"));
    p.addHelpOption();
    const auto opcion = [&p](const QString& nombre, const QString& texto, const QString& valor = {},
                             const QString& porDefecto = {}) {
        QCommandLineOption o(nombre, texto, valor, porDefecto);
        p.addOption(o);
    };
    // The launch values of the module.
    opcion(QStringLiteral("database"), QStringLiteral("Base de datos (ruta del fichero o servidor:ruta)."),
           QStringLiteral("ruta"));
    opcion(QStringLiteral("empresa"), QStringLiteral("Empresa (por defecto 1)."), QStringLiteral("id"),
           QStringLiteral("1"));
    opcion(QStringLiteral("grupo"), QStringLiteral("Grupo de empresas (por defecto 1)."),
           QStringLiteral("id"), QStringLiteral("1"));
    opcion(QStringLiteral("id-usuario"), QStringLiteral("Id. del usuario conectado (por defecto 1)."),
           QStringLiteral("id"), QStringLiteral("1"));
    opcion(QStringLiteral("usuario"), QStringLiteral("Usuario de la base de datos (por defecto SYSDBA)."),
           QStringLiteral("usuario"), QStringLiteral("SYSDBA"));
    opcion(QStringLiteral("clave"), QStringLiteral("Clave del usuario (por defecto masterkey)."),
           QStringLiteral("clave"), QStringLiteral("masterkey"));
    opcion(QStringLiteral("texto"), QStringLiteral("Texto libre del lanzamiento (no se usa)."),
           QStringLiteral("texto"));
    opcion(QStringLiteral("opcion"), QStringLiteral("Código de operación del lanzamiento (por defecto ART)."),
           QStringLiteral("codigo"), QStringLiteral("ART"));
    opcion(QStringLiteral("albaran"), QStringLiteral("Albarán del lanzamiento (por defecto 0)."),
           QStringLiteral("id"), QStringLiteral("0"));
    opcion(QStringLiteral("almacen-lav"), QStringLiteral("Almacén del lanzamiento (por defecto 0)."),
           QStringLiteral("id"), QStringLiteral("0"));
    // The import.
    opcion(QStringLiteral("kind"), QStringLiteral("Tipo de importación: articulos."), QStringLiteral("tipo"),
           QStringLiteral("articulos"));
    opcion(QStringLiteral("create"), QStringLiteral("Artículos: «Dar de Alta» los que no existen."));
    opcion(QStringLiteral("update"), QStringLiteral("Artículos: «Actualizar Campos» de los que existen."));
    opcion(QStringLiteral("pvp"), QStringLiteral("Artículos: «Actualizar PVP» en la tarifa (--tarifa)."));
    opcion(QStringLiteral("stock"),
           QStringLiteral("Artículos: «Actualizar Stock» en el almacén (--almacen)."));
    opcion(QStringLiteral("match"),
           QStringLiteral("Artículos: buscar por «codigo» (por defecto) o por «referencia» de proveedor."),
           QStringLiteral("codigo|referencia"), QStringLiteral("codigo"));
    opcion(QStringLiteral("tarifa"), QStringLiteral("Artículos: código de la tarifa de venta del grupo."),
           QStringLiteral("codigo"));
    opcion(QStringLiteral("almacen"), QStringLiteral("Artículos: código del almacén del grupo."),
           QStringLiteral("codigo"));
    opcion(QStringLiteral("intervalos"),
           QStringLiteral("Artículos: «Intervalos de Tarifas», con N intervalos (en la página, 3)."),
           QStringLiteral("N"));
    opcion(QStringLiteral("topes"), QStringLiteral("Artículos: «Actualizar topes Intervalos»."));
    opcion(QStringLiteral("stock-inicial"),
           QStringLiteral("Artículos: «Stock = Stock Inicial» (si no, Stock Actual)."));
    opcion(QStringLiteral("pmc-inicial"), QStringLiteral("Artículos: «P.M.C Inicial = P.M.Coste»."));
    opcion(QStringLiteral("fields"),
           QStringLiteral("Artículos: campos marcados, separados por comas (GRUPOEMPRESAS ... "
                          "PRECIOMEDIOCOSTEESTANDARD). Por defecto, los de Excel.ini como en la ventana "
                          "(todos del 0 al 20 si no existe)."),
           QStringLiteral("lista"));
    opcion(QStringLiteral("excel-ini"), QStringLiteral("Fichero Excel.ini del que leer los campos marcados."),
           QStringLiteral("ruta"));
    opcion(QStringLiteral("tiempos"),
           QStringLiteral(
               "Mostrar al final las filas y los segundos de la carga (abrir, leer y pasar a la tabla "
               "temporal) y de la escritura."));
    opcion(QStringLiteral("yes"), QStringLiteral("Responder «sí» a las preguntas."));
    opcion(QStringLiteral("no"), QStringLiteral("Responder «no» a las preguntas (por defecto)."));
    p.addPositionalArgument(QStringLiteral("libro"), QStringLiteral("El libro a importar."));
    p.process(app);

    const QStringList posicionales = p.positionalArguments();
    if (!p.isSet(QStringLiteral("database")) || posicionales.size() != 1) {
        error(QStringLiteral("faltan la base de datos (--database) o el libro; vea --help"));
        return kFallo;
    }
    if (p.isSet(QStringLiteral("yes")) && p.isSet(QStringLiteral("no"))) {
        error(QStringLiteral("--yes y --no se excluyen"));
        return kFallo;
    }
    const QString tipo = p.value(QStringLiteral("kind")).toLower();
    if (tipo != QStringLiteral("articulos")) {
        error(QStringLiteral("tipo de importación desconocido: «%1» (disponible: articulos)").arg(tipo));
        return kFallo;
    }
    const QString libro = posicionales.first();

    bool ok = true;
    const int empresa = entero(p, QStringLiteral("empresa"), 1, &ok);
    const int grupo = entero(p, QStringLiteral("grupo"), 1, &ok);
    const int idUsuario = entero(p, QStringLiteral("id-usuario"), 1, &ok);
    const int albaran = entero(p, QStringLiteral("albaran"), 0, &ok);
    const int almacenLav = entero(p, QStringLiteral("almacen-lav"), 0, &ok);
    if (!ok) return kFallo;

    TDatos datos;
    qd::ConsoleChannel::Options opcionesCanal;
    opcionesCanal.answerYes = p.isSet(QStringLiteral("yes"));
    CanalConsola canal(opcionesCanal, &datos.Abortar_Proceso);
    qd::UserChannel::setCurrent(&canal);
    datos.setCanal(&canal);

    datos.Iniciar(empresa, grupo, p.value(QStringLiteral("database")), idUsuario,
                  p.value(QStringLiteral("usuario")), p.value(QStringLiteral("clave")),
                  p.value(QStringLiteral("texto")), p.value(QStringLiteral("opcion")), albaran, almacenLav);
    // SIGINT, SIGTERM and SIGHUP stop the import after the row in progress (a second one ends at
    // once); the embedded engine's own shutdown on a signal, which would end the connection, is
    // refused. The engine puts its handlers in place of ours at the first attach: ours go back.
    qd::fb::Apagado::tomarControl(alInterrumpir);
    if (!datos.Conectar()) return kFallo;
    qd::fb::Apagado::restaurarManejadores();
    // The administrator's start-up installs the module's own database objects, as the window does.
    if (datos.Usuario == QLatin1String("SYSDBA")) datos.actualizarEsquema();

    int salida = kFallo;
    try {
        salida = importarArticulos(datos, p, libro);
    } catch (const std::exception& e) {
        // The database's (or the reader's) own words; what was written before the error stays.
        canal.message(qd::MessageKind::Error, TDatos::Texto_Error(e));
        salida = kFallo;
    }
    qd::UserChannel::setCurrent(nullptr);
    return salida;
}
