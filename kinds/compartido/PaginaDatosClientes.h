#pragma once
// The base of the "Clientes", "Direcciones Clientes", "Contactos Clientes", "Proveedores" and
// "Clientes - Bancos" pages: one press of "4º Paso : Cargar XLS" asks for the defaults of new clients (not
// for bank accounts), loads the workbook and writes it (no review step); the grid then shows the rows loaded.
// The only-new tick, the help button and the engine options (beside the cancel hint) complete them.

#include <QString>
#include <functional>
#include <optional>

#include "OpcionesClientes.h"
#include "PaginaImportacion.h"

class QCheckBox;
class QPushButton;
class TkvRxMemoryData;

class PaginaDatosClientes : public PaginaImportacion {
    Q_OBJECT
public:
    struct Textos {
        const char* objeto;     // the page's object name
        const char* soloNuevos; // object name of the only-new tick
        const char* textoSoloNuevos;
        const char* botonCargar; // object name of the load button
        const char* botonAyuda;
        const char* tipo; // the lock's kind (as qdimport --kind)
        QString ayuda;    // the help button's text
    };
    PaginaDatosClientes(TDatos& datos, QString& nombreFichero, const Definicion& definicion,
                        const Textos& textos, QWidget* parent = nullptr);

    // The defaults window (unset: TFormConfiguracionDatosDefecto, modal). Nothing: cancelled.
    std::function<std::optional<qd::DatosDefectoClientes>()> pedirDatosDefecto;

    qd::OpcionesClientes opciones() const;
    QCheckBox* casillaSoloNuevos() const { return soloNuevos_; }
    QPushButton* botonCargar() const { return cargar_; }
    void pulsarAyuda();
    const QString& textoAyuda() const { return textos_.ayuda; }

protected:
    // The staged rows the grid shows (the kind's staging table, once the derived page has it).
    void mostrarTabla(TkvRxMemoryData& tabla);
    // The steps text of the help button, and the page's frame.
    static QString pasos(const char* tercerPaso);
    static Definicion definicion(const char* paginas, const char* selector, const char* vistaPrevia,
                                 const char* lista, qd::FieldList (*crear)(), const char* grid,
                                 bool bloquea = true);
    bool antesDeCargar() override;
    QString tipoImportacion() const override { return QString::fromLatin1(textos_.tipo); }
    // The kind's two steps with the page's options.
    virtual void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) = 0;
    void confirmar() override { escribir(opciones(), opcionesMotor()); }

private:
    Textos textos_;
    QCheckBox* soloNuevos_ = nullptr;
    QPushButton* cargar_ = nullptr;
    QPushButton* ayuda_ = nullptr;
    qd::DatosDefectoClientes defectos_;
};
