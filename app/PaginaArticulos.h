#pragma once
// The "Artículos" page of the main window: creating and updating articles, their sale prices and
// their stock from a workbook.
//
// An inner page control holds the "Configuración" page (the workbook selector, the field list,
// the four mode buttons with their option panels, the load button) and the "Previsualizar
// Excel" page (the workbook shown read-only). Below it, behind a splitter, the grid shows the
// staged rows; "Atrás" and "Confirmar" and the help buttons sit under it, and the page's own
// status bar at the bottom.
//
// The page runs an import in two steps: the load button stages the workbook
// (TDatos::CargarRxArticulos) and shows it for review; "Confirmar" builds the statements from
// the ticked fields and runs the writer (TDatos::Insertar_Articulos) once. The page gathers the
// options and shows results and errors; the import loops live in TDatos.
//
// While a load or a write runs (the loops let window messages through), the page refuses a
// second load, confirmation or "Atrás": emptying the staging table under a running writer would
// pull the rows from under it.

#include <QString>
#include <QWidget>
#include <functional>

#include "FieldList.h"
#include "TDatos.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStatusBar;
class QTabWidget;
class TkvDBEditLookup;
class TkvDBGrid;
class TJvFilenameEdit;
class TsuiCheckListBox;
class VistaPreviaLibro;

class PaginaArticulos : public QWidget {
    Q_OBJECT
public:
    // nombreFichero: the main window's Nombre_Fichero (one workbook path for every page).
    PaginaArticulos(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);
    ~PaginaArticulos() override;

    // What Modo_Proceso (busy = true) and Modo_Configuracion (false) do to this page.
    void modoProceso(bool busy);

    // The main window's Modo_Proceso / Modo_Configuracion, which call modoProceso() on this page
    // and do the same to the other pages. Unset: only this page changes state.
    std::function<void()> Modo_Proceso;
    std::function<void()> Modo_Configuracion;
    // The extended help window (unset: TFormAyuda, modal).
    std::function<void()> mostrarAyudaAmpliada;

    // Handlers of the page's buttons.
    void ButtonCargarXLSArticulosClick();
    void kvBotonConfirmarClick();
    void kvBotonAtrasClick();
    void kvBotonAyudaArticulosClick();
    void kvBotonAyudaAmpliadaClick();
    // The selector's button: opens the dialog; a chosen path becomes Nombre_Fichero.
    void JvFilenameEditHojaExcelButtonClick();

    // Builds TDatos::InsertArticulos and TDatos::UpdateArticulos from the ticked fields.
    void Preparar_Sentencias_Articulos();

    // The ticks of Excel.ini (called when the main window is first shown / destroyed), the
    // initial ticks of a run, and the preloading of the price-list and warehouse lookups.
    void cargarTicks();
    void guardarTicks() const;
    void ticksIniciales();
    void precargarLookups();

    // The writer's options as the page's controls give them (NumeroIntervalos from
    // ENumIntervalos; false in *ok when its text is not an integer).
    TDatos::OpcionesArticulos opciones(bool* ok = nullptr) const;

    qd::FieldList& listaCampos() { return listaCampos_; }
    int idTarifa() const { return idTarifa_; }
    int idAlmacen() const { return idAlmacen_; }
    bool ocupado() const { return ocupado_; }
    // Text of the status bar's text panel.
    QString textoEstado() const;
    bool opcionesPlegadas() const { return plegadas_; }

    // The workbook selector (its `dialogo` can be replaced, e.g. by tests).
    TJvFilenameEdit* selector() const { return JvFilenameEditHojaExcel; }
    // The info text of the help button.
    static QString textoAyuda();

private:
    void construir();
    QWidget* construirConfiguracion();
    void construirGrid();
    void kvBotonModoClick(QPushButton* boton);
    void derivarOpciones();
    void rbPorCodigoClick();
    void rbPorReferenciaClick();
    void actualizarControlesLista();
    void Estado(const QString& texto);
    void mostrarError(const std::exception& e);
    void plegarOpciones(bool plegar);
    void cambioPaginaInterna(int indice);
    void alCambiarFichero();

    TDatos& datos_;
    QString& nombreFichero_;
    qd::FieldList listaCampos_;

    QTabWidget* PageControlArticulos = nullptr;
    QWidget* TabSheetConfiguracion = nullptr;
    QWidget* TabSheetPrevisualizar = nullptr;
    VistaPreviaLibro* vistaPrevia_ = nullptr;
    QSplitter* SplitterArticulos = nullptr;

    TJvFilenameEdit* JvFilenameEditHojaExcel = nullptr;
    TsuiCheckListBox* suiCheckListBoxCampos = nullptr;

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
    TkvDBGrid* kvDBGridArticulos = nullptr;
    QWidget* PanelBotonesArticulos = nullptr;
    QLabel* LabelPanelBotones = nullptr;
    QPushButton* kvBotonAtras = nullptr;
    QPushButton* kvBotonConfirmar = nullptr;
    QPushButton* kvBotonAyudaArticulos = nullptr;
    QPushButton* kvBotonAyudaAmpliada = nullptr;
    QStatusBar* suiStatusBar1 = nullptr;
    QLabel* PanelTexto = nullptr;
    QLabel* PanelFichero = nullptr;

    int idTarifa_ = 0;
    int idAlmacen_ = 0;
    bool ocupado_ = false;
    bool plegadas_ = false;
    QList<int> tamanosSplitter_;
    int paginaInterna_ = 0;
};
