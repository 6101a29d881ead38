#pragma once
// The article import: its staging table kvRxMDArticulos, the loader with the master look-ups
// (families, brands, ranges and manufacturers created when missing), and the writer of articles,
// their prices, intervals and stock.
#include <QString>
#include <QStringList>
#include <QVariant>

#include "OpcionesArticulos.h"
#include "TDatos.h"

class ImportacionArticulos {
public:
    explicit ImportacionArticulos(TDatos& datos);
    ImportacionArticulos(const ImportacionArticulos&) = delete;
    ImportacionArticulos& operator=(const ImportacionArticulos&) = delete;

    TDatos& d; // the data module: connection, channel, shared steps

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

private:
    void Definir_kvRxMDArticulos();
    QHash<QString, QVariant> cacheBusquedas_; // code lookups of the running load ("index|code")
};
