#pragma once
// What every import page has, and the road of an import through it.
//
// The frame: an inner page control with the "Configuración" page (the workbook selector, the
// field list and an options area the kind fills) and, where the page has one, the
// "Previsualizar Excel" page that shows the chosen workbook. A page that stages rows for review
// also has, behind a splitter, the grid over its staging table, the panel with "Atrás" and
// "Confirmar" (and the cancel hint while busy) and its own status bar.
//
// The road: the load button calls pulsarCargar(), which gathers the workbook, refuses when the
// module is not connected or the kind's options are not valid, puts the pages in the busy state
// and runs the kind's cargar() hook; "Confirmar" calls pulsarConfirmar(), which runs the kind's
// confirmar() hook and always ends with "Atrás" (back to the configuration state, staging table
// emptied). A failed load ends the same way. While a hook runs (the loops let window messages through) the
// page refuses a second load, confirmation or "Atrás", and the data module's status texts are shown on the
// page.
//
// A kind derives from this class, fills areaOpciones() with its controls and implements the hooks;
// the main window only calls the public hooks of every page in turn, and follows bucleEnCurso() to
// offer "Cancelar proceso" only while a loop runs.

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "FieldList.h"
#include "OpcionesMotor.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QSplitter;
class QStatusBar;
class QHBoxLayout;
class QTabWidget;
class QVBoxLayout;
class TDatos;
namespace qd {
class BloqueoImportacion;
class RegistroImportacion;
} // namespace qd
class TJvFilenameEdit;
class TkvDBGrid;
class TsuiCheckListBox;
class VistaPreviaLibro;

class PaginaImportacion : public QWidget {
    Q_OBJECT
public:
    // Object names and texts of the frame's parts; a null name leaves the part out.
    struct Definicion {
        const char* paginas = nullptr;     // the inner page control
        const char* selector = nullptr;    // the file selector
        const char* vistaPrevia = nullptr; // the preview container; null: no preview page
        const char* listaCampos = nullptr; // the field list; null: none
        qd::FieldList (*crearLista)() = nullptr;
        bool bloqueaEnProceso = false; // the configuration is disabled while busy
        // One press runs the whole import (load, then write, without a review); the grid keeps the
        // last load's rows and the engine options sit in the button panel, "Simular" as a tick.
        bool unPaso = false;
        // Pages that stage rows for review.
        const char* grid = nullptr; // the staging grid; null: no grid, button panel or status bar
        const char* splitter = nullptr;
        const char* panelBotones = nullptr;
        const char* etiquetaPanel = nullptr;
        const char* textoConfirmar = "Confirmar"; // the confirm button's caption and object name
        const char* objetoConfirmar = "kvBotonConfirmar";
        // Names and captions of the configuration page.
        const char* hojaConfiguracion = "TabSheetConfiguracion";
        const char* hojaVistaPrevia = nullptr; // a sheet around the preview; null: the preview itself
        const char* etiquetaFichero = "Fichero Excel a importar:";
        const char* objetoEtiquetaFichero = nullptr;
        const char* grupoCampos = nullptr; // a titled group around the field list; null: a label
        const char* tituloCampos = "Campos a tener en cuenta:";
    };

    PaginaImportacion(TDatos& datos, QString& nombreFichero, const Definicion& definicion,
                      QWidget* parent = nullptr);
    ~PaginaImportacion() override;

    QTabWidget* paginas() const { return paginas_; }
    QWidget* configuracion() const { return configuracion_; }
    // The area beside the field list where the kind puts its options (scrolls when too small).
    QWidget* areaOpciones() const { return opciones_; }
    TJvFilenameEdit* selector() const { return selector_; }
    VistaPreviaLibro* vistaPrevia() const { return vistaPrevia_; }
    qd::FieldList* listaCampos() const { return lista_.get(); }
    TsuiCheckListBox* cajaCampos() const { return caja_; }
    TkvDBGrid* grid() const { return grid_; }
    QWidget* panelBotones() const { return panelBotones_; }
    QPushButton* botonAtras() const { return botonAtras_; }
    QPushButton* botonConfirmar() const { return botonConfirmar_; }

    // The engine options beside "Confirmar" (every kind has them): "Simular" runs the
    // confirmation as a dry run, "Continuar tras errores" and "Guardar cada N filas" apply to both.
    QPushButton* botonSimular() const { return botonSimular_; }
    QCheckBox* casillaSimular() const { return casillaSimular_; } // one-press pages
    QCheckBox* casillaContinuar() const { return casillaContinuar_; }
    QCheckBox* casillaVaciar() const { return casillaVaciar_; }
    QSpinBox* cajaLote() const { return cajaLote_; }
    void pulsarSimular();

