#pragma once
// "Historial de importaciones" (menu Opciones): the runs of the history, newest first, filtered by
// kind and date; the chosen run's detail; "Deshacer importación" (with a dry run first when the
// user wants it, and the choice to leave the rows in conflict as they are) and "Eliminar diario".
// "Deshacer" is disabled, and says why, for a run that cannot be undone.

#include <QDialog>
#include <QList>

#include "HistorialImportaciones.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class TDatos;

class DialogoHistorial : public QDialog {
    Q_OBJECT
public:
    explicit DialogoHistorial(TDatos& datos, QWidget* parent = nullptr);

    QTableWidget* tabla() const { return tabla_; }
    QComboBox* filtroTipo() const { return tipo_; }
    QPushButton* botonDeshacer() const { return deshacer_; }
    QPushButton* botonEliminarDiario() const { return eliminar_; }
    QPlainTextEdit* detalle() const { return detalle_; }

    void actualizar();
    // Undoes the selected run: asks, shows the conflicts and offers to leave them, shows the result.
    void pulsarDeshacer();
    void pulsarEliminarDiario();

private:
    void alCambiarSeleccion();
    const qd::FilaHistorial* seleccionada() const;

    TDatos& datos_;
    QComboBox* tipo_ = nullptr;
    QCheckBox* usarDesde_ = nullptr;
    QCheckBox* usarHasta_ = nullptr;
    QDateEdit* desde_ = nullptr;
    QDateEdit* hasta_ = nullptr;
    QTableWidget* tabla_ = nullptr;
    QPlainTextEdit* detalle_ = nullptr;
    QPushButton* deshacer_ = nullptr;
    QPushButton* eliminar_ = nullptr;
    QList<qd::FilaHistorial> filas_;
};
