#pragma once
// The defaults of new clients, asked before the client, address and contact imports load a
// workbook: company group, VAT regime, payment method (with its portfolio), sales price list and
// currency. Each lookup starts on the lowest code of its table (the company group on the one the
// module was launched for, price lists of that company group) and shows the chosen record's name.
// "&Iniciar Importación" accepts, "Cancelar" cancels the import.

#include <QDialog>
#include <optional>

#include "OpcionesClientes.h"

class QLabel;
class QPushButton;
class QWidget;
class TDatos;
class TkvDBEditLookup;

class TFormConfiguracionDatosDefecto : public QDialog {
    Q_OBJECT
public:
    explicit TFormConfiguracionDatosDefecto(TDatos& datos, QWidget* parent = nullptr);

    // Loads the five lookups without their search window and confirms their first record.
    void FormShow();
    // The chosen IDs (0 until a record is confirmed; a payment method without portfolio gives 0).
    qd::DatosDefectoClientes valores() const;

    // Shows the window modally: the chosen defaults, or nothing when it was cancelled.
    static std::optional<qd::DatosDefectoClientes> pedir(TDatos& datos, QWidget* parent = nullptr);

    TkvDBEditLookup* lookup(int cual) const; // 0 group, 1 VAT regime, 2 payment, 3 price list, 4 currency
    QLabel* nombre(int cual) const;
    QPushButton* botonIniciar() const { return botonIniciar_; }
    QPushButton* botonCancelar() const { return botonCancelar_; }
    QWidget* pnlOpciones() const { return pnlOpciones_; }

private:
    TDatos& datos_;
    int IDGrupoEmpresas = 0, IDRegimenIVA = 0, IDFormaPago = 0, IDCartera = 0, IDTarifa = 0, IDMoneda = 0;
    TkvDBEditLookup* lookups_[5] = {};
    QLabel* nombres_[5] = {};
    QWidget* pnlOpciones_ = nullptr;
    QPushButton* botonIniciar_ = nullptr;
    QPushButton* botonCancelar_ = nullptr;
};