    // Busy (true) or configuration (false) state of this page.
    void modoProceso(bool ocupado);
    // The main window's Modo_Proceso / Modo_Configuracion, which set every page's state. Unset:
    // only this page changes state.
    std::function<void(bool ocupado)> cambiarModoVentana;
    // Shows (and saves) the incidences a load or a write reported, when there are any: the main
    // window's Mostrar_Incidencias. Unset: nothing is shown.
    std::function<void()> mostrarIncidencias;

    // The road of an import (see above).
    void pulsarCargar();
    void pulsarConfirmar();
    void pulsarAtras();

    bool ocupado() const { return ocupado_; }
    bool cargado() const { return cargado_; }
    // Text of the status bar's text panel.
    QString textoEstado() const;
    bool opcionesPlegadas() const { return plegadas_; }

signals:
    // A load or a write of this page starts (true) or ends (false): the loop that can be cancelled.
    void bucleEnCurso(bool enCurso);

public:
    // Hooks the main window calls on every page: first show (after the connection), and the
    // window going away (only after a first show).
    virtual void alMostrarPrimeraVez();
    virtual void alCerrar() {}

protected:
    // The kind's steps. They report through the data module's channel and throw what stops them.
    virtual void cargar(const QString& fichero) { (void)fichero; }
    virtual void confirmar() {}
    // Checks the kind's options before a load and before "Confirmar" does anything (shows its own
    // message and returns false to refuse).
    virtual bool validarConfirmacion() { return true; }
    // Once the workbook is known, before the load: false cancels the import (a window the user
    // cancelled).
    virtual bool antesDeCargar() { return true; }
    // The kind's code for the lock that lets one import of a kind run at a time on a database (the
    // same code qdimport uses: "articulos"); empty: no lock.
    virtual QString tipoImportacion() const { return {}; }
    // Empties the kind's staging table ("Atrás").
    virtual void vaciarStaging() {}
    // What the kind's own controls do in the busy (true) or configuration (false) state.
    virtual void alCambiarModo(bool ocupado) { (void)ocupado; }

    // The engine options of the confirmation in progress (for the kind's confirmar()).
    qd::OpcionesMotor opcionesMotor() const;

    void Estado(const QString& texto);
    void mostrarError(const std::exception& e);
    TDatos& datos() const { return datos_; }
    QString& nombreFichero() const { return nombreFichero_; }

private:
    void construirRevision(QVBoxLayout* principal);
    void ejecutarConfirmacion();
    void terminarUnPaso();
    void cambioPaginaInterna(int indice);
    void ponerModo(bool ocupado);
    void plegarOpciones(bool plegar);
    void alCambiarFichero();
    bool conectadoOAviso();
    void ponerOcupado(bool ocupado);

    TDatos& datos_;
    QString& nombreFichero_;
    Definicion definicion_;
    QTabWidget* paginas_ = nullptr;
    QWidget* configuracion_ = nullptr;
    QWidget* opciones_ = nullptr;
    TJvFilenameEdit* selector_ = nullptr;
    VistaPreviaLibro* vistaPrevia_ = nullptr;
    std::unique_ptr<qd::FieldList> lista_;
    TsuiCheckListBox* caja_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TkvDBGrid* grid_ = nullptr;
    QWidget* panelBotones_ = nullptr;
    QLabel* etiquetaPanel_ = nullptr;
    QPushButton* botonAtras_ = nullptr;
    QPushButton* botonConfirmar_ = nullptr;
    // Engine options.
    void construirOpcionesMotor(QHBoxLayout* capa);
    QPushButton* botonSimular_ = nullptr;
    QCheckBox* casillaSimular_ = nullptr;
    QCheckBox* casillaContinuar_ = nullptr;
    QCheckBox* casillaVaciar_ = nullptr;
    QSpinBox* cajaLote_ = nullptr;
    QLabel* etiquetaLote_ = nullptr;
    bool simulando_ = false;

    QStatusBar* barraEstado_ = nullptr;
    QLabel* panelTexto_ = nullptr;
    QLabel* panelFichero_ = nullptr;
    int paginaInterna_ = 0;
    bool ocupado_ = false;
    bool cargado_ = false;
    QString ficheroCargado_;
    std::unique_ptr<qd::BloqueoImportacion> bloqueo_; // held from the load to "Atrás"
    // The run in the history, from the load to the end of its write (or "Atrás"), and its incidences.
    std::unique_ptr<qd::RegistroImportacion> registro_;
    QStringList incidenciasRun_;
    void empezarRegistro(const QString& fichero);
    void terminarRegistro(const QString& error, const QString& ficheroErrores, bool escrito);
    bool plegadas_ = false;
    QList<int> tamanosSplitter_;
};
