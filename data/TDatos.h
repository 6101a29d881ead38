#pragma once
// The data module: launch values, the database connection and its transactions, the schema
// upgrade, the workbook of the running import, the cancel flag, and the steps every kind's loader
// and writer share (the row reading, the row loop under the engine, the rows not written). It
// names no import kind: each kind is a class of its own under kinds/ that takes it by reference.
//
// It never shows anything itself: every message and question goes through the UserChannel given
// by its owner (the main window, the headless importer or a test).

#include <QDate>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ConstruirSentencias.h"
#include "ErrorImportacion.h"
#include "FbAttachment.h"
#include "FbStatement.h"
#include "FbTransaction.h"
#include "FieldList.h"
#include "MotorFilas.h"
#include "TkvIBDataSet.h"
#include "TkvIBQuery.h"
#include "TkvRxMemoryData.h"
#include "UserChannel.h"

namespace qd::wb {
class Workbook;
class Sheet;
} // namespace qd::wb

class TDatos {
public:
    TDatos();
    ~TDatos();
    TDatos(const TDatos&) = delete;
    TDatos& operator=(const TDatos&) = delete;

    // --- launch values -------------------------------------------------------------------------
    void DataModuleCreate();
    void Iniciar(int EmpresaActual, int GrupoEmpresasActual, const QString& RutaBaseDatos,
                 int IdUsuarioConectado, const QString& UsuarioConectado,
                 const QString& ClaveUsuarioConectado, const QString& Texto, const QString& TipoOpcion,
                 int ValorIdAlbaran, int ValorIdAlmacen);
    // Text to integer as the launch contract reads it: 0 when the text is not a valid integer.
    static int aEntero(const QString& texto);

    int IdEmpresa = 0;
    int IdGrupoEmpresas = 0;
    QString RutaBD;
    int IdUsuario = 0;
    QString Usuario;
    QString Clave;
    QString TextoLibre; // the seventh parameter: kept, never used
    QString Opcion;
    int Albaran_LAVC = 0;
    int Almacen_LAVC = 0;

    // --- user channel --------------------------------------------------------------------------
    void setCanal(qd::UserChannel* canal);
    qd::UserChannel& canal() const { return *canal_; }

    // --- connection and schema upgrade ----------------------------------------------------------
    // Opens the connection; a failure is shown ("Error al conectar con …") and returns false.
    bool AbrirBaseDeDatos(const QString& BD, const QString& Usuario, const QString& Clave);
    bool Conectar();
    // Runs one statement text, unparsed, in its own transaction and commits it. Errors are
    // swallowed (the upgrade must never stop the start-up).
    void Actualizacion_BD(const QString& CodigoSQL);
    // The upgrade statements (:/upgrade/1.sql, 2.sql, …, every numbered file), in the order of their
    // numbers, as they are sent (lines joined by CR LF).
    static QStringList sentenciasActualizacion();
    // Start-up upgrade for the administrator: every upgrade statement, then the journal of the
    // import runs (qd::instalarDiario); skipped when not connected.
    void actualizarEsquema();

    qd::fb::Attachment IBDatabase;
    qd::fb::Transaction IBTransaction1;
    qd::fb::Transaction IBTActualizarBD;
    qd::fb::Statement IBSQLActualizarBD;

    // --- host notification ---------------------------------------------------------------------
    void Msg_QuendaSQL();

    // --- cancel flag ---------------------------------------------------------------------------
    bool Abortar_Proceso = false;

    // --- workbook of the running import ---------------------------------------------------------
    // Releases any held workbook and opens Fichero; a reader error (qd::wb::Error) reaches the
    // caller with a message that names the file.
    void CargarExcel(const QString& Fichero);
    int Ultima_Fila_Excel() const;
    int Ultima_Columna_Excel() const;
    void Destruir_Excel();
    bool hayExcel() const { return ExcelApp != nullptr; }
    const qd::wb::Sheet& hojaExcel() const; // the active sheet; only while a workbook is held

