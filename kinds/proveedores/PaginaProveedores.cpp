#include "PaginaProveedores.h"

#include "CamposClientes.h"

PaginaProveedores::PaginaProveedores(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : PaginaDatosClientes(
          datos, nombreFichero,
          definicion("JvPageControl1", "JvFilenameEditHojaExcelProveedores", "OleContainer1",
                     "suiCheckListBoxProveedores", &qd::supplierFieldList, "kvDBGrid1", false),
          {"PaginaProveedores", "suiCBSoloNuevosProveedores", "Incorporar sólo los nuevos proveedores",
           "ButtonCargarXLSProveedores", "kvBotonAyudaProveedores", "proveedores",
           pasos("Decida si desea incorporar sólo los nuevos clientes o todos.")},
          parent),
      importacion_(datos) {
    mostrarTabla(importacion_.kvRxMDProveedores);
}

void PaginaProveedores::cargar(const QString& fichero) {
    importacion_.cargarProveedores(fichero, opciones());
}

void PaginaProveedores::escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) {
    importacion_.confirmarProveedores(o, *listaCampos(), motor);
}
