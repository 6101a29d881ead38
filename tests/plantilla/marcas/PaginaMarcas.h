#pragma once
// The toy kind's page: the page base's frame and road, the kind's hooks.

#include "ImportacionMarcas.h"
#include "PaginaImportacion.h"
#include "TkvDBGrid.h"

// The toy page: the base's frame and road, the kind's hooks.
class PaginaMarcas final : public PaginaImportacion {
public:
    static Definicion definicion();
    PaginaMarcas(TDatos& d, QString& fichero, ImportacionMarcas& m)
        : PaginaImportacion(d, fichero, definicion()), marcas(m) {
        grid()->setTabla(&marcas.tabla);
        grid()->setColumnas({{QStringLiteral("CODIGO"), QStringLiteral("Código"), false},
                             {QStringLiteral("NOMBRE"), QStringLiteral("Nombre"), false}});
    }
    void alMostrarPrimeraVez() override {
        PaginaImportacion::alMostrarPrimeraVez();
        ++mostrada;
    }
    void alCerrar() override { ++*cerrada; }

    ImportacionMarcas& marcas;
    int* cerrada = nullptr;
    int mostrada = 0, escritas = -1;

protected:
    void cargar(const QString& fichero) override { marcas.cargar(fichero); }
    void confirmar() override { escritas = marcas.confirmar(*listaCampos()); }
    void vaciarStaging() override { marcas.tabla.close(); }
};
