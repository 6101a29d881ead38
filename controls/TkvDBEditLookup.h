#pragma once
// The lookup edit: picks one record of a small master table (price list, warehouse, family…)
// by its code.
//
// The user types a code; when the control is left, the code is resolved with the control's
// statement (SQL) to one row, which is copied into DataSetResultado, and OnConfirmarCambios is
// fired: the window's handler reads the row by field name (IDTARIFAS, CODIGO, NOMBRE…).
//
// Resolution (CargarDataSetResultadoSinVentana): the statement's first line names the code
// column ("SELECT CODIGO," or "SELECT RI.CODIGO,"), its FROM line the table and optional alias.
// A filter line is added that lets through the codes that begin with the typed text, as typed,
// in upper case and in lower case; the typed text travels as a bound parameter (it never
// becomes part of the statement text, so quotes in it are harmless; '%' and '_' act as LIKE
// wildcards). With Filtrar_por_Grupo_de_Empresas (or Filtrar_por_Empresa) the rows are also
// limited to ValorGrupoEmpresas, bound as well. The rows are ordered by the statement's ORDER BY
// line, or by the code column. The row whose code equals the text, without regard to case, is
// the one chosen (during completion, the first one that begins with it).
//
// Resolved state: the control is resolved while its text is the code of the row last confirmed
// (OnConfirmarCambios fired for it). Any change of the text (typing, completion) un-resolves it
// until a code is confirmed again; a code that matches nothing leaves it unresolved, so a window
// never goes on with a record its user no longer sees. resueltoCambiado() tells each change.
//
// Keys (with a connected database and a statement): Enter moves the focus on; Esc, Up and Down
// go to the parent. With AutoScan the code is completed while typing. While the control has the
// focus, with Etiqueta on, the linked labels are drawn red and bold.
//
// The button and the keys F2 (by code), F4 (by name) and F5 (names containing the text) open the
// search window (TkvScan) over the same statement, unless the edit is read-only; the row accepted
// there is copied and confirmed as a resolved code is.

#include <QFlags>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

#include "TkvRxMemoryData.h"

class QToolButton;
class TkvIBQuery;
namespace qd::fb {
class Attachment;
class Transaction;
} // namespace qd::fb

// Price lists and warehouse shown by the search window (with Usar_Datos_Auxiliares).
struct TDatosAuxiliares {
    QString CodigoTarifaVentas, NombreTarifaVentas, CodigoTarifaCliente, NombreTarifaCliente, CodigoAlmacen,
        NombreAlmacen;
};

class TkvDBEditLookup : public QLineEdit {
    Q_OBJECT
public:
    enum TOpcion {
        Filtrar_por_Grupo_de_Empresas = 0x01,
        Filtrar_por_Empresa = 0x02,
        Incluir_Valores_Repetidos = 0x04,
        Es_Compras = 0x08,
        Es_Tabla_Articulos = 0x10,
        Es_Tabla_Clientes = 0x20,
        Usar_Datos_Auxiliares = 0x40,
    };
    Q_DECLARE_FLAGS(TOpciones, TOpcion)

    enum TSide { sbLeft, sbRight };

    explicit TkvDBEditLookup(QWidget* parent = nullptr);
    ~TkvDBEditLookup() override;

    // Connection and transaction of every statement; without a connected database the control
    // does no lookup.
    void setDataBase(qd::fb::Attachment* db, qd::fb::Transaction* tr);
    qd::fb::Attachment* DataBase() const { return db_; }
    bool baseConectada() const;

    // The lookup statement, one line per item.
    void setSQL(const QStringList& lineas);
    const QStringList& SQL() const { return sql_; }

    // Values copied into the statement's parameters of the same name before each run.
    QMap<QString, QVariant>& ParametrosSQL() { return parametros_; }
    // The value of one of ParametrosSQL, or nullptr with the message "Error en ParamByName".
    QVariant* ParamByName(const QString& Valor);

    // Options; both company filters together (or both table kinds) cancel each other.
    void setOpcionesBusqueda(TOpciones opciones);
    TOpciones OpcionesBusqueda() const { return opciones_; }
    int ValorGrupoEmpresas = 0;

    QStringList FormatoCampos, OrigenFormatoCampos; // columns of the search window
    QString Caption_Ventana;
    bool Ventana_Scan_Grande = true;
    bool Funcionamiento_Grande = false;
    bool Control_En_Rejilla = false;
    bool Contar_Registros_Seleccion = true;
    int Caracteres_Ignorar_Busqueda_F2 = 0;
    bool SuperBusqueda_Articulos = false;
    bool Es_FichaArticulo = false;
    TDatosAuxiliares Datos_Auxiliares;

