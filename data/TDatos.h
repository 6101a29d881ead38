#pragma once
// The data module: launch values, the database connection and its transactions, the schema
// upgrade, the workbook of the running import, the cancel flag, and (in datos_*.cpp, one file per
// import kind) the staging tables, loaders and writers.
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
#include "OpcionesArticulos.h"
#include "OpcionesClientes.h"
#include "OpcionesDLR.h"
#include "OpcionesLineas.h"
#include "OpcionesTarifaProveedor.h"
#include "OpcionesTarifas.h"
#include "OpcionesVerificarReferencias.h"
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
    // The upgrade statements (:/upgrade/1.sql, 2.sql, … up to the first missing one), in order, as
    // they are sent (lines joined by CR LF).
    static QStringList sentenciasActualizacion();
    // Start-up upgrade for the administrator: every upgrade statement, skipped when not connected.
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
    int Leer_Filas_Excel(TkvRxMemoryData& tabla, const std::function<void(int, int, const QString&)>& columna,
                         const std::function<bool()>& conservar, bool hastaCabeceraVacia = false);
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
    // trailing blanks. A code longer than the field is never cut: it is an incidence and false
    // is returned (the caller drops the row). True when stored.
    bool Poner_Codigo_Staging(TkvRxMemoryData& tabla, int campo, int fila, int columna);
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
    // "Nombre: n" lines, and the summary every writer ends with: «Proceso terminado.», the
    // counts, the cancel and the engine's notes (the dry run, the rows with errors).
    static QString Texto_Resumen(const QList<QPair<QString, int>>& cuentas);
    QString Terminar_Resumen(const QString& cuentas, bool cancelado, qd::ResultadoMotor* resultado);

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
    // connected; the text tells the user to start the module again from the suite.
    void Exigir_Conexion() const;
    static QString textoSinConexion();

    // --- articles (datos_articulos.cpp) -----------------------------------------------------------
    using OpcionesArticulos = qd::OpcionesArticulos;
    using ResumenArticulos = qd::ResumenArticulos;
    TkvRxMemoryData kvRxMDArticulos; // staging table of the article import

    // The import's two steps, as the page, the headless importer and the tests run them; both
    // report through the channel (status texts, messages) and throw what stops them.
    // Load: opens `fichero` and stages its rows; returns the rows read.
    int cargarArticulos(const QString& fichero, const OpcionesArticulos& o);
    // Confirm: builds the statements from the ticked fields and runs the writer.
    // `motor`: dry run, keep going, bulk commits (MotorFilas).
    ResumenArticulos confirmarArticulos(const OpcionesArticulos& o, const qd::FieldList& campos,
                                        const qd::OpcionesMotor& motor = {});

    // Stages the rows of the held workbook. OpcionBusqueda: true matches articles by code, false
    // by supplier reference (the field a row must have to stay). UsarTopeIntervalo changes nothing
    // here; it is kept for the caller's symmetry with the writer.
    void CargarRxArticulos(bool OpcionBusqueda, bool UsarTopeIntervalo);
    // The ID of a code in the master table of index Tabla_Busqueda (0 family, 1 VAT, 2 brand,
    // 3 range, 4 manufacturer, 5 supplier, 6 company group), creating missing families, brands,
    // ranges and manufacturers; null when nothing is found (the launch group for 6).
    QVariant BuscarID_Articulos(int Tabla_Busqueda, const QString& Codigo_Busqueda);
    // Writes the staged articles with the given INSERT and UPDATE. Errors of the insert, the
    // update or the initial cost stop the loop and reach the caller (what was written stays
    // written); stock and price errors are warnings and the loop goes on. Shows the summary.
    ResumenArticulos Insertar_Articulos(const OpcionesArticulos& o, const qd::SentenciasSql& sentencias);

    // --- clients, delivery addresses and contacts (datos_clientes.cpp, datos_direcciones.cpp,
    // datos_contactos.cpp) ------------------------------------------------------------------------
    using OpcionesClientes = qd::OpcionesClientes;
    using ResumenClientes = qd::ResumenClientes;
    TkvRxMemoryData kvRxMDClientes;       // staging table of the client import
    TkvRxMemoryData kvRxMDDireccionesCli; // delivery addresses
    TkvRxMemoryData kvRxMDContactosCli;   // contact persons

    // Defaults of new clients and of codes not found (the defaults window's choice).
    int TarifaDef = 0, FormaPagoDef = 0, CarteraDef = 0, RegimenIVADef = 0, MonedaDef = 0,
        GrupoEmpresasDef = 0;
    // The portfolio of the payment method the last COD_FPAGO lookup found (null: it has none).
    QVariant IdCarteraAsociada;
    void ponerDatosDefecto(const qd::DatosDefectoClientes& d);
    // The counts of a client, address, contact or supplier run, as the summary shows them.
    static QString Cuentas_Clientes(const ResumenClientes& r);
    qd::DatosDefectoClientes datosDefecto() const;
    // The defaults the window starts with: the lowest code of each table (price lists of the
    // launch company group; the launch company group itself when it exists). 0 when a table is empty.
    qd::DatosDefectoClientes datosDefectoIniciales();
    // The defaults by code (an empty code keeps the initial default); a code that is not found is
    // refused (ErrorImportacion naming it).
    qd::DatosDefectoClientes datosDefectoPorCodigo(const QString& grupoEmpresas, const QString& regimenIva,
                                                   const QString& formaPago, const QString& tarifa,
                                                   const QString& moneda);
    // The statements of the defaults window's lookups (the window shows them; the initial defaults
    // read their first row).
    static QString selectDatosDefecto(int cual); // 0 group, 1 VAT regime, 2 payment, 3 price list, 4 currency
    static QStringList lineasDatosDefecto(int cual); // the same, one text per line

    // The client import's two steps (the page runs both with one press).
    int cargarClientes(const QString& fichero, const OpcionesClientes& o);
    ResumenClientes confirmarClientes(const OpcionesClientes& o, const qd::FieldList& campos,
                                      const qd::OpcionesMotor& motor = {});
    void CargarRxClientes();
    // The client loader over any staging table of its kind: the coded columns of the given
    // BuscarID_Clientes indexes (the others are ignored), staged fields by name, "CuentaBancoCCC"
    // split (with `calcularDC`, check digits "00" computed), CODIGO required.
    void Cargar_Filas_Codificadas(TkvRxMemoryData& t, const QList<int>& codificadas, bool calcularDC);
    // The ID of a code in the table of index Tabla_Busqueda (0 price list, 1 payment method, 2 VAT
    // regime, 3 client type, 4 client group, 5 currency, 6 company group, 8 zone, 9 route, 10 agent);
    // a code not found gives the chosen default (0, 1, 2, 5, 6) or null. 1 also sets IdCarteraAsociada.
    QVariant BuscarID_Clientes(int Tabla_Busqueda, const QString& Codigo_Busqueda);
    ResumenClientes Insertar_Clientes(bool SoloNuevos, const qd::SentenciasSql& sentencias,
                                      const qd::AuxiliaresCliente& aux);
    // What the current staged client says beyond CLIENTES (its bank account, agent, zone and
    // route), for the client just written (datos_auxiliares_cliente.cpp).
    void InsertarDatosAuxiliaresCliente(int IdClienteIns, const qd::AuxiliaresCliente& que);
    // A client's bank account as a collection domicile: the placeholder account (bank and branch
    // "0000") goes, the first account is the principal one, the same account is kept once (false).
    struct DomicilioCobro {
        QString nombre, banco, sucursal, dc, cuenta, paisIban, dcIban;
    };
    bool Insertar_Domicilio_Cobro(int IdCliente, const DomicilioCobro& domicilio);
    // The code of the first country whose name holds the given one ("ES" when none, or no name).
    QString Codigo_Pais(const QString& NombrePais);
    // The ID of an agent, zone or route by its code, created (code as name) when missing.
    enum class TablaAuxiliar { Agente, Zona, Ruta };
    int Buscar_O_Crear_Auxiliar(TablaAuxiliar tabla, const QString& Codigo);

    int cargarDirecciones(const QString& fichero, const OpcionesClientes& o);
    ResumenClientes confirmarDirecciones(const OpcionesClientes& o, const qd::FieldList& campos,
                                         const qd::OpcionesMotor& motor = {});
    void CargarRxDireccionesClientes();
    ResumenClientes Insertar_Direcciones_Clientes(bool SoloNuevos, const qd::SentenciasSql& sentencias);

    int cargarContactos(const QString& fichero, const OpcionesClientes& o);
    ResumenClientes confirmarContactos(const OpcionesClientes& o, const qd::FieldList& campos,
                                       const qd::OpcionesMotor& motor = {});
    void CargarRxContactosClientes();
    ResumenClientes Insertar_Contactos_Clientes(bool SoloNuevos, const qd::SentenciasSql& sentencias);

    // --- suppliers (datos_proveedores.cpp) -----------------------------------------------------
    TkvRxMemoryData kvRxMDProveedores; // staging table of the supplier import
    int cargarProveedores(const QString& fichero, const OpcionesClientes& o);
    ResumenClientes confirmarProveedores(const OpcionesClientes& o, const qd::FieldList& campos,
                                         const qd::OpcionesMotor& motor = {});
    void CargarRxProveedores();
    // `bancos`: BANCOS ticked (the account and, when the row names its country, the IBAN).
    ResumenClientes Insertar_Proveedores(bool SoloNuevos, const qd::SentenciasSql& sentencias, bool bancos);

    // --- clients' bank accounts (datos_bancos.cpp) ----------------------------------------------
    TkvRxMemoryData kvRxMDDomiciliosCobro; // staging table of the bank-account import
    int cargarBancos(const QString& fichero);
    // Writes the staged accounts when the four entries of the list are ticked; refuses otherwise.
    ResumenClientes confirmarBancos(const qd::FieldList& campos, const qd::OpcionesMotor& motor = {});
    void CargarRxDomiciliosCobro();
    ResumenClientes Preparar_Sentencias_DomiciliosCobro();

    // --- sales price lists (datos_tarifas.cpp) --------------------------------------------------
    using OpcionesTarifas = qd::OpcionesTarifas;
    using ResumenTarifas = qd::ResumenTarifas;
    TkvRxMemoryData kvRxTarifas; // staging table of the sales price-list import
    int cargarTarifas(const QString& fichero);
    ResumenTarifas confirmarTarifas(const OpcionesTarifas& o, const qd::OpcionesMotor& motor = {});
    // Rows 2 on whose column 3 is a number: code (1), name (2), prices (3, 5 and 7).
    void CargarRxTarifas();
    // The captions of the three price columns (row 2 of columns 3, 5 and 7, upper-cased).
    QStringList Titulos_Precios_Tarifas() const;
    ResumenTarifas InsertarTarifas(const OpcionesTarifas& o);

    // --- lots of delivery-note lines (datos_lotes.cpp) -------------------------------------------
    // The lot of an article by its number; 0 when there is none.
    int Buscar_Lote(int IdArticulo, const QString& NumeroLote);
    // Finds or creates the lot (null expiry date: none) and links it to the sales (or, with
    // `compra`, purchase) delivery-note line with its quantities; returns the lot's ID.
    int InsertarNumeroLote(int IdArticulo, int IdLineaAlbaran, const QString& NumeroLote,
                           const QVariant& FechaCaducidad, double Cant1, double Cant2, bool compra = false);

    // --- DLR delivery-note confirmation (datos_dlr.cpp) -----------------------------------------
    using ResumenDLR = qd::ResumenDLR;
    TkvRxMemoryData kvRxMDAlbaranesDLR; // staging table of the DLR report, sorted by order and article
    int cargarDLR(const QString& fichero);
    void CargarRxAlbaranesDLR();
    // Checks every staged row and lists the problems; with `Importar`, attaches the lots of the lines
    // that check out and completes the delivery notes whose lines all do (under the engine options).
    ResumenDLR procesarDLR(bool Importar, const qd::OpcionesMotor& motor = {});
    ResumenDLR Procesar_AlbaranesDLR(bool Importar);

    // --- delivery-note lines, sales (LAV) and purchases (LAC) (datos_lineas.cpp) -----------------
    using OpcionesLineas = qd::OpcionesLineas;
    using ResumenLineas = qd::ResumenLineas;
    TkvRxMemoryData kvRxMDLAV;            // staging table of the lines
    int BuscarArticuloPor = 0;            // the search mode in force (verification follows it)
    int BuscarArticuloPorIncidencias = 0; // the search mode of the last load (key column of the file)
    int TotalRegistrosExcel = 0;          // the last sheet row read

    // Load: opens `fichero` and stages its lines under the search mode of `o`; returns the lines.
    int cargarLineas(const QString& fichero, const OpcionesLineas& o);
    // Stages the lines of the held workbook by their header names (at most 50 columns, up to the
    // first empty header), each matched to its article.
    void CargarLineaLAVC();
    // Matches the current record (in edit or insert) under BuscarArticuloPor: the article's
    // fields, VALIDO (article found and its serial number not yet on a line of that side).
    void Emparejar_Linea();
    // Re-matches every line under the current search mode and clears MODIFICADO.
    void Verificar_Lineas();
    // An edit made by hand: stores the value and marks the line MODIFICADO.
    void Editar_Linea(int recNo, const QString& campo, const QVariant& valor);
    // A line edited in the grid (0-based row): marks it MODIFICADO until the next verification.
    void Linea_Editada(int fila);
    // How a staged line stands (0-based row): not valid, valid, or valid with a price other than
    // the article's last purchase price. The grid colours its lines by it.
    enum class EstadoLinea { NoValida, Valida, PrecioDistinto };
    EstadoLinea Estado_Linea(int fila) const;
    // True when every line is valid and unedited (an empty table too).
    bool Lineas_Listas() const;
    static QString textoLineasNoListas();
    // Confirm: refuses (without SoloValidas) a table with invalid or edited lines, then writes the
    // valid lines, the line-incidence file, and recalculates the delivery note.
    ResumenLineas confirmarLineas(const OpcionesLineas& o, const qd::OpcionesMotor& motor = {});
    // One line of the line-incidence file for the current record.
    QString Linea_Incidencia_LAVC(bool venta, bool precioDistinto = false) const;
    static QString Cabecera_Incidencias_LAVC(bool venta, int buscarPor);

    // The line procedures and the recalculations; errors reach the caller.
    int InsertarLineaAlbaranVenta(int IdAlbaran, int IdAlmacen);
    int InsertarLineaAlbaranCompra(int IdAlbaran, int IdAlmacen);
    void RecalcularLinea(int IdLinea, int IdAlbaran, double Descuento, double Precio, double Cant2,
                         double Cant1, int IdArticulo);
    void RecalcularLineaCompra(int IdLinea, int IdAlbaran, double Descuento, double Precio, double Cant2,
                               double Cant1, int IdArticulo);
    void ReCalcularAlbaran(int IdAlbaran);
    void ReCalcularAlbaranCompra(int IdAlbaran);
    // The serial number and the lot of the current staged line, for the line just written: a new
    // serial number is created, one already on a line of that side is refused; a lot is found or
    // created and linked with the line's quantities.
    void Lote_Y_Serie_Linea(bool venta, int IdLinea, int IdAlbaran, int IdAlmacen);
    void InsertarNumeroSerieLinea(bool venta, int IdLinea, int IdAlbaran, int IdAlmacen);
    static QDate Fecha_Garantia(const QDate& fechaAlbaran);

    // The counts written so far by a writer that stopped on an error (empty after a run that
    // ended normally): the headless importer prints them after the error.
    QString Resumen_Hasta_Error;

    // --- supplier price list (datos_tarifa_proveedor.cpp) -----------------------------------------
    using OpcionesTarifaProveedor = qd::OpcionesTarifaProveedor;
    using ResumenTarifaProveedor = qd::ResumenTarifaProveedor;
    TkvRxMemoryData RxTarifaProveedor; // staged rows: new values beside the stored ones (ANTERIOR_)

    // Load: opens `fichero`, reads the rows below the title row through the links and stages
    // those whose reference matches a supplier-article record of the supplier; returns the rows staged.
    int cargarTarifaProveedor(const QString& fichero, const OpcionesTarifaProveedor& o);
    // The titles of the title row as the linking window offers them (upper case, contiguous from
    // the first of columns 1 to 3); empty when none of those three holds a title.
    QStringList Titulos_Tarifa_Proveedor(int filaTitulos) const;
    // Confirm: writes the staged rows (supplier record, card reference, costs, EAN formats, price lists).
    ResumenTarifaProveedor confirmarTarifaProveedor(const OpcionesTarifaProveedor& o,
                                                    const qd::OpcionesMotor& motor = {});
    // The sale price of the interval from 1 of an article in a sales price list (nothing when the
    // article is not in it); true when written.
    bool Actualizar_Intervalo_Tarifa(int idTarifa, int idArticulo, double descuento, double costo,
                                     double porcentajeIVA, double precio);
    // Rounds half away from zero to `decimales` places.
    static double Redondear(double valor, int decimales);
    // Removes every blank from the supplier's references (its supplier-article records and the
    // cards of the articles it usually supplies); committed at once.
    void Eliminar_Espacios_Referencias(int idProveedor);
    // The reference as it is matched: upper case, without blanks at its ends and without the
    // prefix at its start (compared without regard to case).
    static QString Clave_Referencia_Proveedor(const QString& referencia, const QString& prefijo);
    // The linked columns of the held workbook under its title row: the first titled column (1 to
    // 3), the titles and, for each link, the column whose title is exactly the linked one and its
    // field. A link that is not valid or names no title is refused (ErrorImportacion).
    struct ColumnasEnlazadas {
        int inicial = 1;
        QStringList cabeceras;
        QList<QPair<int, QString>> columnas; // column → field
    };
    ColumnasEnlazadas Columnas_Enlazadas(int filaTitulos, const QStringList& enlaces) const;
    // The EAN format of a supplier-article record: the record's format when it still exists, else
    // the article's format with that EAN, else a new principal format; linked to the record unless
    // it is already its format. True when a format was created. Errors reach the caller.
    struct FormatoEAN {
        int idArticulo = 0, idProveedor = 0, idFormato = 0;
        QString ean, nombre, observaciones;
        bool dobleStock = false;
    };
    bool Asignar_Formato_EAN(const FormatoEAN& f);

    // --- supplier reference verification (datos_verificar_referencias.cpp) ----------------------
    using OpcionesVerificarReferencias = qd::OpcionesVerificarReferencias;
    using ResumenVerificarReferencias = qd::ResumenVerificarReferencias;
    // The work list of a supplier and company, as shown: every post and delete is committed.
    TkvIBDataSet tArticulos_Ref_A_Verificar{&IBDatabase, &IBTransaction1};
    // (Re)opens the work list with the scope, the list entry and the order of `o`; returns the
    // rows shown.
    int Abrir_Referencias_A_Verificar(const OpcionesVerificarReferencias& o);
    // Rows of the supplier's work list in the current company, whatever is shown.
    int Total_Referencias_A_Verificar(int idProveedor);
    // Empties the supplier's work list in the current company (committed at once).
    void Vaciar_Referencias_A_Verificar(int idProveedor);
    // "&Cargar Artículos": with `preguntar`, asks whether to empty the work list (Yes empties
    // it); then opens it and, when the supplier has no work list in the company, fills it with the
    // articles whose usual supplier it is and that have its supplier record. Returns the rows shown.
    int cargarReferenciasAVerificar(const OpcionesVerificarReferencias& o, bool preguntar);
    // "&Cargar Excel": reads the workbook's rows through the links and marks the shown rows whose
    // reference (or card reference) is the row's, with the workbook's reference, name and EAN.
    ResumenVerificarReferencias verificarReferenciasExcel(const QString& fichero,
                                                          const OpcionesVerificarReferencias& o);
    // "&Actualizar": writes the verified rows shown back to the supplier records, the article
    // cards and their EAN formats, as the options say.
    ResumenVerificarReferencias actualizarReferenciasVerificadas(const OpcionesVerificarReferencias& o);
    // A shown row (0-based) whose stored and workbook values differ: format code and workbook EAN,
    // or stored and workbook reference, both present and not equal.
    bool Referencia_Difiere(int fila) const;
    // The statements of the window's family and brand lookups, one text per line.
    static QStringList lineasBusquedaFamilia();
    static QStringList lineasBusquedaMarca();

