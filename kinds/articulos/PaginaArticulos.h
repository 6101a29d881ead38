#pragma once
// The "Artículos" page of the main window: creating and updating articles, their sale prices and
// their stock from a workbook.
//
// The frame (workbook selector, field list, preview, grid, "Atrás"/"Confirmar", status bar, the
// road of load → review → confirm) is PaginaImportacion's. This page adds the four mode buttons
// with their option panels, the price-list and warehouse lookups, the load button and the help
// buttons, and runs the article import's two steps (ImportacionArticulos::cargarArticulos and
// ImportacionArticulos::confirmarArticulos) with the options its controls give.

#include <QString>
#include <functional>

#include "CamposArticulos.h"
#include "ImportacionArticulos.h"
#include "PaginaImportacion.h"
#include "TDatos.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TkvDBEditLookup;

class PaginaArticulos : public PaginaImportacion {
    Q_OBJECT
public:
    // nombreFichero: the main window's Nombre_Fichero (one workbook path for every page).
    PaginaArticulos(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

    // The kind this page runs.
    ImportacionArticulos& importacion() { return importacion_; }

    // The extended help window (unset: TFormAyuda, modal).
    std::function<void()> mostrarAyudaAmpliada;

    // Handlers of the page's buttons.
    void ButtonCargarXLSArticulosClick() { pulsarCargar(); }
    void kvBotonConfirmarClick() { pulsarConfirmar(); }
    void kvBotonAtrasClick() { pulsarAtras(); }
    void kvBotonAyudaArticulosClick();
    void kvBotonAyudaAmpliadaClick();
    // The selector's button: opens the dialog; a chosen path becomes Nombre_Fichero.
    void JvFilenameEditHojaExcelButtonClick();

    // The INSERT and UPDATE the ticked fields give.
    qd::SentenciasSql Preparar_Sentencias_Articulos() const;

    // The ticks of Excel.ini (first show / window closing), the initial ticks of a run, and the
    // preloading of the price-list and warehouse lookups.
    void cargarTicks();
    void guardarTicks() const;
    void ticksIniciales();
    void precargarLookups();
    void alMostrarPrimeraVez() override;
    void alCerrar() override { guardarTicks(); }

    // The import's options as the page's controls give them (NumeroIntervalos from
    // ENumIntervalos; false in *ok when its text is not an integer).
    qd::OpcionesArticulos opciones(bool* ok = nullptr) const;

    qd::FieldList& listaCampos() { return *PaginaImportacion::listaCampos(); }
    int idTarifa() const { return idTarifa_; }
    int idAlmacen() const { return idAlmacen_; }

    // The info text of the help button.
    static QString textoAyuda();

protected:
    void cargar(const QString& fichero) override;
    void confirmar() override;
    bool validarConfirmacion() override;
    QString tipoImportacion() const override { return QStringLiteral("articulos"); }
    void vaciarStaging() override;

private:
    void construirOpciones();
    void construirLookups(QLabel* etiquetaTarifa, QLabel* etiquetaAlmacen);
    void kvBotonModoClick(QPushButton* boton);
    void derivarOpciones();
    void rbPorCodigoClick();
    void rbPorReferenciaClick();
    void actualizarControlesLista();

    QPushButton* kvBotonAlta = nullptr;
    QPushButton* kvBotonCostes = nullptr;
    QPushButton* kvBotonPVP = nullptr;
    QPushButton* kvBotonStock = nullptr;
    QGroupBox* PanelAlta = nullptr;
    QGroupBox* PanelActualizacion = nullptr;
    QGroupBox* PanelPVP = nullptr;
    QGroupBox* PanelStock = nullptr;

    QRadioButton* rbPorCodigo = nullptr;
    QRadioButton* rbPorReferencia = nullptr;
    TkvDBEditLookup* kvDBEditLookupTarifas = nullptr;
    QLabel* LabelNombreTarifa = nullptr;
    QCheckBox* suiCBActualizarIntervalos = nullptr;
    QLineEdit* ENumIntervalos = nullptr;
    QCheckBox* chkTopesIntervalos = nullptr;
    TkvDBEditLookup* kvDBEditLookupAlmacen = nullptr;
    QLabel* LabelNombreAlmacen = nullptr;
    QGroupBox* kvrdgrpStock = nullptr;
    QRadioButton* rbStockActual = nullptr;
    QRadioButton* rbStockInicial = nullptr;
    QCheckBox* chkActualizarPMCInicial = nullptr;

    QCheckBox* suiCBSoloNuevosArticulos = nullptr;
    QCheckBox* suiCbSoloActualizar = nullptr;
    QCheckBox* suiCBActualizarPVP = nullptr;
    QCheckBox* suiCBActualizarStock = nullptr;
    QCheckBox* suiCBSoloPvpStock = nullptr;

    QPushButton* ButtonCargarXLSArticulos = nullptr;
    QPushButton* kvBotonAyudaArticulos = nullptr;
    QPushButton* kvBotonAyudaAmpliada = nullptr;

    int idTarifa_ = 0;
    int idAlmacen_ = 0;
    ImportacionArticulos importacion_{datos()};
};
