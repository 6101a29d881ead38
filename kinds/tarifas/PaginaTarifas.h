#pragma once
// The "Tarifas" page: the prices of existing articles in up to three sales price lists at once.
// The user picks the price list of each price column, loads the workbook ("2º Paso : Cargar XLS",
// the grid's price captions from row 2), reviews it and writes it ("Importar Precios de Tarifas"),
// or goes back without writing ("Atrás").

#include "ImportacionTarifas.h"
#include "OpcionesTarifas.h"
#include "PaginaImportacion.h"

class QLabel;
class QPushButton;
class TkvDBEditLookup;

class PaginaTarifas : public PaginaImportacion {
    Q_OBJECT
public:
    PaginaTarifas(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

    // The kind this page runs.
    ImportacionTarifas& importacion() { return importacion_; }

    qd::OpcionesTarifas opciones() const { return o_; }
    TkvDBEditLookup* lookup(int n) const { return lookups_[n]; } // 0 to 2
    QPushButton* botonCargar() const { return cargar_; }
    // Loads the three lookups' first records (the page's first show).
    void alMostrarPrimeraVez() override;

protected:
    void cargar(const QString& fichero) override;
    void confirmar() override;
    QString tipoImportacion() const override { return QStringLiteral("tarifas"); }
    void vaciarStaging() override;

private:
    void ponerColumnas(const QStringList& titulos);

    qd::OpcionesTarifas o_;
    TkvDBEditLookup* lookups_[3] = {};
    QLabel* nombres_[3] = {};
    QPushButton* cargar_ = nullptr;
    ImportacionTarifas importacion_{datos()};
};
