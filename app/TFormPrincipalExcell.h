#pragma once
// The main window: one page per import kind in JvPageControlGeneral, the "Opciones" menu with
// "Cancelar proceso" (Ctrl+Alt+C), the shared workbook path and the incidence list.

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPair>
#include <QStringList>
#include <memory>

#include "Paginas.h"

class QTabWidget;
class QAction;
class QTextBrowser;
class TDatos;
class GuiChannel;
class PaginaImportacion;

class TFormPrincipalExcell : public QMainWindow {
    Q_OBJECT
public:
    // args: the ten launch parameters (without the program name). The constructor runs the whole
    // start-up: parameters, connection, upgrade, page choice, and the transfer window for LAV/LAC.
    TFormPrincipalExcell(TDatos& datos, const QStringList& args, QWidget* parent = nullptr);
    ~TFormPrincipalExcell() override;

    // Launch contract: the operation codes in the order they are compared.
    static int indiceOpcion(const QString& opcion);

    // True when start-up decided the process must end (no parameters, or the transfer window of
    // LAV/LAC was closed): main() then returns without running the event loop.
    bool terminarAplicacion() const { return terminar_; }
    // Ends the window as closing it would, at once: a running import stops after its row.
    void pedirCierre();

    TDatos& datos() const { return datos_; }
    GuiChannel& canal() const { return *canal_; }
    QTabWidget* paginas() const { return JvPageControlGeneral; }
    QWidget* pagina(int indice) const;

    // Main-window state used by the supplier price-list page.
    int IdProveedor = 0;
    QString CodigoProveedor;
    QString NombreProveedor;
    int IdFamilia = 0;
    int IdMarca = 0;
    bool CamposEnlazadosSN = false;

    // The current workbook path, one for all pages, set only by a selector's dialog.
    QString Nombre_Fichero;

    // Incidences of the last import that reported any.
    QStringList ListaIncidencias;
    bool HayIncidenciasFichero = false;

    void Mostrar_Incidencias();
    void Modo_Proceso();
    void Modo_Configuracion();

    QAction* accionCancelar() const { return accionCancelar_; }
    // A loop that honours the cancel flag starts (true) or ends (false): "Cancelar proceso" is
    // enabled, and the progress window shows the cancel hint, only while one runs. The import
    // pages report theirs through PaginaImportacion::bucleEnCurso.
    void bucleEnCurso(bool enCurso);
    int buclesEnCurso() const { return bucles_; }
    // The window's restored size: at most 1280×720, within the screen's available area.
    QSize tamanoNormal() const;
    // Image index of a page's tab: 0 for the active one of pages 0 to 4, 1 otherwise.
    int indiceImagen(int pagina) const;

    // Help panel of page 0, 1, 3 or 4, and the loading of the help files from a folder.
    QTextBrowser* panelAyuda(int pagina) const;
    // The import page of a tab (null for the tabs without one).
    PaginaImportacion* paginaImportacion(int pagina) const { return paginasImportacion_.value(pagina); }
    // Places an import page at the top of a tab and lets it take part in the window's states and
    // hooks (the pages of crearPaginasImportacion() are placed this way).
    void anadirPagina(int pestana, PaginaImportacion* pagina);
    void cargarPanelesAyuda(const QString& carpeta);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void crearPaginas();
    void FormShow();
    void JvPageControlGeneralChange(int indice);

    TDatos& datos_;
    std::unique_ptr<GuiChannel> canal_;
    QTabWidget* JvPageControlGeneral = nullptr;
    QAction* accionCancelar_ = nullptr;
    QHash<int, QTextBrowser*> panelesAyuda_;
    QList<QPair<int, PanelAyuda>> ayudas_; // the help panels in the order of their pages
    QHash<int, PaginaImportacion*> paginasImportacion_;
    bool terminar_ = false;
    bool mostrada_ = false;
    int bucles_ = 0;
};
