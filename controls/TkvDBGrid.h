#pragma once
// The data grid of the import pages: a table view over a staging table.
//
// What it adds to the plain table view:
//   - a column list (field, title, drawn as a check box) through ModeloRxMemoryData;
//   - a read-only switch;
//   - columns sized to their titles and contents (ajustarColumnas, after a load);
//   - keyboard navigation between columns: with EnterToTab on, Enter and Tab move to the next
//     column and Shift+Tab to the previous one; at the last (first) column they go on to the
//     next (previous) row only when MoveByRow is on. With MoveByRow off and EnterToTab on the
//     vertical keys (Up, Down, Page Up, Page Down) do not change the row;
//   - in a column of a floating-point field, both decimal keys ('.' and ',') type the user's
//     decimal separator, in the grid and in its cell editor.
// A key the grid keeps for itself still reaches the window's own key handler (onKeyDown).
//
// Drawing: OnCalcCellColors may change the background, text colour and font of each cell before
// it is painted (it is told the field and the row; filaActiva() is the current row); then the
// cell is painted as usual and OnDrawColumnCell, when set, is raised for it.
//
// Column views: CambioVisor shows a chosen subset of the column list as it stood the first time it
// was needed (ListaInicialColumnas); CambiarDisplayLabel retitles a column.

#include <QList>
#include <QSet>
#include <QStyleOptionViewItem>
#include <QTableView>
#include <functional>
#include <memory>

#include "ModeloRxMemoryData.h"

class QPainter;

class TkvDBGrid : public QTableView {
    Q_OBJECT
    friend class DelegadoRejilla;

public:
    explicit TkvDBGrid(QWidget* parent = nullptr);

    // The staging table shown and the columns (empty list: every visible field).
    void setTabla(TkvRxMemoryData* tabla);
    void setColumnas(const QList<ModeloRxMemoryData::Columna>& columnas);
    ModeloRxMemoryData* modelo() const { return modelo_; }

    // Sizes every column to its title and to the widest of the first rows' texts (the part from
    // the rows capped at anchoMaximo pixels; a title is never cut).
    void ajustarColumnas(int filasMuestra = 100, int anchoMaximo = 320);

    void setReadOnly(bool on);
    bool isReadOnly() const { return soloLectura_; }

    bool EnterToTab = true;
    bool MoveByRow = true;
    // Column layout file (off in this program's grids): with GuardarColumnas the order, widths and
    // titles of the columns are saved when the grid loses the focus and restored when it takes it,
    // in the section named by the window and the grid, one entry per column keyed by field name.
    // With FiltrarRejillas a saved layout for another number of columns is replaced, not applied.
    bool GuardarColumnas = false;
    bool FiltrarRejillas = true;
    // The file: "Rejillas.ini" beside the program unless set.
    QString ficheroColumnas;
    QString seccionColumnas() const;
    void GuardarListaColumnas();
    void CargarListaColumnas();
    // With a saved layout for another number of columns, saves the current one over it.
    void Comprobar_rejillas();

    // The window's own key handler; it sees every key press, also the ones the grid keeps.
    std::function<void(QKeyEvent*)> onKeyDown;

    // The decimal separator the decimal keys type (default: the locale's).
    void setSeparadorDecimal(QChar c) { separador_ = c; }
    QChar separadorDecimal() const;

    // Cell colours: background and text colour (invalid: unchanged) and font of a cell.
    std::function<void(const QString& campo, int fila, QColor& fondo, QColor& texto, QFont& fuente)>
        OnCalcCellColors;
    // Raised for every cell drawn, after the grid painted it.
    std::function<void(QPainter* pintor, const QRect& rect, const QString& campo, int fila,
                       const QStyleOptionViewItem& opcion)>
        OnDrawColumnCell;
    int filaActiva() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

    // Gives the column of a field another title.
    void CambiarDisplayLabel(const QString& Columna, const QString& NuevoDisplayLabel);
    // Shows only the columns of ListaInicialColumnas at the given positions, in that list's order.
    void CambioVisor(int visor, const QSet<int>& columnas);
    int Visor() const { return visor_; }
    const QList<ModeloRxMemoryData::Columna>& ListaInicialColumnas() const { return listaInicial_; }
    void CargarListaInicial();

    // Field of the active column, and moving to a column by field name.
    QString campoActivo() const;
    bool setCampoActivo(const QString& campo);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    // A copy of a decimal key event that types the separator, or nullptr when it stays as it is.
    std::unique_ptr<QKeyEvent> teclaDecimal(const QKeyEvent* event, int columna) const;
    bool moverColumna(bool adelante);

    QString campoDeColumna(int columna) const;
    QString rutaColumnas() const;
    bool tablaAbierta() const;

    ModeloRxMemoryData* modelo_;
    bool soloLectura_ = false;
    bool primeraVez_ = true;
    int visor_ = 0;
    QList<ModeloRxMemoryData::Columna> listaInicial_;
    QChar separador_;
};
