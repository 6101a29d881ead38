#pragma once
// The delivery-note line transfer's options (the delivery note, its side and warehouse, the search
// mode, which lines go) and the writer's counters.

#include <QString>

#include "OpcionesMotor.h"

namespace qd {

// How a staged line finds its article.
enum class BuscarArticulo {
    Codigo = 0,              // the article's code
    EanOFormato = 1,         // the EAN, else a format code
    RefProveedorFicha = 2,   // the supplier reference kept on the article
    RefArticuloProveedor = 3 // the supplier-article reference of the note's supplier (purchases only)
};

// What becomes of a staged line whose workbook row an earlier import of the same workbook already
// wrote into the same note (and that line is still there).
enum class RepetirImportadas {
    Preguntar, // ask once per run through the user channel (the window)
    No,        // leave them out, named in one incidence (qdimport by default)
    Si         // write them again on purpose (qdimport --repetir)
};

struct OpcionesLineas {
    QString Opcion = QStringLiteral("LAV"); // "LAV" sales, "LAC" purchases
    int Albaran = 0;
    int Almacen = 0;
    int BuscarPor = 0;        // a BuscarArticulo value
    bool SoloValidas = false; // import the valid lines; false refuses when any line is not valid
    // Folder of IncidenciasLineasAlbaran.txt; empty: the program's folder.
    QString CarpetaIncidencias;
    RepetirImportadas Repetir = RepetirImportadas::Preguntar;

    bool venta() const { return Opcion.compare(QStringLiteral("LAC"), Qt::CaseInsensitive) != 0; }
};

struct ResumenLineas {
    int Escritas = 0;     // lines written into the delivery note
    int NoValidas = 0;    // lines not written because no article matched (listed in the file)
    int SinCantidad = 0;  // sales lines with quantity 0, not written (listed in the file)
    int ConErrores = 0;   // lines the database refused (incidence list)
    int YaImportadas = 0; // lines left out: the same workbook row is already a line of the note
    bool Recalculado = false;
    QString FicheroIncidencias; // the line-incidence file written, empty when none was due
    QString texto;              // the summary shown at the end
    ResultadoMotor motor;
};

} // namespace qd