    std::unique_ptr<qd::wb::Workbook> ExcelApp;
    QString Fichero_Excel; // the path of the held workbook

    // --- shared steps of the loaders and writers (datos_comun.cpp) -------------------------------
    // The shared one-directional lookup query: every code lookup runs on it.
    TkvIBQuery Consulta{&IBDatabase, &IBTransaction1, false};

    // The reading pattern of every loader, over the held workbook's active sheet: empties `tabla`,
    // then for rows 2 to the last used row, stopping at the first row whose first cell is empty:
    // appends a record, calls `columna(row, column, header)` for every column with a non-empty
    // header, posts the record when `conservar()` says so (cancels it otherwise), lets pending
    // messages through and stops when the cancel flag is set. Returns the rows read.
    // With `hastaCabeceraVacia` the columns read are those from 1 up to the first empty header, at
    // most 50 (the client, address and contact sheets); titled columns left out are told once.
    // After a row's columns, every field no column set is marked as given no value
    // (TkvRxMemoryData::marcarAusentes): an update keeps what is stored for it. A title written twice
    // refuses the load (ErrorImportacion naming both columns); with `conocida`, the titles it does
    // not know are told once, as one incidence, before the rows are read.
    int Leer_Filas_Excel(TkvRxMemoryData& tabla, const std::function<void(int, int, const QString&)>& columna,
                         const std::function<bool()>& conservar, bool hastaCabeceraVacia = false,
                         const std::function<bool(const QString&)>& conocida = {});
    // Stores a cell of the held sheet in a staging field as the field takes it: text fields get
    // the cell's text, number fields its number (an empty cell stores empty text or 0, never
    // null). A value the field cannot take stores 0 in float fields and null in the others.
    // `campo` is the field's index in the table (fieldIndex()); -1 stores nothing.
    void Poner_Celda_Staging(TkvRxMemoryData& tabla, int campo, int fila, int columna);
    // Stores a value in a staging field with the same fallback (0 in float fields, else null).
    static void Poner_Valor_Staging(TkvRxMemoryData& tabla, int campo, const QVariant& valor);
    // As Poner_Valor_Staging for a value taken from the cell (fila, columna); what the field does
    // not take as it is (a value it cannot take, a text cut to its size) is an incidence that
    // names the row, the column's header and the cell's text. The value staged is the same.
    void Poner_Valor_Celda(TkvRxMemoryData& tabla, int campo, const QVariant& valor, int fila, int columna);
    // Stores the ID a lookup gave for the code in the cell (fila, columna); a code that is not
    // empty and found nothing (null) is an incidence: the field is left empty.
    void Poner_Busqueda_Staging(TkvRxMemoryData& tabla, int campo, const QVariant& id, int fila, int columna);
    // Stores a code (an article code, a reference used for matching) without its leading and
    // trailing blanks. A code longer than the field is never cut, a blank one never matches, a cell
    // that holds no code (a date, a boolean, an error) is not one: each is an incidence and false is
    // returned (the caller drops the row). True when stored.
    bool Poner_Codigo_Staging(TkvRxMemoryData& tabla, int campo, int fila, int columna);
    // The code a cell holds: its text without blanks around it, a whole number's digits (no
    // exponent, no ".0"), empty for an empty cell. A date, a boolean, an error or a number past 15
    // digits holds no code: an incidence naming the cell, and nullopt.
    std::optional<QString> Texto_Codigo(int fila, int columna);
    // One incidence line about a cell: «Fila N, columna X: «valor» que».
    void Incidencia_Celda(int fila, const QString& cabecera, const QString& valor, const QString& que);
    // The title of a workbook column, on row 1 or on the title row the running load reads under.
    QString Cabecera_Columna(int columna) const;
    static QString Texto_Incidencia(int fila, const QString& cabecera, const QString& valor,
                                    const QString& que);
    // What the last load of a staging table saw: the sheet's headers (non-empty, as written) and
    // the sheet row of each staged record (by record number, from 1; 0 when unknown).
    QStringList Cabeceras_Cargadas(const TkvRxMemoryData& tabla) const;
    QSet<QString> Cabeceras_Presentes(const TkvRxMemoryData& tabla) const; // upper-cased
    int Fila_Hoja(const TkvRxMemoryData& tabla, int recNo) const;
    // Sorts a staged table (TkvRxMemoryData::sort); each record keeps its sheet row for Fila_Hoja.
    void Ordenar_Staging(TkvRxMemoryData& tabla, const QStringList& campos);
    // The header of the loaded sheet that names a staging field (the field name when none does).
    QString Cabecera_Campo(const TkvRxMemoryData& tabla, const QString& campo) const;
    // Tells the user once, before writing, which ticked fields an update leaves as stored
    // because the workbook has no column for them (status text and one incidence).
    void Avisar_Campos_Ausentes(const qd::SentenciasSql& sentencias);
    // A stopping error of a written row, as the caller gets it: «Fila N, columna X: » before
    // the error's own text (the column when the failing parameter is known).
    qd::ErrorImportacion Error_En_Fila(const std::exception& e, const TkvRxMemoryData& tabla,
                                       const QString& parametro = {}) const;
    // The ID a lookup statement ("SELECT <id> as ID FROM <table>", completed here with
    // " WHERE (CODIGO = :ParCodigo)") gives for a code, on Consulta; null when nothing is found
    // or on any database error.
    QVariant Buscar_ID_Codigo(const QString& SelectBusqueda, const QString& Codigo);
    // Runs a look-up whose first column is an ID, its parameters bound: the ID of its first row, 0
    // when there is none or it is null. The statement is closed again.
    static int Id_Encontrado(qd::fb::Statement& busqueda);
    // Runs one statement with its parameters bound by name, in the shared transaction.
    void Ejecutar_Sentencia(const QString& sql, const QList<QPair<QString, QVariant>>& parametros);
    // Binds the parameters of a statement from the current record of a staging table, in the
    // order of `nombres`, each from the staged field of the same name (null binds null). A name
    // that is not a parameter of the statement (its field-list item is unticked) is skipped and
    // told to `sinParametro`. A value that cannot be bound asks `sustituto` for the value to bind
    // instead; without one the error goes on to the caller (a parameter never keeps a value from
    // an earlier row).
    static void
    Enlazar_Desde_Staging(qd::fb::Statement& sentencia, const TkvRxMemoryData& tabla,
                          const QStringList& nombres,
                          const std::function<void(const QString& nombre)>& sinParametro,
                          const std::function<std::optional<QVariant>(const QString& nombre)>& sustituto);
    // As Enlazar_Desde_Staging; for an update (`actualizacion`) a field the row gives no value
    // (an empty cell, a code that matches nothing, a value the field cannot take, a column the
    // workbook does not have) is bound null, so that the update's COALESCE(:X, X) keeps what is
    // stored. With the run's `vaciar` an empty cell binds its empty text or 0 instead.
    void Enlazar_Fila(qd::fb::Statement& sentencia, const TkvRxMemoryData& tabla, const QStringList& nombres,
                      bool actualizacion, const std::function<void(const QString& nombre)>& sinParametro = {},
                      const std::function<std::optional<QVariant>(const QString& nombre)>& sustituto = {});
    // Whether the current record gives no value for `campo` that an update should write (the rule
    // of Enlazar_Fila), for writers that bind a field by hand.
    bool Sin_Valor(const TkvRxMemoryData& tabla, const QString& campo) const;
    // Refuses the current record as a new one (qd::FilaRechazada naming the column) when one of
    // `campos` holds no value.
    void Exigir_En_Alta(const TkvRxMemoryData& tabla, const QStringList& campos) const;
    // The client's own text for a parameter the statement does not have.
    static QString Texto_Falta_Parametro(qd::fb::Statement& sentencia, const QString& nombre);
    // The text of an error as the user sees it: the database's own message, the dataset's or
    // the reader's text.
    static QString Texto_Error(const std::exception& e);
    // Ends a writer's row: commits retaining when the transaction is active (or does what the
    // running engine's options say), lets pending messages through and answers whether the user
    // asked to cancel.
    bool Fin_Fila_Escritura();
    // Ends a writer's run however its loop ends: the shared transaction is committed, so what
    // the rows wrote stays written (with an engine, the engine ends the run: a dry run rolls
    // back). A normal end calls terminar(), whose errors reach the caller; an end by an
    // exception ends quietly and lets that exception go on.
    class FinEscritura {
    public:
        explicit FinEscritura(qd::fb::Transaction& t, qd::MotorFilas* motor = nullptr)
            : t_(t), motor_(motor) {}
        ~FinEscritura();
        FinEscritura(const FinEscritura&) = delete;
        FinEscritura& operator=(const FinEscritura&) = delete;
        void terminar();

