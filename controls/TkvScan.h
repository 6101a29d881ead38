#pragma once
// The search window of the lookup edit: lists the rows of the lookup's statement, filtered by the
// text typed in its search box and ordered by code or by name, and hands back the chosen row.
//
// Search modes: F2 by code (0), F4 by name (1), F5 names that contain the text (2). The typed
// text always travels as a bound parameter: a quote in it is harmless, while '%' and '_' act as
// LIKE wildcards. The condition tests the text as typed, in upper case and in lower case.
// Without Repetidos the statement's first line lists DISTINCT rows; with UsarEmpresa or
// UsarGrupoEmpresas the rows are limited to GrupoEmpresas (bound as well). "Nº Reg:" counts the
// rows the query lists (the same statement, counted as a derived table).
//
// Typing in the search box moves the grid to the first row whose search column (the code, or the
// name when searching by name) begins with the text. Unless the window is large and works as
// large, a text longer than 4 characters also queries again in the current mode while autoscan is
// on. In the small layout the lookup's text does not filter: every row is listed and the grid
// stands on the first one that begins with it.
//
// Keys: Enter or a double click accepts; Down in the search box goes to the grid; Backspace
// turns the re-query while typing off ("Desactivar autoscan" does the same); F6 calls OnF6.
// A click on a column title offers to sort by that column, up or down. "Cadena a Buscar":
// another column of the list is searched for a text that it contains.
//
// Article tables list only the articles still in the catalogue unless "Ver Descatalogados" is
// ticked. With the auxiliary data, " Tarifa Ventas " chooses the price list whose code goes into
// the statement's parameter ParCodigoTarifa.

#include <QDialog>
#include <QMap>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;
class TkvIBQuery;
class TkvRadioGroup;
namespace qd::fb {
class Attachment;
class Transaction;
} // namespace qd::fb

class TkvScan : public QDialog {
    Q_OBJECT
public:
    // Everything the lookup hands over when it opens the window.
    struct Ajustes {
        bool Compras = false, Articulos = false, Clientes = false, Repetidos = false;
        bool UsarEmpresa = false, UsarGrupoEmpresas = false;
        int GrupoEmpresas = 0;
        int TipoOrdenacion = 0; // 0 code, 1 name, 2 name contains
        QStringList TextoSQL, FormatoCampos, OrigenFormatoCampos;
        QString TextoScan, CaptionVentana;
        qd::fb::Attachment* DataBase = nullptr;
        qd::fb::Transaction* Transaccion = nullptr;
        QMap<QString, QVariant> Parametros;
        bool VerGrande = true, Funcionamiento_Grande = false, ControlEnRejilla = false;
        bool ContarRegistros = true;
        bool UsarDatosAuxiliares = false;
        QString CodTarifa, NombTarifa, CodTarifaCli, NombTarifaCli, CodAlmacen, NombAlmacen;
        int Caract_Ignorar_Codigo = 0;
    };

    explicit TkvScan(QWidget* parent = nullptr);
    ~TkvScan() override;

    void Inicializar(const Ajustes& ajustes);
    // Builds and runs the queries for the current mode and search text.
    void MostrarDatos();

    // Switches the mode as F2, F4 and F5 do, with the search box's text.
    void cambiarOrden(int tipo);
    // Sorts the rows by a grid column.
    void ordenar(int columna, bool ascendente);

    int tipoOrdenacion() const { return tipo_; }
    QString textoScan() const { return texto_; }
    QString columnaCodigo() const { return codigo_; }
    QString columnaNombre() const { return nombre_; }
    QString tabla() const { return tabla_; }
    QString alias() const { return alias_; }
    // The statements of the last MostrarDatos (their values travel as parameters).
    QString sentenciaFilas() const { return sentenciaFilas_; }
    QString sentenciaCuenta() const { return sentenciaCuenta_; }

    QLineEdit* busqueda() const { return busqueda_; }
    QTableView* rejilla() const { return rejilla_; }
    QLabel* etiquetaRegistros() const { return registros_; }
    QCheckBox* desactivarAutoScan() const { return desactivar_; }
    QComboBox* otrasBusquedas() const { return otras_; }
    QStandardItemModel* filas() const { return modelo_; }
    QPushButton* botonF6() const { return botonF6_; }
    QPushButton* botonTecla(int tipo) const { return botonesTecla_[qBound(0, tipo, 2)]; }
    QCheckBox* verDescatalogados() const { return descatalogados_; }
    TkvRadioGroup* tarifaVentas() const { return tarifas_; }
    QLabel* etiquetaAlmacen() const { return almacen_; }
    QWidget* marcoOtrasBusquedas() const { return marcoOtras_; }
    // The text typed in the small layout, on which the grid is positioned.
    QString auxTecleado() const { return auxTecleado_; }
    // The width the window takes when it is shown, from its columns.
    int anchoInicial() const;

    // Chooses an item of "other searches" as a user does (item 2 on asks for the text).
    void elegirOtraBusqueda(int item);

    // The query positioned on the grid's current row (nullptr without one), for the caller to
    // copy after an accepted close.
    const TkvIBQuery* filaElegida();

    std::function<void(QWidget* remitente, const QString& Codigo)> OnF6;

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;
    void showEvent(QShowEvent* evento) override;

private:
    struct Sentencias {
        QString filas, cuenta;
        bool conFiltro = false;
        bool conGrupo = false;
    };
    Sentencias construir() const;
    void vincular(TkvIBQuery& consulta, const Sentencias& s) const;
    void ponerTitulo();
    void mostrarError(const QString& texto);
    bool teclaDeVentana(QKeyEvent* tecla);
    // Moves the grid to the first row whose search column begins with the text.
    void posicionar(const QString& texto);
    void alTeclear(const QString& texto);

    Ajustes a_;
    int tipo_ = 0;
    QString texto_;
    QStringList lineas_; // the statement without its ORDER and GROUP lines
    QString orderBy_, groupBy_, ordenElegido_;
    QString codigo_, nombre_, tabla_, alias_;
    struct Columna {
        QString campo, titulo;
        int ancho = 0;
    };
    QList<Columna> columnas_;
    QList<int> camposColumna_; // query field index of each grid column
    QString sentenciaFilas_, sentenciaCuenta_;
    bool autoScan_ = true;
    bool primeraCarga_ = true;
    bool mostrada_ = false;
    QString auxTecleado_;
    int columnaBusqueda_ = -1; // grid column typing searches (-1: by the mode)
    int long_ = 0;             // sum of the column widths in characters

    std::unique_ptr<TkvIBQuery> consulta_;
    QLineEdit* busqueda_;
    QTableView* rejilla_;
    QStandardItemModel* modelo_;
    QLabel* registros_;
    QCheckBox* desactivar_;
    QComboBox* otras_;
    QPushButton* aceptar_;
    QPushButton* botonesTecla_[3] = {};
    QPushButton* botonF6_;
    QCheckBox* descatalogados_;
    QWidget* marcoOtras_;
    TkvRadioGroup* tarifas_;
    QLabel* almacen_;
};
