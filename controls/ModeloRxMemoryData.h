#pragma once
// A Qt table model over a staging table (TkvRxMemoryData).
//
// The model shows a list of columns, each one a field of the table with its title; a column may
// be drawn as a check box (ticked when the field holds 1, clear when it holds 0). Without a
// column list every visible field is shown, titled with its label (or its name).
//
// The model follows the table through its signals. Rows appended at the end while a loader
// stages a workbook are announced to the views in batches (a short timer), so staging a large
// sheet with the grid on screen does not pay a view update per row.
//
// Numbers are shown in the user's locale; a field with a display format such as "#,##0.00"
// shows that many decimals with group separators. Edits go through the table's own conversion,
// so a value the field cannot take is refused.

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>

#include "TkvRxMemoryData.h"

class ModeloRxMemoryData : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Columna {
        QString campo;        // field name of the staging table
        QString titulo;       // column title (empty: the field's label, or its name)
        bool casilla = false; // drawn as a check box: 1 ticked, 0 clear
    };

    explicit ModeloRxMemoryData(QObject* parent = nullptr);

    void setTabla(TkvRxMemoryData* tabla);
    TkvRxMemoryData* tabla() const { return tabla_; }

    void setColumnas(const QList<Columna>& columnas);
    const QList<Columna>& columnas() const { return columnas_; }

    void setSoloLectura(bool on) { soloLectura_ = on; }
    bool soloLectura() const { return soloLectura_; }

    // Index of the staging field shown in a model column (-1 when the column names no field).
    int campoDeColumna(int columna) const;
    // The model column that shows a field (-1 when it is not shown).
    int columnaDeCampo(const QString& campo) const;
    bool esColumnaFlotante(int columna) const;
    bool esColumnaCasilla(int columna) const;

    // Announces appended rows that are still waiting for the batch timer.
    void sincronizar();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Text of a value as the grid shows it (locale, display format).
    static QString textoValor(const TkvRxMemoryData::FieldDef& def, const QVariant& valor);

private:
    void reiniciar();
    void alInsertarFila(int fila);
    void alCambiarFila(int fila);
    void alQuitarFila(int fila);
    void recalcularCampos();

    QPointer<TkvRxMemoryData> tabla_;
    QList<Columna> columnas_;
    QList<int> campos_; // model column → field index
    int filas_ = 0;     // rows the views know of
    bool soloLectura_ = false;
    QTimer lote_;
    QList<QMetaObject::Connection> conexiones_;
};
