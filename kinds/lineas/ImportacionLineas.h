#pragma once
// The delivery-note line import, sales (LAV) and purchases (LAC): staging by header names, the
// article searches, verification after edits, the line procedures with lots and serial numbers,
// and the recalculation of lines and notes.
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <map>

#include "Lotes.h"
#include "OpcionesLineas.h"

class ImportacionLineas : public Lotes {
public:
    explicit ImportacionLineas(TDatos& datos);
    ImportacionLineas(const ImportacionLineas&) = delete;
    ImportacionLineas& operator=(const ImportacionLineas&) = delete;

    using OpcionesLineas = qd::OpcionesLineas;
    using ResumenLineas = qd::ResumenLineas;
    TkvRxMemoryData kvRxMDLAV;            // staging table of the lines
    int BuscarArticuloPor = 0;            // the search mode in force (verification follows it)
    int BuscarArticuloPorIncidencias = 0; // the search mode of the last load (key column of the file)
    int TotalRegistrosExcel = 0;          // the last sheet row read
    // The identity of the workbook of the last load: the SHA-256 of its content (hex), the same
    // whatever its name. Each line written is recorded with it and its sheet row in the module
    // table QD_LINEAS_IMPORTADAS, so that a later run of the same workbook on the same note knows
    // which rows are already there.
    QString HuellaLibro;
    static QString Huella_Libro(const QString& fichero); // empty when the file cannot be read

    // Refuses (ErrorImportacion, naming the value) a launch whose delivery note (of its side) or
    // warehouse does not exist; the load and the write check it before anything else.
    void Comprobar_Lanzamiento(const OpcionesLineas& o);
    // The sheet rows of the workbook HuellaLibro already written into the note (lines still
    // there), each with the note's line number it became.
    std::map<int, int> Filas_Ya_Importadas(bool venta, int IdAlbaran);
    // Whether the database has the module table of the imported lines (the administrator's
    // start-up installs it).
    bool Hay_Registro_Lineas();

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

private:
    void Definir_kvRxMDLAV();
};
