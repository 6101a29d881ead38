#include "PaginaClientes.h"

#include "CamposClientes.h"

PaginaClientes::PaginaClientes(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : PaginaDatosClientes(datos, nombreFichero,
                          definicion("jvpgcntrlOpcsClientes", "JvFilenameEditHojaExcelClientes",
                                     "OleContainerClientes", "suiCheckListBoxClientes", &qd::clientFieldList,
                                     "kvDBGridClientes"),
                          {"PaginaClientes", "suiCBSoloNuevosClientes", "Incorporar sólo los nuevos clientes",
                           "ButtonCargarXLSClientes", "kvBotonAyudaClientes", "clientes",
                           pasos("Decida si desea incorporar sólo los nuevos clientes o todos.")},
                          parent),
      importacion_(datos) {
    mostrarTabla(importacion_.kvRxMDClientes);
}

void PaginaClientes::cargar(const QString& fichero) {
    importacion_.cargarClientes(fichero, opciones());
}

void PaginaClientes::escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) {
    importacion_.confirmarClientes(o, *listaCampos(), motor);
}