    private:
        qd::fb::Transaction& t_;
        qd::MotorFilas* motor_;
        bool terminado_ = false;
    };

    // --- the row loop of every writer ------------------------------------------------------------
    // What happens to a row the database refuses when the engine does not take it (keep going):
    // the loop stops with the error (the caller gets it, naming the row), or the row is left
    // unwritten, told (a message box and an incidence, or an incidence only) and the loop goes on.
    enum class TrasError { Detener, Mostrar, Anotar };
    struct RecorridoFilas {
        std::function<void()> escribir;   // writes the staging table's current record; throws what fails
        std::function<QString()> cuentas; // the counts so far (kept in Resumen_Hasta_Error at a stop)
        std::function<QString()> codigo;  // the record's code, named by a lock conflict
        TrasError trasError = TrasError::Detener;
    };
    struct FinRecorrido {
        bool cancelado = false;
        int conErrores = 0; // rows left unwritten by the kind's own rule (not the engine's)
    };
    // Runs `escribir` for every record of `t` from the first: each row in the shared transaction
    // under the running engine (savepoint, commits), progress, cancel between rows, and the end
    // of the run (FinEscritura). Errors as `trasError` says, or the engine's keep-going.
    FinRecorrido Recorrer_Filas(TkvRxMemoryData& t, const RecorridoFilas& r);
    // The same loop over units that are not the records of one table (groups of rows): `ir(i)`
    // puts unit i (from 0) in place, and is called with `total` after the last one; `filaLibro`
    // names the unit's workbook row.
    struct Unidades {
        int total = 0;
        std::function<void(int)> ir;
        std::function<int()> filaLibro;
        std::function<qd::ErrorImportacion(const std::exception&)> errorEnFila; // unset: «Fila N: …»
    };
    FinRecorrido Recorrer_Unidades(const Unidades& u, const RecorridoFilas& r);
    // Lists units `desde`… of `u` as rows not written, with `motivo` (a stop or a cancel); the loop
    // stands on unit desde - 1 (or on desde itself with `yaEnDesde`) and moves on one at a time.
    void Anotar_No_Procesadas(const Unidades& u, int desde, const QString& motivo, bool yaEnDesde = false);
    // "Nombre: n" lines, and the summary every writer ends with: «Proceso terminado.», the
    // counts, the cancel and the engine's notes (the dry run, the rows with errors).
    static QString Texto_Resumen(const QList<QPair<QString, int>>& cuentas);
    QString Terminar_Resumen(const QString& cuentas, bool cancelado, qd::ResultadoMotor* resultado);
    // What the last writer's summary said (Terminar_Resumen), for the history of the runs
    // (qd::desenlaceImportacion); the caller empties it before a run.
    struct Desenlace {
        QString resumen;
        bool cancelado = false;
        qd::ResultadoMotor motor;
    };
    Desenlace Ultimo_Desenlace;

