#pragma once
// The history of the import runs (table QD_HISTORIAL): every real run of the window or of
// qdimport, dry runs too (marked as such), with its kind, start and end, user, computer, workbook
// (path, size, SHA-256), options, outcome (status, summary, rows not written, incidences, the path
// of its errors workbook) and whether its journal (DiarioImportaciones.h) is still kept.
//
//   qd::RegistroImportacion registro(datos.IBDatabase, inicio); // recorded, the journal on
//   ... load and write ...
//   registro.terminar(qd::desenlaceImportacion(datos, {}, incidencias, ficheroErrores));
//
// A run that never reaches terminar() (an exception) is recorded as «detenida por error» when the
// object goes; a run whose process died stays «en curso» (the history shows it as unfinished).

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "DiarioImportaciones.h"

class TDatos;

namespace qd::fb {
class Attachment;
}

namespace qd {

enum class EstadoImportacion { EnCurso, Terminada, ConFilasNoEscritas, Cancelada, DetenidaPorError };
// «en curso», «terminada», «con filas no escritas», «cancelada», «detenida por error».
QString textoEstado(EstadoImportacion estado);

struct InicioImportacion {
    QString tipo;     // the kind's code, as qdimport --kind names it ("articulos")
    QString programa; // "ventana" or "qdimport"
    QString libro;    // the workbook's path
    QString opciones; // the run's options, as text
    bool simulada = false;
    QString usuario;
    int idUsuario = 0;
};

struct DesenlaceImportacion {
    EstadoImportacion estado = EstadoImportacion::Terminada;
    QString resumen;
    int filasNoEscritas = 0;
    QStringList incidencias;
    QString ficheroErrores;
    // The window decides between a dry run and a real one after the load: a dry run ends
    // marked as such (and without its journal, rolled back with its work).
    bool simulada = false;
    QString masOpciones; // options chosen after the start (the window's engine options)
};

// What a run left in the data module, as the history records it: the summary of its writer and
// its rows not written, the cancel flag, or the error that stopped it (`error` not empty).
DesenlaceImportacion desenlaceImportacion(const TDatos& d, const QString& error,
                                          const QStringList& incidencias, const QString& ficheroErrores);

class RegistroImportacion {
public:
    // Records the run as «en curso» (committed at once) and, unless it is a dry run, journals the
    // connection's changes under its number until the object goes. Never throws: without the
    // history table (a database the administrator never upgraded) the run goes on unrecorded and
    // aviso() says so.
    RegistroImportacion(qd::fb::Attachment& conexion, const InicioImportacion& inicio);
    ~RegistroImportacion();
    RegistroImportacion(const RegistroImportacion&) = delete;
    RegistroImportacion& operator=(const RegistroImportacion&) = delete;

    int id() const { return id_; } // 0: not recorded
    const QString& aviso() const { return aviso_; }
    // The database has no history (never upgraded by the administrator): the window then runs as it
    // always did, without a word; qdimport still prints aviso().
    bool sinHistorial() const { return sinHistorial_; }
    // Records the outcome and ends the journal. Errors are swallowed (the run's own outcome is
    // what the user must see).
    void terminar(const DesenlaceImportacion& desenlace) noexcept;

private:
    qd::fb::Attachment& conexion_;
    int id_ = 0;
    bool terminado_ = false;
    std::optional<DiarioEnCurso> diario_;
    QString aviso_;
    bool sinHistorial_ = false;
};

struct FilaHistorial {
    int id = 0;
    QString tipo, programa;
    bool simulada = false;
    QDateTime inicio, fin;
    QString usuario;
    int idUsuario = 0;
    QString equipo, libro;
    qint64 tamano = 0;
    QString sha256, opciones, estado, resumen;
    int filasNoEscritas = 0;
    QString incidencias, ficheroErrores;
    bool diario = false; // its journal is kept
    QDateTime diarioBorrado, deshecha;
    int deshechaPor = 0; // the run that undid this one
    int deshace = 0;     // the run this one undid (an undo is recorded as a run of its own)

    // Empty when the run can be undone; otherwise why not, for the user.
    QString motivoSinDeshacer() const;
    // One line of the list, and the whole record.
    QString linea() const;
    QString detalle() const;
};

struct FiltroHistorial {
    QString tipo; // empty: every kind
    QDate desde, hasta;
};

// The runs, newest first. Throws what the database refuses (a database without the history).
QList<FilaHistorial> listarHistorial(qd::fb::Attachment& conexion, const FiltroHistorial& filtro = {});
std::optional<FilaHistorial> leerHistorial(qd::fb::Attachment& conexion, int id);

// Removes a run's journal: the run stays in the history, it can no longer be undone.
void borrarDiario(qd::fb::Attachment& conexion, int id);
// Removes the journal of the runs started more than `dias` days ago; returns how many runs.
int aplicarRetencion(qd::fb::Attachment& conexion, int dias);
// The days a run's journal is kept: [Historial] DiasDiario of Excel.ini, 30 when unset or not a
// positive number.
int diasRetencion(const QString& rutaExcelIni);

} // namespace qd