    bool AutoScan = false;
    bool Etiqueta = false;
    void setEtiqueta1(QLabel* etiqueta);
    void setEtiqueta2(QLabel* etiqueta);
    QLabel* Etiqueta1() const { return etiqueta1_; }
    QLabel* Etiqueta2() const { return etiqueta2_; }

    // The button inside the edit.
    QToolButton* boton() const { return boton_; }
    void setWidthButton(int ancho); // 1 to 74; other values are ignored
    int WidthButton() const { return anchoBoton_; }
    void setSide(TSide lado);
    TSide Side() const { return lado_; }
    void setVisibleButton(bool visible);
    bool VisibleButton() const { return botonVisible_; }
    void setTextButton(const QString& texto);

    // Optional binding to a field of a staging table (DataSource / DataField).
    void setDataSource(TkvRxMemoryData* tabla, const QString& campo);
    // The bound record changed: show the field's text.
    void refrescarCampo();

    // The resolved row (valid while OnConfirmarCambios runs).
    TkvRxMemoryData& DataSetResultado() { return *resultado_; }
    bool DataSetCargado() const { return cargado_; }

    // A row was resolved; DataSetResultado holds it during the call.
    std::function<void(TkvDBEditLookup&)> OnConfirmarCambios;
    // The button was pressed (after its search, once the search window exists).
    std::function<void(TkvDBEditLookup&)> OnButtonClick;
    // The search window's quick-add key; stored for the search window.
    std::function<void(TkvDBEditLookup&, const QString& Codigo)> OnBotonF6Click;
    // Replaces the search window: F2 (0, by code), F4 (1, by name), F5 (2, names containing the
    // text) and the button (0). Unset, the window opens.
    std::function<void(TkvDBEditLookup&, int tipoOrden)> abrirVentanaBusqueda;

    // The window's own key handler: it sees every key but Tab, also the ones the control keeps.
    std::function<void(QKeyEvent*)> onKeyDown;

    // Resolves a code without window (empty text with Primero: the first row).
    void CargarDataSetResultadoSinVentana(const QString& TextoBusqueda, bool Ejecutar_ConfirmarCambios,
                                          bool Primero, bool Ultimo);
    // Confirms the current text (what leaving the control does).
    void ConfirmarCambios();

    // The text is the code of the row last confirmed (see above).
    bool resuelto() const { return resuelto_; }

    // The statement text a resolution runs (without its parameter values), for the tests.
    QString sentenciaResolucion() const;
    int Contador_AutoScan() const { return contador_; }

signals:
    void confirmarCambios();
    void resueltoCambiado(bool resuelto);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Sentencia {
        QString texto;
        bool conFiltro = false;
        bool conGrupo = false;
    };
    Sentencia construirSentencia() const;
    QString columnaCodigo() const;
    QString calificador() const;
    bool resolver(const QString& texto, bool parcial, bool Ejecutar_ConfirmarCambios, bool Primero,
                  bool Ultimo);
    void copiarFila(const TkvIBQuery& consulta);
    void salir();
    void completar();
    void colocarBoton();
    void avisar(const QString& texto) const;
    void resaltarEtiquetas(bool on);
    // Fires OnConfirmarCambios for the row in DataSetResultado and marks the text resolved.
    void confirmarFila();
    void ponerResuelto(bool resuelto);
    void abrirBusqueda(int tipoOrden);

    qd::fb::Attachment* db_ = nullptr;
    qd::fb::Transaction* tr_ = nullptr;
    QStringList sql_;
    QMap<QString, QVariant> parametros_;
    TOpciones opciones_;
    std::unique_ptr<TkvRxMemoryData> resultado_;
    bool cargado_ = false;
    bool parcial_ = false;
    int contador_ = 0;
    bool elegidaEnVentana_ = false;
    bool resuelto_ = false;
    QString codigoResuelto_;

    QPointer<QLabel> etiqueta1_, etiqueta2_;
    QColor colorAnterior1_, colorAnterior2_;
    QFont fuenteAnterior1_, fuenteAnterior2_;
    bool resaltadas_ = false;

    QToolButton* boton_;
    int anchoBoton_ = 16;
    TSide lado_ = sbRight;
    bool botonVisible_ = true;

    QPointer<TkvRxMemoryData> tablaCampo_;
    QString campo_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TkvDBEditLookup::TOpciones)