private:
    struct CargaHoja {
        QStringList cabeceras;
        std::vector<int> filas;
    };
    QHash<const TkvRxMemoryData*, CargaHoja> cargas_;

    // Each kind declares the fields of its staging table (called once, from the constructor).
    void Definir_kvRxMDArticulos();
    void Definir_kvRxMDClientes();
    void Definir_kvRxMDDireccionesCli();
    void Definir_kvRxMDContactosCli();
    void Definir_kvRxMDProveedores();
    void Definir_kvRxMDDomiciliosCobro();
    void Definir_kvRxTarifas();
    void Definir_kvRxMDAlbaranesDLR();
    QStringList titulosTarifas_;
    void Definir_kvRxMDLAV();
    // The rows of the last load of a table that it did not stage (counted for the summary).
    int descartadasCarga_ = 0;
    bool busquedaHallada_ = false; // the last BuscarID_Clientes found its code
    void Definir_kvRxMDTarifaProveedor();
    int filaTitulos_ = 1;                     // the row Cabecera_Columna reads the titles on
    QHash<QString, QVariant> cacheBusquedas_; // code lookups of the running load ("index|code")
    std::optional<qd::fb::Transaction::Hold> cargaPendiente_;
    qd::MotorFilas* motor_ = nullptr;

    qd::UserChannel* canal_ = nullptr;
};
