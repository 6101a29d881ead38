#pragma once
// The "Clientes", "Direcciones Clientes", "Contactos Clientes", "Proveedores" and "Clientes - Bancos"
// pages: one press of "4º Paso : Cargar XLS" asks for the defaults of new clients (not for bank
// accounts), loads the workbook and writes it
// (no review step); the grid then shows the rows loaded. The only-new tick, the help button and
// the engine options (beside the cancel hint) complete them.

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
                        const Textos& textos, TkvRxMemoryData& tabla, QWidget* parent = nullptr);

    // The defaults window (unset: TFormConfiguracionDatosDefecto, modal). Nothing: cancelled.
    std::function<std::optional<qd::DatosDefectoClientes>()> pedirDatosDefecto;

    qd::OpcionesClientes opciones() const;
    QCheckBox* casillaSoloNuevos() const { return soloNuevos_; }
    QPushButton* botonCargar() const { return cargar_; }
    void pulsarAyuda();
    const QString& textoAyuda() const { return textos_.ayuda; }

protected:
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

class PaginaClientes : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaClientes(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;
};

class PaginaProveedores : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaProveedores(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;
};

// "Clientes - Bancos": no defaults window and no only-new tick.
class PaginaBancos : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaBancos(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;
};

class PaginaDirecciones : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaDirecciones(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;
};

class PaginaContactos : public PaginaDatosClientes {
    Q_OBJECT
public:
    PaginaContactos(TDatos& datos, QString& nombreFichero, QWidget* parent = nullptr);

protected:
    void cargar(const QString& fichero) override;
    void escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) override;
};
