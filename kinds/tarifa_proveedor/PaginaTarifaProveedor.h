#pragma once
// The "Tarifas Proveedor" page: a supplier's price list in its own layout. The user chooses the
// supplier, the workbook and its title row, links the workbook's columns to the price-list fields
// ("Crear Enlace entre Columnas"), sets the options and loads ("Cargar Tarifa Proveedor"): the
// rows whose reference is one of the supplier's are staged with the stored values beside the new
// ones (changes in red). "&Actualizar Precios Proveedor" writes them.
//
// States: no workbook or workbook chosen (linking enabled), linked (load enabled, "OK" beside the
// linking), loaded (the review with the confirmation; "OK" beside the load too).

#include <QStringList>
#include <functional>

#include "ImportacionTarifaProveedor.h"
#include "OpcionesTarifaProveedor.h"
#include "PaginaImportacion.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TkvDBEditLookup;
class TFormVerificarReferenciasProveedor;

class PaginaTarifaProveedor : public PaginaImportacion {
    Q_OBJECT
public:
    PaginaTarifaProveedor(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

    // The kind this page runs.
    ImportacionTarifaProveedor& importacion() { return importacion_; }

    // The options as the controls give them (the links included).
    qd::OpcionesTarifaProveedor opciones() const;
    const QStringList& enlaces() const { return enlaces_; }

    // The linking (button "Crear Enlace entre Columnas"): the titles of the title row, then the
    // linking window.
    void pulsarEnlazar();
    // "Eliminar Espacios en las Referencias Proveedor".
    void pulsarEliminarEspacios();
    // "Verificar referencias del Proveedor": the verification window for the chosen supplier, its
    // scope and the linked workbook, shown modally and destroyed when it closes.
    void pulsarVerificarReferencias();
    // Shows the verification window (modally). Tests replace it.
    std::function<void(TFormVerificarReferenciasProveedor& ventana)> mostrarVerificacion;
    // Opens the linking window over the titles and returns the links accepted (empty when the
    // window was left). Tests replace it.
    std::function<QStringList(const QStringList& titulos)> elegirEnlaces;

    TkvDBEditLookup* lookupProveedor() const { return proveedor_; }
    TkvDBEditLookup* lookupFamilia() const { return familia_; }
    TkvDBEditLookup* lookupMarca() const { return marca_; }
    TkvDBEditLookup* lookupTarifa(int n) const { return tarifas_[n]; } // 0 to 2
    QSpinBox* filaTitulos() const { return fila_; }
    QPushButton* botonEnlazar() const { return enlazar_; }
    QPushButton* botonCargar() const { return cargar_; }
    QPushButton* botonEliminarEspacios() const { return espacios_; }
    QPushButton* botonVerificar() const { return verificar_; }
    QRadioButton* ambito(int n) const { return ambitos_[n]; } // Todos, Familia, Marca
    QCheckBox* casillaAplicarDtos() const { return aplicarDtos_; }
    QLineEdit* dto(int n) const { return dtos_[n]; }
    QLineEdit* dtoTarifa(int n) const { return dtosTarifa_[n]; }
    QCheckBox* casillaDtosEnCostoReal() const { return dtosCostoReal_; }
    QLineEdit* prefijo() const { return prefijo_; }
    QCheckBox* casillaCostesFicha() const { return costesFicha_; }
    QCheckBox* casillaFormatoEAN() const { return formatoEAN_; }
    QCheckBox* casillaActualizarTarifas() const { return actualizarTarifas_; }
    QCheckBox* casillaCatalogoWEB() const { return catalogoWEB_; }
    QLabel* etiquetaColumnasOK() const { return columnasOK_; }
    QLabel* etiquetaTarifasOK() const { return tarifasOK_; }
    QLabel* etiquetaRegistros() const { return registros_; }

    void alMostrarPrimeraVez() override;

protected:
    bool antesDeCargar() override;
    void cargar(const QString& fichero) override;
    void confirmar() override;
    QString tipoImportacion() const override { return QStringLiteral("tarifa-proveedor"); }
    void vaciarStaging() override;
    void alCambiarModo(bool ocupado) override;

private:
    TkvDBEditLookup* nuevoLookup(const char* nombre, const QString& tabla, const QString& id,
                                 const QString& titulo, int anchoCodigo, int anchoNombre);
    void ficheroElegido();
    void ponerAmbito();
    void ponerDtos();
    void sinEnlaces();

    int idProveedor_ = 0;
    QString codigoProveedor_, nombreProveedor_;
    int idFamilia_ = 0, idMarca_ = 0;
    int idTarifa_[3] = {};
    QString codTarifa_[3];
    QStringList enlaces_;
    QString ficheroEnlazado_; // the workbook the links were made on

    TkvDBEditLookup* proveedor_ = nullptr;
    TkvDBEditLookup* familia_ = nullptr;
    TkvDBEditLookup* marca_ = nullptr;
    TkvDBEditLookup* tarifas_[3] = {};
    QLabel* nombreProveedorEtiqueta_ = nullptr;
    QSpinBox* fila_ = nullptr;
    QPushButton* enlazar_ = nullptr;
    QPushButton* cargar_ = nullptr;
    QPushButton* espacios_ = nullptr;
    QPushButton* verificar_ = nullptr;
    QRadioButton* ambitos_[3] = {};
    QCheckBox* aplicarDtos_ = nullptr;
    QLabel* etiquetasDto_[3] = {};
    QLineEdit* dtos_[3] = {};
    QLineEdit* dtosTarifa_[3] = {};
    QCheckBox* dtosCostoReal_ = nullptr;
    QLabel* etiquetaCostoReal_ = nullptr;
    QLineEdit* prefijo_ = nullptr;
    QCheckBox* costesFicha_ = nullptr;
    QCheckBox* formatoEAN_ = nullptr;
    QCheckBox* actualizarTarifas_ = nullptr;
    QCheckBox* catalogoWEB_ = nullptr;
    QGroupBox* grupoConfirmar_ = nullptr;
    QLabel* columnasOK_ = nullptr;
    QLabel* tarifasOK_ = nullptr;
    QLabel* registros_ = nullptr;
    ImportacionTarifaProveedor importacion_{datos()};
};
