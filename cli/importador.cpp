// The headless importer: runs an import kind's load and confirm steps on a workbook with the
// options of its page, through the console implementation of the user channel, and exits with 0
// when the import ran to its end, 1 when it was cancelled (Ctrl+C), 2 when it failed and 3 when it
// went to its end with rows the database refused (--continuar).
#include <QDate>
#include <QElapsedTimer>

#include <csignal>
#include <cstdio>
#include <exception>
#include <optional>

#include "BloqueoImportacion.h"
#include "ConsoleChannel.h"
#include "DeshacerImportacion.h"
#include "FbApagado.h"
#include "FilasNoEscritas.h"
#include "HistorialImportaciones.h"
#include "ModuleFiles.h"
#include "TDatos.h"
#include "TipoImportacion.h"

#include "Workbook.h"
#include "WorkbookError.h"
#include <QSet>

namespace qd::cli {

namespace {

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

QString listaTipos(const QList<TipoImportacion>& tipos) {
    QStringList nombres;
    for (const TipoImportacion& t : tipos)
        nombres << t.nombre;
    return nombres.join(QStringLiteral(", "));
}

// The run's options as the history keeps them: the command line, without the password.
QString opcionesTexto(const QStringList& argumentos) {
    QStringList r;
    for (int i = 0; i < argumentos.size(); ++i) {
        const QString& a = argumentos[i];
        if (a == QLatin1String("--clave") || a == QLatin1String("-clave")) {
            r << a << QStringLiteral("***");
            ++i;
        } else if (a.startsWith(QLatin1String("--clave="))) {
            r << QStringLiteral("--clave=***");
        } else {
            r << a;
        }
    }
    return r.join(QLatin1Char(' '));
}

qd::InicioImportacion inicioRegistro(const TDatos& d, const QString& tipo, const QString& libro,
                                     const QStringList& argumentos, bool simulada) {
    qd::InicioImportacion i;
    i.tipo = tipo;
    i.programa = QStringLiteral("qdimport");
    i.libro = libro;
    i.opciones = opcionesTexto(argumentos);
    i.simulada = simulada;
    i.usuario = d.Usuario;
    i.idUsuario = d.IdUsuario;
    return i;
}

// The journal of runs older than Excel.ini allows goes at a run's start (the history keeps them).
void podar(TDatos& d) {
    try {
        qd::aplicarRetencion(d.IBDatabase,
                             qd::diasRetencion(qd::moduleFilePath(QStringLiteral("Excel.ini"))));
    } catch (const std::exception&) {
        // A database without the history: the run says so when it starts.
    }
}

int idOpcion(const QCommandLineParser& p, const QString& nombre) {
    const int id = entero(p, nombre, 0);
    if (id <= 0)
        throw ErrorOpciones(
            QStringLiteral("--%1 espera el número de una importación del historial").arg(nombre));
    return id;
}

QDate fechaOpcion(const QCommandLineParser& p, const QString& nombre) {
    if (!p.isSet(nombre)) return {};
    const QDate f = QDate::fromString(p.value(nombre), Qt::ISODate);
    if (!f.isValid())
        throw ErrorOpciones(
            QStringLiteral("--%1 espera una fecha AAAA-MM-DD: «%2»").arg(nombre, p.value(nombre)));
    return f;
}

// --historial, --detalle, --deshacer and --borrar-diario: no workbook, no import.
int ejecutarHistorial(const QCommandLineParser& p, const QList<TipoImportacion>& tipos) {
    TDatos datos;
    qd::ConsoleChannel::Options opcionesCanal;
    CanalConsola canal(opcionesCanal, &datos.Abortar_Proceso);
    datos.setCanal(&canal);
    struct Soltar {
        TDatos& d;
        ~Soltar() { d.setCanal(nullptr); }
    } soltar{datos};
    try {
        datos.Iniciar(entero(p, QStringLiteral("empresa"), 1), entero(p, QStringLiteral("grupo"), 1),
                      p.value(QStringLiteral("database")), entero(p, QStringLiteral("id-usuario"), 1),
                      p.value(QStringLiteral("usuario")), p.value(QStringLiteral("clave")), QString(),
                      p.value(QStringLiteral("opcion")), 0, 0);
        if (!datos.Conectar()) return kFallo;
        if (datos.Usuario == QLatin1String("SYSDBA")) datos.actualizarEsquema();
        if (p.isSet(QStringLiteral("deshacer"))) {
            qd::OpcionesDeshacer o;
            o.simular = p.isSet(QStringLiteral("simular"));
            o.forzar = p.isSet(QStringLiteral("forzar"));
            o.programa = QStringLiteral("qdimport");
            o.usuario = datos.Usuario;
            o.idUsuario = datos.IdUsuario;
            const qd::InformeDeshacer informe =
                qd::deshacerImportacion(datos.IBDatabase, idOpcion(p, QStringLiteral("deshacer")), o);
            canal.message(qd::MessageKind::Plain, informe.texto());
            return informe.hecho || informe.simulado ? kCorrecto : kFallo;
        }
        if (p.isSet(QStringLiteral("borrar-diario"))) {
            const int id = idOpcion(p, QStringLiteral("borrar-diario"));
            if (!qd::leerHistorial(datos.IBDatabase, id))
                throw ErrorOpciones(QStringLiteral("no existe la importación %1 en el historial").arg(id));
            qd::borrarDiario(datos.IBDatabase, id);
            canal.message(
                qd::MessageKind::Plain,
                QStringLiteral("Diario de la importación %1 eliminado: ya no se puede deshacer.").arg(id));
            return kCorrecto;
        }
        if (p.isSet(QStringLiteral("detalle"))) {
            const int id = idOpcion(p, QStringLiteral("detalle"));
            const std::optional<qd::FilaHistorial> f = qd::leerHistorial(datos.IBDatabase, id);
            if (!f)
                throw ErrorOpciones(QStringLiteral("no existe la importación %1 en el historial").arg(id));
            std::printf("%s\n", f->detalle().toLocal8Bit().constData());
            return kCorrecto;
        }
        qd::FiltroHistorial filtro;
        if (p.isSet(QStringLiteral("kind"))) {
            filtro.tipo = p.value(QStringLiteral("kind")).toLower();
            bool conocido = false;
            for (const TipoImportacion& t : tipos)
                conocido = conocido || t.nombre == filtro.tipo;
            if (!conocido)
                throw ErrorOpciones(QStringLiteral("tipo de importación desconocido: «%1»").arg(filtro.tipo));
        }
        filtro.desde = fechaOpcion(p, QStringLiteral("desde"));
        filtro.hasta = fechaOpcion(p, QStringLiteral("hasta"));
        std::printf("ID\tInicio\tFin\tTipo\tEstado\tUsuario\tEquipo\tLibro\n");
        for (const qd::FilaHistorial& f : qd::listarHistorial(datos.IBDatabase, filtro))
            std::printf("%s\n", f.linea().toLocal8Bit().constData());
        return kCorrecto;
    } catch (const ErrorOpciones& e) {
        error(e.texto());
        return kFallo;
    } catch (const std::exception& e) {
        canal.message(qd::MessageKind::Error, TDatos::Texto_Error(e));
        return kFallo;
    }
}

} // namespace

int ejecutar(const QStringList& argumentos, const QList<TipoImportacion>& tipos) {
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Importa un libro (.xls, .xlsx, .ods, .csv) en la base de datos sin ventana, con el mismo proceso\n"
        "que la página de la importación y las mismas opciones. Muestra los textos de estado, los avisos\n"
        "y el resumen final. Ctrl+C cancela tras la fila en curso.\n"
        "Salida: 0 todas las filas escritas (u omitidas por elección, como --solo-nuevos), 1 cancelada, 2 "
        "detenida por un error o nada importado,\n3 terminada con filas no escritas (descartadas al cargar o "
        "rechazadas).\n\n"
        "Ejemplo:\n"
        "  qdimport --database demo.fdb --kind articulos --create --update --pvp --stock \\\n"
        "           --tarifa TAR1 --almacen ALM1 articulos.xlsx"));
    p.addHelpOption();
    const auto opcion = [&p](const QString& nombre, const QString& texto, const QString& valor = {},
                             const QString& porDefecto = {}) {
        p.addOption(QCommandLineOption(nombre, texto, valor, porDefecto));
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
    opcion(QStringLiteral("kind"), QStringLiteral("Tipo de importación: %1.").arg(listaTipos(tipos)),
           QStringLiteral("tipo"), tipos.isEmpty() ? QString() : tipos.first().nombre);
    // «Vaciar» is an engine option of every kind; the reference verification reads it as its own.
    opcion(
        QStringLiteral("vaciar"),
        QStringLiteral("Las celdas vacías borran el valor: al actualizar, una celda vacía escribe un texto "
                       "vacío o 0. Sin esta opción una celda vacía, un código que no existe o una columna "
                       "que falta dejan el valor guardado como está; un código (familia, forma de pago…) "
                       "nunca se borra con una celda vacía. Verificar referencias: limpiar la tabla de "
                       "verificación y volverla a cargar."));
    // Kinds may share an option (the client kinds' defaults): it is listed once.
    QSet<QString> nombres{QStringLiteral("vaciar")};
    for (const TipoImportacion& t : tipos)
        for (const QCommandLineOption& o : t.opciones)
            if (!nombres.contains(o.names().first())) {
                nombres.insert(o.names().first());
                p.addOption(o);
            }
    opcion(QStringLiteral("fields"),
           QStringLiteral("Campos marcados, separados por comas. Artículos: GRUPOEMPRESAS ... "
                          "PRECIOMEDIOCOSTEESTANDARD, por defecto los de Excel.ini como en la ventana (todos "
                          "del 0 al 20 si no existe); los demás tipos: los de su lista, por defecto todos."),
           QStringLiteral("lista"));
    // The engine options, the same for every kind.
    opcion(QStringLiteral("simular"),
           QStringLiteral("Simular: la carga y la escritura se hacen y se deshacen al final; no se guarda "
                          "nada. El resumen y las incidencias son los de una importación real."));
    opcion(QStringLiteral("continuar"),
           QStringLiteral("Continuar tras errores: una fila que la base de datos rechaza se deshace sola, "
                          "se anota como incidencia con su fila y el texto del error, y se sigue."));
    opcion(QStringLiteral("lote"),
           QStringLiteral("Guardar cada N filas (0, por defecto: tras cada fila). Una importación "
                          "interrumpida pierde como mucho las filas desde el último guardado; repetirla "
                          "con --create --update la completa."),
           QStringLiteral("N"), QStringLiteral("0"));
    opcion(QStringLiteral("tiempos"),
           QStringLiteral(
               "Mostrar al final las filas y los segundos de la carga (abrir, leer y pasar a la tabla "
               "temporal) y de la escritura."));
    // The history of the runs and their undo.
    opcion(QStringLiteral("historial"),
           QStringLiteral(
               "Listar las importaciones guardadas en el historial, de la más reciente a la más "
               "antigua (con --kind solo las de ese tipo; --desde/--hasta AAAA-MM-DD); no importa nada."));
    opcion(QStringLiteral("desde"), QStringLiteral("Con --historial: desde ese día."),
           QStringLiteral("fecha"));
    opcion(QStringLiteral("hasta"), QStringLiteral("Con --historial: hasta ese día."),
           QStringLiteral("fecha"));
    opcion(QStringLiteral("detalle"),
           QStringLiteral("Mostrar todo lo guardado de una importación del historial."),
           QStringLiteral("id"));
    opcion(QStringLiteral("deshacer"),
           QStringLiteral(
               "Deshacer una importación del historial: la base de datos vuelve a como estaba antes de "
               "ella en cada fila que cambió (con --simular se comprueba y no se guarda nada)."),
           QStringLiteral("id"));
    opcion(
        QStringLiteral("forzar"),
        QStringLiteral("Con --deshacer: las filas que se modificaron después de la importación se dejan como "
                       "están y se deshace el resto."));
    opcion(
        QStringLiteral("borrar-diario"),
        QStringLiteral("Eliminar el diario de cambios de una importación (sigue en el historial, pero ya no "
                       "se puede deshacer)."),
        QStringLiteral("id"));
    opcion(QStringLiteral("yes"), QStringLiteral("Responder «sí» a las preguntas."));
    opcion(QStringLiteral("no"), QStringLiteral("Responder «no» a las preguntas (por defecto)."));
    p.addPositionalArgument(QStringLiteral("libro"), QStringLiteral("El libro a importar."));
    p.process(QStringList{QStringLiteral("qdimport")} + argumentos);

    const QStringList posicionales = p.positionalArguments();
    const bool historial = p.isSet(QStringLiteral("historial")) || p.isSet(QStringLiteral("detalle")) ||
                           p.isSet(QStringLiteral("deshacer")) || p.isSet(QStringLiteral("borrar-diario"));
    if (historial && p.isSet(QStringLiteral("database")) && posicionales.isEmpty())
        return ejecutarHistorial(p, tipos);
    if (!p.isSet(QStringLiteral("database")) || posicionales.size() != 1) {
        error(QStringLiteral("faltan la base de datos (--database) o el libro; vea --help"));
        return kFallo;
    }
    if (p.isSet(QStringLiteral("yes")) && p.isSet(QStringLiteral("no"))) {
        error(QStringLiteral("--yes y --no se excluyen"));
        return kFallo;
    }
    const QString nombreTipo = p.value(QStringLiteral("kind")).toLower();
    const TipoImportacion* tipo = nullptr;
    for (const TipoImportacion& t : tipos)
        if (t.nombre == nombreTipo) tipo = &t;
    if (tipo == nullptr) {
        error(QStringLiteral("tipo de importación desconocido: «%1» (disponibles: %2)")
                  .arg(nombreTipo, listaTipos(tipos)));
        return kFallo;
    }
    const QString libro = posicionales.first();
    // A path that is not a workbook file is refused before anything else (a FIFO would block).
    try {
        qd::wb::Workbook::checkPath(libro);
    } catch (const qd::wb::Error& e) {
        error(e.message());
        return kFallo;
    }

    int empresa = 0, grupo = 0, idUsuario = 0, albaran = 0, almacenLav = 0;
    qd::OpcionesMotor motor;
    try {
        motor.simular = p.isSet(QStringLiteral("simular"));
        motor.continuar = p.isSet(QStringLiteral("continuar"));
        motor.vaciar = p.isSet(QStringLiteral("vaciar"));
        motor.lote = entero(p, QStringLiteral("lote"), 0);
        if (motor.lote < 0) throw ErrorOpciones(QStringLiteral("--lote espera un número de filas (0 o más)"));
        empresa = entero(p, QStringLiteral("empresa"), 1);
        grupo = entero(p, QStringLiteral("grupo"), 1);
        idUsuario = entero(p, QStringLiteral("id-usuario"), 1);
        albaran = entero(p, QStringLiteral("albaran"), 0);
        almacenLav = entero(p, QStringLiteral("almacen-lav"), 0);
    } catch (const ErrorOpciones& e) {
        error(e.texto());
        return kFallo;
    }

    TDatos datos;
    qd::ConsoleChannel::Options opcionesCanal;
    opcionesCanal.answerYes = p.isSet(QStringLiteral("yes"));
    CanalConsola canal(opcionesCanal, &datos.Abortar_Proceso);
    qd::UserChannel::setCurrent(&canal);
    datos.setCanal(&canal);
    struct Soltar {
        TDatos& d;
        ~Soltar() {
            qd::UserChannel::setCurrent(nullptr);
            d.setCanal(nullptr);
        }
    } soltar{datos};

    datos.Iniciar(empresa, grupo, p.value(QStringLiteral("database")), idUsuario,
                  p.value(QStringLiteral("usuario")), p.value(QStringLiteral("clave")),
                  p.value(QStringLiteral("texto")), p.value(QStringLiteral("opcion")), albaran, almacenLav);
    // SIGINT, SIGTERM and SIGHUP stop the import after the row in progress (a second one ends at
    // once); the embedded engine's own shutdown on a signal, which would end the connection, is
    // refused. The engine puts its handlers in place of ours at the first attach: ours go back.
    interrumpido = 0;
    qd::fb::Apagado::tomarControl(alInterrumpir);
    if (!datos.Conectar()) return kFallo;
    qd::fb::Apagado::restaurarManejadores();
    // The administrator's start-up installs the module's own database objects, as the window does.
    if (datos.Usuario == QLatin1String("SYSDBA")) datos.actualizarEsquema();

    std::optional<qd::RegistroImportacion> registro;
    try {
        // One import of a kind at a time on a database: a second one is refused here (kFallo).
        const qd::BloqueoImportacion bloqueo(datos.IBDatabase, tipo->nombre);
        if (!bloqueo.aviso().isEmpty()) canal.message(qd::MessageKind::Warning, bloqueo.aviso());
        const Pasos pasos = tipo->preparar(datos, p);
        // The run in the history, its changes journalled from the load on (the masters it creates).
        podar(datos);
        registro.emplace(datos.IBDatabase,
                         inicioRegistro(datos, tipo->nombre, libro, argumentos, motor.simular));
        if (!registro->aviso().isEmpty()) canal.message(qd::MessageKind::Warning, registro->aviso());
        QElapsedTimer reloj;
        reloj.start();
        datos.Abortar_Proceso = false;
        datos.Ultimo_Desenlace = {};
        // A dry run rolls back the masters the load creates as well: the load's work waits for it.
        if (motor.simular) datos.Empezar_Carga();
        const int filas = pasos.cargar(libro);
        const qint64 carga = reloj.nsecsElapsed();
        if (datos.Abortar_Proceso) {
            datos.Destruir_Excel();
            registro->terminar(qd::desenlaceImportacion(datos, {}, canal.incidences(), {}));
            return kCancelado;
        }
        if (filas == 0) {
            // Nothing to import is not a success: the user is told why nothing was written.
            canal.message(
                qd::MessageKind::Error,
                datos.Filas_No_Escritas.empty()
                    ? QStringLiteral("El libro no tiene filas de datos bajo la fila de títulos: no se "
                                     "ha importado nada.")
                    : QStringLiteral("Ninguna fila del libro se puede importar (las incidencias dicen "
                                     "por qué): no se ha importado nada."));
            const QString errores = qd::exportarFilasNoEscritas(datos, libro, motor.simular);
            registro->terminar(qd::desenlaceImportacion(datos, QStringLiteral("No se ha importado nada."),
                                                        canal.incidences(), errores));
            datos.Destruir_Excel();
            return kFallo;
        }
        reloj.restart();
        const qd::ResultadoMotor resultado = pasos.confirmar(motor);
        const qint64 escritura = reloj.nsecsElapsed();
        const QString errores =
            qd::exportarFilasNoEscritas(datos, libro, motor.simular); // its path is told as an incidence
        registro->terminar(qd::desenlaceImportacion(datos, {}, canal.incidences(), errores));
        if (registro->id() > 0)
            canal.message(qd::MessageKind::Plain,
                          QStringLiteral("Importación %1 del historial.").arg(registro->id()));
        if (p.isSet(QStringLiteral("tiempos")))
            std::fprintf(stderr, "tiempos: filas %d carga %.3f s escritura %.3f s\n", filas, carga / 1e9,
                         escritura / 1e9);
        datos.Destruir_Excel();
        if (datos.Abortar_Proceso) return kCancelado;
        // Rows the loader dropped are rows not written as much as those the database refused.
        return resultado.filasConErrores > 0 || !datos.Filas_No_Escritas.empty() ? kConErrores : kCorrecto;
    } catch (const ErrorOpciones& e) {
        error(e.texto());
        return kFallo;
    } catch (const std::exception& e) {
        // The database's (or the reader's) own words; what was written before the error stays.
        canal.message(qd::MessageKind::Error, TDatos::Texto_Error(e));
        if (!datos.Resumen_Hasta_Error.isEmpty())
            canal.message(qd::MessageKind::Plain, datos.Resumen_Hasta_Error);
        const QString errores = qd::exportarFilasNoEscritas(datos, libro, motor.simular);
        if (registro)
            registro->terminar(
                qd::desenlaceImportacion(datos, TDatos::Texto_Error(e), canal.incidences(), errores));
        return kFallo;
    }
}

} // namespace qd::cli
