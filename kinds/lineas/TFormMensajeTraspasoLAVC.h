#pragma once
// The delivery-note line transfer window of the LAV and LAC launch codes. The module's whole life
// in those modes is this modal window; closing it ends the module.
//
// Page 0 takes the workbook and the search mode and loads; page 1 shows the staged lines in an
// editable grid (red: no article or serial number already used, black: valid, green: valid with a
// price other than the last purchase price), verifies the lines edited by hand and imports. The
// window only gathers options and calls the data module (cargarLineas, Verificar_Lineas,
// confirmarLineas); what the import shows goes through the user channel.
//
// At the end of an import: the line-incidence file (when one was written) is handed to the text
// viewer, the incidence list is shown, the end window is shown, the host is notified and the
// window closes with Accepted. An error outside the lines leaves the window open: the lines
// already written are marked in the staging table, so a second import does not repeat them.

#include <QColor>
#include <QDialog>
#include <functional>

#include "ImportacionLineas.h"

class QButtonGroup;
class QLabel;
class QPushButton;
class QStackedWidget;
class QStatusBar;
class QTextBrowser;
class TJvFilenameEdit;
class TkvDBGrid;
namespace qd {
class UserChannel;
}

class TFormMensajeTraspasoLAVC : public QDialog {
    Q_OBJECT
public:
    TFormMensajeTraspasoLAVC(TDatos& datos, qd::UserChannel& canal, QWidget* parent = nullptr);

    ImportacionLineas& importacion() { return lineas_; }
    ~TFormMensajeTraspasoLAVC() override;

    // Shows the line-incidence file; true when a viewer was started. The default asks the
    // desktop for the file's default application without waiting; tests replace it.
    using AbrirFichero = std::function<bool(const QString& ruta)>;
    static AbrirFichero& abridorPorDefecto();
    AbrirFichero abrirFichero;
    // Shows the incidence list collected by the channel (the main window's); unset: nothing.
    std::function<void()> mostrarIncidencias;
    // Folder of IncidenciasLineasAlbaran.txt; empty: the program's folder.
    QString carpetaIncidencias;

    // The colour of a staged line's text (0-based row).
    QColor colorLinea(int fila) const;
    static QColor colorNoValida() { return QColor(Qt::red); }
    static QColor colorValida() { return QColor(Qt::black); }
    static QColor colorPrecioDistinto() { return QColor(0, 128, 0); }

    TkvDBGrid* grid() const { return kvDBGridLineasLAV; }
    TJvFilenameEdit* selectorFichero() const { return JvOpenDialogLAV; }
    QStackedWidget* paginas() const { return PageControl; }
    QButtonGroup* modosBusqueda() const { return grupoBusqueda_; }
    QStatusBar* barraEstado() const { return StatusBar; }

    // The handlers of the buttons.
    void ButtonCargarXLSLAVClick();
    void kvBotonAtrasClick();
    void kvBotonVerificarClick();
    void kvBotonImportarTodoClick();
    void kvBotonImportarIncidenciasClick();
    void kvBoton3Click();
    void SpeedButtonCancelarSalirClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    class Canal;
    void FormShow();
    void crearPagina0();
    void crearPagina1();
    void Columnas_Grid(int buscarPor);
    void Importar(bool soloValidas);
    void Estado(const QString& texto);
    void mostrarError(const std::exception& e);

    TDatos& datos_;
    ImportacionLineas lineas_{datos_}; // the line import this window runs
    qd::UserChannel& canal_;
    bool mostrada_ = false;

    QLabel* LabelBanner;
    QStackedWidget* PageControl;
    QTextBrowser* MemoAyuda;
    TJvFilenameEdit* JvOpenDialogLAV;
    QWidget* kvDBRadioGroupBuscarArticuloPor;
    QButtonGroup* grupoBusqueda_;
    QPushButton* ButtonCargarXLSLAV;
    QPushButton* SpeedButtonCancelarSalir;
    TkvDBGrid* kvDBGridLineasLAV;
    QPushButton* kvBotonAtras;
    QPushButton* kvBotonVerificar;
    QPushButton* kvBoton3;
    QPushButton* kvBotonImportarTodo;
    QPushButton* kvBotonImportarIncidencias;
    QStatusBar* StatusBar;
};
