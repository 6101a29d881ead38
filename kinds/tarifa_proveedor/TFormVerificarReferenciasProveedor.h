#pragma once
// The supplier reference verification window, opened from the supplier price-list page for its
// supplier. It shows the supplier's persistent work list (the supplier price-list kind's
// tArticulos_Ref_A_Verificar) in an editable grid, compares it with the page's linked workbook ("&Cargar
// Excel") and writes the verified rows shown back ("&Actualizar"). Every step is a call of that kind; the
// window only gathers the options and shows the result.

#include <QDialog>
#include <QStringList>

#include "OpcionesVerificarReferencias.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableView;
class ImportacionTarifaProveedor;
class TDatos;
class TkvDBEditLookup;
class ModeloReferenciasAVerificar;

class TFormVerificarReferenciasProveedor : public QDialog {
    Q_OBJECT
public:
    explicit TFormVerificarReferenciasProveedor(ImportacionTarifaProveedor& tarifa,
                                                QWidget* parent = nullptr);

    // What the page hands over: its supplier, scope (with the lookups' texts) and the workbook it
    // linked (path, title row, links).
    struct Origen {
        int IdProveedor = 0;
        QString CodigoProveedor, NombreProveedor;
        qd::OpcionesVerificarReferencias::Ambito ambito = qd::OpcionesVerificarReferencias::Ambito::Todos;
        int IdFamilia = 0, IdMarca = 0;
        QString textoFamilia, textoMarca;
        QString fichero;
        int FilaTitulos = 1;
        QStringList Enlaces;
    };
    void ponerOrigen(const Origen& o);

    // The options as the controls give them.
    qd::OpcionesVerificarReferencias opciones() const;

    // The buttons' actions.
    void cargarArticulos();
    void cargarExcel();
    void eliminarEspacios();
    void actualizar();
    // Orders the rows shown by a column (Ascending: tag 1, descending: tag 2).
    void ordenar(int columna, bool descendente);

    QTableView* rejilla() const { return rejilla_; }
    ModeloReferenciasAVerificar* modelo() const { return modelo_; }
    QComboBox* productosAVisualizar() const { return visualizar_; }
    QLabel* etiquetaRegistros() const { return registros_; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int r) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* boton(const char* nombre, const QString& texto, const QString& ayuda = {});
    QCheckBox* casilla(const char* nombre, const QString& texto);
    TkvDBEditLookup* nuevoLookup(const char* nombre, const QStringList& lineas, const QString& titulo);
    void ponerAmbito();
    void mostrarCuenta();
    void abrir();
    void menuTitulo(int columna);
    void error(const std::exception& e);

    ImportacionTarifaProveedor& tarifa_;
    TDatos& datos_;
    Origen origen_;
    int IdFamilia = 0, IdMarca = 0;
    bool PreguntarSN = true;
    QString FieldName = QStringLiteral("AV.CODIGO");
    bool descendente_ = false;
    bool mostrada_ = false;

    QLabel* proveedor_ = nullptr;
    QRadioButton* ambitos_[3] = {};
    TkvDBEditLookup* familia_ = nullptr;
    TkvDBEditLookup* marca_ = nullptr;
    QLineEdit* prefijo_ = nullptr;
    QComboBox* visualizar_ = nullptr;
    QCheckBox* artProv_ = nullptr;
    QCheckBox* habitual_ = nullptr;
    QCheckBox* nombre_ = nullptr;
    QCheckBox* ean_ = nullptr;
    QCheckBox* catalogo_ = nullptr;
    QCheckBox* volver_ = nullptr;
    QLabel* registros_ = nullptr;
    QTableView* rejilla_ = nullptr;
    ModeloReferenciasAVerificar* modelo_ = nullptr;
    QMenu* menuOrden_ = nullptr;
};