    // --- the engine options of a run (MotorFilas) ------------------------------------------------
    // A caller that may choose a dry run after the load (the page) or has chosen it (qdimport
    // --simular) calls Empezar_Carga() before the load: the load's work (the masters its lookups
    // create) then stays pending on the shared transaction instead of being committed as it goes.
    // A confirmation commits it before its first row, a dry run rolls it back with its own work;
    // Terminar_Carga(false) commits it ("Atrás", the module's end), Terminar_Carga(true) rolls it
    // back. Nothing pending: no-op.
    void Empezar_Carga();
    void Terminar_Carga(bool descartar);
    bool cargaPendiente() const { return cargaPendiente_.has_value(); }
    // The engine of the running write, set by a kind's confirm step for the writer's loop.
    qd::MotorFilas* motorEnCurso() const { return motor_; }
    // Runs `escribir` with an engine of the given options in place for the writer: the load's
    // pending work is committed first, or kept in the dry run's transaction (and rolled back with it).
    template <class F> auto Con_Motor(const qd::OpcionesMotor& opciones, F&& escribir) {
        if (opciones.simular)
            cargaPendiente_.reset(); // the engine's hold keeps it, its rollback ends it
        else
            Terminar_Carga(false);
        qd::MotorFilas motor(IBTransaction1, canal(), opciones);
        motor_ = &motor;
        struct Quitar {
            qd::MotorFilas*& m;
            ~Quitar() { m = nullptr; }
        } quitar{motor_};
        // The rows the engine let go (keep going) are rows not written, whatever becomes of the run.
        struct Anotar {
            TDatos& d;
            qd::MotorFilas& m;
            ~Anotar() {
                for (const auto& f : m.resultado().fallidas)
                    d.Anotar_Fila_No_Escrita(f.filaLibro, f.motivo);
            }
        } anotar{*this, motor};
        return escribir(motor);
    }

