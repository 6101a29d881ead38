#pragma once
// The data module: launch values, the database connection and its transactions, the schema
// upgrade, the workbook of the running import, the cancel flag, and (in datos_*.cpp, one file per
// import kind) the staging tables, loaders and writers.
//
// It never shows anything itself: every message and question goes through the UserChannel given
// by its owner (the main window, the headless importer or a test).

#include <QString>
#include <QStringList>
#include <memory>

#include "FbAttachment.h"
#include "FbStatement.h"
#include "FbTransaction.h"
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
    // The eight upgrade statements, in order, as they are sent (lines joined by CR LF).
    static QStringList sentenciasActualizacion();
    // Start-up upgrade for the administrator: the eight statements, skipped when not connected.
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

private:
    qd::UserChannel* canal_ = nullptr;
};
