#include "HistorialImportaciones.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include "ExcelIni.h"
#include "FbAttachment.h"
#include "FbError.h"
#include "FbStatement.h"
#include "FbTransaction.h"
#include "TDatos.h"

namespace qd {

namespace {

// The history's texts travel in the connection's Latin-1: a character it has no room for is
// written as «?» rather than refusing the record.
QString latin1(const QString& texto) {
    QString r = texto;
    for (QChar& c : r)
        if (c.unicode() > 0xFF) c = QLatin1Char('?');
    return r;
}

QByteArray sha256(const QString& ruta, qint64* tamano) {
    QFile f(ruta);
    *tamano = 0;
    if (!f.open(QIODevice::ReadOnly)) return {};
    *tamano = f.size();
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result().toHex();
}

const char* const kColumnas =
    "ID, TIPO, PROGRAMA, SIMULADA, INICIO, FIN, USUARIO, ID_USUARIO, EQUIPO, LIBRO, TAMANO, SHA256, "
    "OPCIONES, ESTADO, RESUMEN, FILAS_ERRORES, INCIDENCIAS, FICHERO_ERRORES, DIARIO, DIARIO_BORRADO, "
    "DESHECHA, DESHECHA_POR, DESHACE";

FilaHistorial leerFila(const qd::fb::Statement& s) {
    FilaHistorial f;
    int i = 0;
    f.id = int(s.field(i++).asInt());
    f.tipo = s.field(i++).asString();
    f.programa = s.field(i++).asString();
    f.simulada = s.field(i++).asInt() != 0;
    f.inicio = s.field(i++).asDateTime();
    f.fin = s.field(i++).asDateTime();
    f.usuario = s.field(i++).asString();
    f.idUsuario = int(s.field(i++).asInt());
    f.equipo = s.field(i++).asString();
    f.libro = s.field(i++).asString();
    f.tamano = s.field(i++).asInt();
    f.sha256 = s.field(i++).asString();
    f.opciones = s.field(i++).asString();
    f.estado = s.field(i++).asString();
    f.resumen = s.field(i++).asString();
    f.filasNoEscritas = int(s.field(i++).asInt());
    f.incidencias = s.field(i++).asString();
    f.ficheroErrores = s.field(i++).asString();
    f.diario = s.field(i++).asInt() != 0;
    f.diarioBorrado = s.field(i++).asDateTime();
    f.deshecha = s.field(i++).asDateTime();
    f.deshechaPor = int(s.field(i++).asInt());
    f.deshace = int(s.field(i++).asInt());
    return f;
}

QString fecha(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")) : QString();
}

} // namespace

QString textoEstado(EstadoImportacion estado) {
    switch (estado) {
    case EstadoImportacion::EnCurso:
        return QStringLiteral("en curso");
    case EstadoImportacion::Terminada:
        return QStringLiteral("terminada");
    case EstadoImportacion::ConFilasNoEscritas:
        return QStringLiteral("con filas no escritas");
    case EstadoImportacion::Cancelada:
        return QStringLiteral("cancelada");
    case EstadoImportacion::DetenidaPorError:
        return QStringLiteral("detenida por error");
    }
    return {};
}

DesenlaceImportacion desenlaceImportacion(const TDatos& d, const QString& error,
                                          const QStringList& incidencias, const QString& ficheroErrores) {
    DesenlaceImportacion r;
    const TDatos::Desenlace& u = d.Ultimo_Desenlace;
    r.filasNoEscritas = std::max<int>(int(d.Filas_No_Escritas.size()), u.motor.filasConErrores);
    r.incidencias = incidencias;
    r.ficheroErrores = ficheroErrores;
    if (!error.isEmpty()) {
        r.estado = EstadoImportacion::DetenidaPorError;
        r.resumen = error;
        if (!d.Resumen_Hasta_Error.isEmpty()) r.resumen += QStringLiteral("\r\n") + d.Resumen_Hasta_Error;
    } else {
        r.resumen = u.resumen;
        if (u.cancelado || d.Abortar_Proceso)
            r.estado = EstadoImportacion::Cancelada;
        else if (r.filasNoEscritas > 0)
            r.estado = EstadoImportacion::ConFilasNoEscritas;
        else
            r.estado = EstadoImportacion::Terminada;
    }
    return r;
}

RegistroImportacion::RegistroImportacion(qd::fb::Attachment& conexion, const InicioImportacion& inicio)
    : conexion_(conexion) {
    qint64 tamano = 0;
    const QByteArray huella = sha256(inicio.libro, &tamano);
    try {
        qd::fb::Transaction t(&conexion_);
        qd::fb::Statement s(&conexion_, &t);
        s.setSql(QStringLiteral(
            "INSERT INTO QD_HISTORIAL (ID, TIPO, PROGRAMA, SIMULADA, INICIO, USUARIO, ID_USUARIO, EQUIPO, "
            "LIBRO, "
            "TAMANO, SHA256, OPCIONES, ESTADO, DIARIO) VALUES (GEN_ID(QD_GEN_HISTORIAL, 1), :Tipo, "
            ":Programa, "
            ":Simulada, CURRENT_TIMESTAMP, :Usuario, :IdUsuario, :Equipo, :Libro, :Tamano, :Sha, :Opciones, "
            ":Estado, :Diario) RETURNING ID"));
        s.paramByName(QStringLiteral("Tipo")).setString(latin1(inicio.tipo));
        s.paramByName(QStringLiteral("Programa")).setString(latin1(inicio.programa));
        s.paramByName(QStringLiteral("Simulada")).setInt(inicio.simulada ? 1 : 0);
        s.paramByName(QStringLiteral("Usuario")).setString(latin1(inicio.usuario.left(31)));
        s.paramByName(QStringLiteral("IdUsuario")).setInt(inicio.idUsuario);
        s.paramByName(QStringLiteral("Equipo")).setString(latin1(QSysInfo::machineHostName().left(100)));
        s.paramByName(QStringLiteral("Libro"))
            .setString(latin1(
                inicio.libro.isEmpty() ? QString() : QFileInfo(inicio.libro).absoluteFilePath().left(1024)));
        s.paramByName(QStringLiteral("Tamano")).setDouble(double(tamano));
        s.paramByName(QStringLiteral("Sha")).setString(QString::fromLatin1(huella));
        s.paramByName(QStringLiteral("Opciones")).setString(latin1(inicio.opciones));
        s.paramByName(QStringLiteral("Estado")).setString(textoEstado(EstadoImportacion::EnCurso));
        const bool diario = !inicio.simulada && hayDiario(conexion_);
        s.paramByName(QStringLiteral("Diario")).setInt(diario ? 1 : 0);
        s.execute();
        id_ = int(s.field(0).asInt());
        s.close();
        t.commit();
        // A dry run's changes are rolled back with its journal: nothing to journal.
        if (diario) diario_.emplace(conexion_, id_);
    } catch (const std::exception& e) {
        aviso_ = QStringLiteral("La importación no queda en el historial ni se podrá deshacer: %1")
                     .arg(TDatos::Texto_Error(e));
        if (const auto* fb = dynamic_cast<const qd::fb::Error*>(&e); fb && fb->sqlCode() == -204) {
            sinHistorial_ = true;
            aviso_ +=
                QStringLiteral("\r\nFalta la tabla QD_HISTORIAL, que el módulo instala al iniciarse con el "
                               "usuario SYSDBA.");
        }
    }
}

RegistroImportacion::~RegistroImportacion() {
    if (!terminado_) {
        DesenlaceImportacion d;
        d.estado = EstadoImportacion::DetenidaPorError;
        terminar(d);
    }
}

void RegistroImportacion::terminar(const DesenlaceImportacion& desenlace) noexcept {
    if (terminado_) return;
    terminado_ = true;
    diario_.reset(); // nothing after the run's end is its work
    if (id_ == 0) return;
    try {
        qd::fb::Transaction t(&conexion_);
        qd::fb::Statement s(&conexion_, &t);
        s.setSql(QStringLiteral(
            "UPDATE QD_HISTORIAL SET FIN = CURRENT_TIMESTAMP, ESTADO = :Estado, RESUMEN = "
            ":Resumen, FILAS_ERRORES = :Filas, INCIDENCIAS = :Incidencias, FICHERO_ERRORES = "
            ":Fichero, SIMULADA = IIF(:Simulada = 1, 1, SIMULADA), DIARIO = IIF(:Simulada = 1, 0, DIARIO), "
            "OPCIONES = COALESCE(OPCIONES, '') || CAST(:Mas AS VARCHAR(1000)) WHERE ID = :Id"));
        s.paramByName(QStringLiteral("Estado")).setString(textoEstado(desenlace.estado));
        s.paramByName(QStringLiteral("Resumen")).setString(latin1(desenlace.resumen));
        s.paramByName(QStringLiteral("Filas")).setInt(desenlace.filasNoEscritas);
        s.paramByName(QStringLiteral("Incidencias"))
            .setString(latin1(desenlace.incidencias.join(QStringLiteral("\r\n"))));
        s.paramByName(QStringLiteral("Fichero")).setString(latin1(desenlace.ficheroErrores.left(1024)));
        s.paramByName(QStringLiteral("Simulada")).setInt(desenlace.simulada ? 1 : 0);
        s.paramByName(QStringLiteral("Mas"))
            .setString(desenlace.masOpciones.isEmpty()
                           ? QStringLiteral("")
                           : QStringLiteral("; ") + latin1(desenlace.masOpciones.left(900)));
        s.paramByName(QStringLiteral("Id")).setInt(id_);
        s.execute();
        t.commit();
    } catch (const std::exception&) {
    }
}

QString FilaHistorial::motivoSinDeshacer() const {
    if (simulada) return QStringLiteral("Es una simulación: no guardó nada.");
    if (deshecha.isValid())
        return QStringLiteral("Ya se deshizo el %1 (importación %2).").arg(fecha(deshecha)).arg(deshechaPor);
    if (diarioBorrado.isValid())
        return QStringLiteral("Su diario de cambios se eliminó el %1.").arg(fecha(diarioBorrado));
    if (!diario) return QStringLiteral("No se guardó su diario de cambios.");
    return {}; // an unfinished run too: its process may have died (the undo takes its kind's lock)
}

QString FilaHistorial::linea() const {
    QString texto = QStringLiteral("%1\t%2\t%3\t%4\t%5%6\t%7\t%8\t%9")
                        .arg(id)
                        .arg(fecha(inicio), fecha(fin), tipo, estado,
                             simulada ? QStringLiteral(" (simulación)") : QString(), usuario, equipo, libro);
    if (deshace != 0) texto += QStringLiteral("\tdeshace la %1").arg(deshace);
    if (deshecha.isValid()) texto += QStringLiteral("\tdeshecha por la %1").arg(deshechaPor);
    return texto;
}

QString FilaHistorial::detalle() const {
    QStringList l;
    l << QStringLiteral("Importación %1").arg(id);
    l << QStringLiteral("Tipo: %1%2").arg(tipo, simulada ? QStringLiteral(" (simulación)") : QString());
    if (deshace != 0) l << QStringLiteral("Deshace la importación %1").arg(deshace);
    l << QStringLiteral("Programa: %1").arg(programa);
    l << QStringLiteral("Inicio: %1").arg(fecha(inicio));
    l << QStringLiteral("Fin: %1").arg(fin.isValid() ? fecha(fin) : QStringLiteral("sin terminar"));
    l << QStringLiteral("Usuario: %1 (%2)").arg(usuario).arg(idUsuario);
    l << QStringLiteral("Equipo: %1").arg(equipo);
    l << QStringLiteral("Libro: %1").arg(libro);
    l << QStringLiteral("Tamaño: %1 bytes").arg(tamano);
    l << QStringLiteral("SHA-256: %1").arg(sha256);
    l << QStringLiteral("Opciones: %1").arg(opciones);
    l << QStringLiteral("Estado: %1").arg(estado);
    l << QStringLiteral("Filas no escritas: %1").arg(filasNoEscritas);
    if (!ficheroErrores.isEmpty()) l << QStringLiteral("Libro de errores: %1").arg(ficheroErrores);
    const QString motivo = motivoSinDeshacer();
    l << (motivo.isEmpty() ? QStringLiteral("Se puede deshacer.")
                           : QStringLiteral("No se puede deshacer: ") + motivo);
    if (!resumen.isEmpty()) l << QString() << resumen;
    if (!incidencias.isEmpty()) l << QString() << QStringLiteral("Incidencias:") << incidencias;
    return l.join(QStringLiteral("\n"));
}

QList<FilaHistorial> listarHistorial(qd::fb::Attachment& conexion, const FiltroHistorial& filtro) {
    qd::fb::Transaction t(&conexion);
    qd::fb::Statement s(&conexion, &t);
    s.setSql(QStringLiteral(
                 "SELECT %1 FROM QD_HISTORIAL WHERE (CAST(:Tipo AS VARCHAR(30)) IS NULL OR TIPO = :Tipo) "
                 "AND (CAST(:Desde AS TIMESTAMP) IS NULL OR INICIO >= :Desde) "
                 "AND (CAST(:Hasta AS TIMESTAMP) IS NULL OR INICIO < :Hasta) ORDER BY INICIO DESC, ID DESC")
                 .arg(QLatin1String(kColumnas)));
    s.paramByName(QStringLiteral("Tipo"))
        .setVariant(filtro.tipo.isEmpty() ? QVariant() : QVariant(filtro.tipo));
    s.paramByName(QStringLiteral("Desde"))
        .setDateTime(filtro.desde.isValid() ? filtro.desde.startOfDay() : QDateTime());
    s.paramByName(QStringLiteral("Hasta"))
        .setDateTime(filtro.hasta.isValid() ? filtro.hasta.addDays(1).startOfDay() : QDateTime());
    s.execute();
    QList<FilaHistorial> r;
    while (!s.eof()) {
        r << leerFila(s);
        s.next();
    }
    s.close();
    t.commit();
    return r;
}

std::optional<FilaHistorial> leerHistorial(qd::fb::Attachment& conexion, int id) {
    qd::fb::Transaction t(&conexion);
    qd::fb::Statement s(&conexion, &t);
    s.setSql(QStringLiteral("SELECT %1 FROM QD_HISTORIAL WHERE ID = :Id").arg(QLatin1String(kColumnas)));
    s.paramByName(QStringLiteral("Id")).setInt(id);
    s.execute();
    std::optional<FilaHistorial> r;
    if (!s.eof()) r = leerFila(s);
    s.close();
    t.commit();
    return r;
}

void borrarDiario(qd::fb::Attachment& conexion, int id) {
    qd::fb::Transaction t(&conexion);
    QStringList diarios;
    {
        qd::fb::Statement s(&conexion, &t);
        s.setSql(QStringLiteral("SELECT TRIM(DIARIO) FROM QD_DIARIO_TABLAS"));
        s.execute();
        while (!s.eof()) {
            diarios << s.field(0).asString();
            s.next();
        }
        s.close();
    }
    for (const QString& diario : diarios) {
        // The journal's name comes from the module's own table, never from the user.
        qd::fb::Statement s(&conexion, &t);
        s.setSql(QStringLiteral("DELETE FROM %1 WHERE QD_IMPORTACION = :Id").arg(diario));
        s.paramByName(QStringLiteral("Id")).setInt(id);
        s.execute();
    }
    qd::fb::Statement s(&conexion, &t);
    s.setSql(QStringLiteral("UPDATE QD_HISTORIAL SET DIARIO = 0, DIARIO_BORRADO = CURRENT_TIMESTAMP WHERE ID "
                            "= :Id AND DIARIO = 1"));
    s.paramByName(QStringLiteral("Id")).setInt(id);
    s.execute();
    t.commit();
}

int aplicarRetencion(qd::fb::Attachment& conexion, int dias) {
    QList<int> viejas;
    {
        qd::fb::Transaction t(&conexion);
        qd::fb::Statement s(&conexion, &t);
        s.setSql(QStringLiteral("SELECT ID FROM QD_HISTORIAL WHERE DIARIO = 1 AND INICIO < :Limite"));
        s.paramByName(QStringLiteral("Limite")).setDateTime(QDateTime::currentDateTime().addDays(-dias));
        s.execute();
        while (!s.eof()) {
            viejas << int(s.field(0).asInt());
            s.next();
        }
        s.close();
        t.commit();
    }
    for (const int id : viejas)
        borrarDiario(conexion, id);
    return int(viejas.size());
}

int diasRetencion(const QString& rutaExcelIni) {
    QFile f(rutaExcelIni);
    if (!f.open(QIODevice::ReadOnly)) return 30;
    const std::optional<QString> valor =
        ExcelIni::readValue(f.readAll(), QStringLiteral("Historial"), QStringLiteral("DiasDiario"));
    bool ok = false;
    const int dias = valor ? valor->toInt(&ok) : 0;
    return ok && dias > 0 ? dias : 30;
}

} // namespace qd
