#pragma once
// The grid's model over the work list of the reference verification (the supplier
// price-list kind's tArticulos_Ref_A_Verificar): the window's columns in order, the 0/1 flags as check boxes,
// the rows coloured by what they hold (red when stored and workbook values differ, pale green when verified;
// the active row blue with white bold text). An edit is posted (and committed) at once.

#include <QAbstractTableModel>
#include <QList>
#include <QString>

class ImportacionTarifaProveedor;
class TDatos;
class TkvIBDataSet;

class ModeloReferenciasAVerificar : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Columna {
        QString campo;
        int ancho;      // characters
        QString titulo; // "~" breaks it into two lines
        bool casilla;   // drawn as a check box
        bool editable;  // the user may change it
    };
    explicit ModeloReferenciasAVerificar(ImportacionTarifaProveedor& tarifa, QObject* parent = nullptr);

    static const QList<Columna>& columnas();
    // The order key of a column: the column with its table's alias.
    static QString claveOrden(int columna);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void setFilaActiva(int fila);
    int filaActiva() const { return filaActiva_; }

private:
    TkvIBDataSet& ds() const;
    QVariant valor(int fila, const QString& campo) const;
    ImportacionTarifaProveedor& tarifa_;
    TDatos& datos_;
    int filaActiva_ = -1;
};
