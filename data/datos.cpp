// TDatos: launch values, connection, schema upgrade and the held workbook.
#include "TDatos.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "DiarioImportaciones.h"
#include "FbError.h"
#include "NotificarAnfitrion.h"
#include "Workbook.h"

namespace {

// Stays silent: used until the owner gives the data module its channel.
class CanalMudo final : public qd::UserChannel {
public:
    void message(qd::MessageKind, const QString&, const QString&) override {}
    bool ask(const QString&, const QString&) override { return false; }
    void status(const QString&, int) override {}
    void progressOpen(int) override {}
    void progressStep(const QString&) override {}
    void progressClose() override {}
    void incidence(const QString&) override {}

protected:
    void processEvents() override {}
};

CanalMudo canalMudo;

const QStringList kParametrosTransaccion{"read_committed", "rec_version", "nowait"};

} // namespace

TDatos::TDatos()
    : IBTransaction1(&IBDatabase, kParametrosTransaccion),
      IBTActualizarBD(&IBDatabase, kParametrosTransaccion), IBSQLActualizarBD(&IBDatabase, &IBTActualizarBD) {
    Q_INIT_RESOURCE(upgrade);
    IBSQLActualizarBD.setParamCheck(false);
    IBTActualizarBD.setCommitOnDestroy(true); // stopped automatically, it commits
    setCanal(nullptr);
    DataModuleCreate();
}

TDatos::~TDatos() {
    try {
        Terminar_Carga(false); // what a load created and nobody discarded stays, as it always did
    } catch (const std::exception&) {
    }
    Destruir_Excel();
}

void TDatos::DataModuleCreate() {
    Abortar_Proceso = false;
}

void TDatos::setCanal(qd::UserChannel* canal) {
    canal_ = canal ? canal : &canalMudo;
    canal_->bindCancelFlag(&Abortar_Proceso);
}

int TDatos::aEntero(const QString& texto) {
    // Optional blanks before, an optional sign, decimal digits, nothing after; anything else is 0.
    static const QRegularExpression entero(QStringLiteral("^\\s*[+-]?[0-9]+$"));
    if (!entero.match(texto).hasMatch()) return 0;
    bool ok = false;
    const int valor = texto.trimmed().toInt(&ok);
    return ok ? valor : 0;
}

void TDatos::Iniciar(int EmpresaActual, int GrupoEmpresasActual, const QString& RutaBaseDatos,
                     int IdUsuarioConectado, const QString& UsuarioConectado,
                     const QString& ClaveUsuarioConectado, const QString& Texto, const QString& TipoOpcion,
                     int ValorIdAlbaran, int ValorIdAlmacen) {
    IdEmpresa = EmpresaActual;
    IdGrupoEmpresas = GrupoEmpresasActual;
    RutaBD = RutaBaseDatos;
    IdUsuario = IdUsuarioConectado;
    Usuario = UsuarioConectado;
    Clave = ClaveUsuarioConectado;
    TextoLibre = Texto;
    Opcion = TipoOpcion;
    Albaran_LAVC = ValorIdAlbaran;
    Almacen_LAVC = ValorIdAlmacen;
}

bool TDatos::AbrirBaseDeDatos(const QString& BD, const QString& Usuario_, const QString& Clave_) {
    try {
        if (IBDatabase.connected()) IBDatabase.close();
        IBDatabase.setDatabaseName(BD);
        IBDatabase.params().clear();
        IBDatabase.params() << QStringLiteral("USER_NAME=") + Usuario_ << QStringLiteral("PASSWORD=") + Clave_
                            << QStringLiteral("lc_ctype=ISO8859_1");
        IBDatabase.open();
        Comprobar_Lanzamiento();
        return true;
    } catch (const qd::fb::Error& e) {
        canal().message(qd::MessageKind::Error,
                        QStringLiteral("Error al conectar con ") + BD + QStringLiteral("\r\n") + e.message());
    }
    return false;
}