    // A secondary step of a written row failed (stock, prices): a warning naming the workbook row
    // and the code, and the loop goes on. A lock or update conflict also counts the row as a row
    // with errors (it is listed with the rows not written).
    void Aviso_Fila(const std::exception& e, const TkvRxMemoryData& tabla, const QString& codigo);

    // --- rows not written ---------------------------------------------------------------------
    // The sheet rows of the running import that were not written, and why: rows the loader
    // dropped and rows the writer's database refused. Emptied when a load starts; the caller
    // exports them for the user to fix and import again.
    struct FilaNoEscrita {
        int fila; // sheet row, from 1
        QString motivo;
    };
    std::vector<FilaNoEscrita> Filas_No_Escritas;
    void Anotar_Fila_No_Escrita(int fila, const QString& motivo);

    // Refuses (ErrorImportacion) an action that needs the database while the module is not
    // connected, or was started for a company group or company the database does not have; the
    // text tells the user to start the module again from the suite.
    void Exigir_Conexion() const;
    static QString textoSinConexion();

    // The counts written so far by a writer that stopped on an error (empty after a run that
    // ended normally): the headless importer prints them after the error.
    QString Resumen_Hasta_Error;

    // What the last load of each staging table saw (Cabeceras_Cargadas, Fila_Hoja), and the row
    // Cabecera_Columna reads the titles on (a kind whose titles are not on row 1 sets it while it loads).
    struct CargaHoja {
        QStringList cabeceras;
        std::vector<int> filas;
    };
    QHash<const TkvRxMemoryData*, CargaHoja> cargas_;
    int filaTitulos_ = 1;

private:
    // Checks the launch's company group and company against the database (after connecting).
    void Comprobar_Lanzamiento();
    QString errorLanzamiento_; // why the launch values refuse every action; empty when they are right
    std::optional<qd::fb::Transaction::Hold> cargaPendiente_;
    qd::MotorFilas* motor_ = nullptr;

    qd::UserChannel* canal_ = nullptr;
};