void TDatos::Comprobar_Lanzamiento() {
    errorLanzamiento_.clear();
    // The company group and the company the suite started the module for must exist: every new
    // record belongs to them. A wrong launch value refuses every load and write, said once here.
    qd::fb::Transaction t(&IBDatabase);
    qd::fb::Statement s(&IBDatabase, &t);
    auto existe = [&s](const QString& sql, int id) {
        s.setSql(sql);
        s.paramByName(QStringLiteral("Id")).setInt(id);
        return Id_Encontrado(s) != 0;
    };
    try {
        t.start();
        if (!existe(
                QStringLiteral("SELECT IDGRUPOSEMPRESAS FROM GRUPOSEMPRESAS WHERE IDGRUPOSEMPRESAS = :Id"),
                IdGrupoEmpresas))
            errorLanzamiento_ =
                QStringLiteral("El grupo de empresas %1 con el que se ha abierto el módulo no "
                               "existe en la base de datos.")
                    .arg(IdGrupoEmpresas);
        else if (!existe(QStringLiteral("SELECT IDEMPRESAS FROM EMPRESAS WHERE IDEMPRESAS = :Id"), IdEmpresa))
            errorLanzamiento_ =
                QStringLiteral("La empresa %1 con la que se ha abierto el módulo no existe en la "
                               "base de datos.")
                    .arg(IdEmpresa);
        t.commit();
    } catch (const std::exception&) {
        // A database without these tables is not the suite's: the loads say what fails.
        errorLanzamiento_.clear();
    }
    if (!errorLanzamiento_.isEmpty()) {
        errorLanzamiento_ +=
            QStringLiteral(" No se importa nada: abra el módulo otra vez desde la aplicación.");
        canal().message(qd::MessageKind::Error, errorLanzamiento_);
    }
}

bool TDatos::Conectar() {
    return AbrirBaseDeDatos(RutaBD, Usuario, Clave);
}

void TDatos::Actualizacion_BD(const QString& CodigoSQL) {
    try {
        if (!IBDatabase.connected() && !Conectar()) return;
        IBSQLActualizarBD.setSql(CodigoSQL);
        if (!IBTActualizarBD.active()) IBTActualizarBD.start();
        IBSQLActualizarBD.execute();
        if (IBTActualizarBD.active()) IBTActualizarBD.commit();
    } catch (const std::exception&) {
        // Upgrade statements may fail harmlessly (a table that exists, no rights): ignored.
    }
}

QStringList TDatos::sentenciasActualizacion() {
    // Every numbered statement, in the order of its number; a number may be missing (statements
    // are numbered by whoever adds one, and some numbers are taken by work not merged yet).
    QList<int> numeros;
    for (const QString& nombre : QDir(QStringLiteral(":/upgrade")).entryList(QDir::Files)) {
        bool ok = false;
        const int n = QFileInfo(nombre).completeBaseName().toInt(&ok);
        if (ok && nombre.endsWith(QLatin1String(".sql"))) numeros << n;
    }
    std::sort(numeros.begin(), numeros.end());
    QStringList sentencias;
    for (const int i : numeros) {
        QFile f(QStringLiteral(":/upgrade/%1.sql").arg(i));
        if (!f.open(QIODevice::ReadOnly)) continue;
        QString texto = QString::fromUtf8(f.readAll());
        texto.remove(QLatin1Char('\r'));
        while (texto.endsWith(QLatin1Char('\n')))
            texto.chop(1);
        sentencias << texto.split(QLatin1Char('\n')).join(QStringLiteral("\r\n"));
    }
    return sentencias;
}

void TDatos::actualizarEsquema() {
    // With the connection down every statement would try to connect again and show its own
    // error box; one box (from the start-up connect) says all there is to say.
    if (!IBDatabase.connected()) return;
    for (const QString& s : sentenciasActualizacion())
        Actualizacion_BD(s);
    // The journal of the import runs: a table and a trigger per table the imports write, made from
    // the table's columns as they are in this database.
    try {
        qd::instalarDiario(IBDatabase);
    } catch (const std::exception&) {
        // As the statements above: a failed upgrade never stops the start-up (runs are then kept
        // in the history without their journal).
    }
}

void TDatos::Msg_QuendaSQL() {
    qd::notificarAnfitrion();
}

void TDatos::CargarExcel(const QString& Fichero) {
    Destruir_Excel();
    ExcelApp = qd::wb::Workbook::open(Fichero);
    Fichero_Excel = Fichero;
}

int TDatos::Ultima_Fila_Excel() const {
    return ExcelApp ? ExcelApp->activeSheet().lastRow() : 0;
}

int TDatos::Ultima_Columna_Excel() const {
    return ExcelApp ? ExcelApp->activeSheet().lastColumn() : 0;
}

void TDatos::Destruir_Excel() {
    ExcelApp.reset();
}

const qd::wb::Sheet& TDatos::hojaExcel() const {
    return ExcelApp->activeSheet();
}
