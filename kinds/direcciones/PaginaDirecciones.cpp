#include "PaginaDirecciones.h"

#include "CamposClientes.h"

PaginaDirecciones::PaginaDirecciones(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : PaginaDatosClientes(
          datos, nombreFichero,
          definicion("jvpgcntrlDirClientes", "JvFilenameEditHojaExcelDirClientes", "OleContainerDirClientes",
                     "suiCheckListBoxDirecciones", &qd::addressFieldList, "kvDBGridDirClientes"),
          {"PaginaDirecciones", "suiCBSoloNuevasDirecciones",
           "Incorporar sólo las nuevas direcciones de clientes", "ButtonCargarXLSDirClientes",
           "kvBotonAyudaDirClientes", "direcciones",
           pasos("Decida si desea incorporar sólo las nuevas direcciones de clientes o todas.")},
          parent),
      importacion_(datos) {
    mostrarTabla(importacion_.kvRxMDDireccionesCli);
}

void PaginaDirecciones::cargar(const QString& fichero) {
    importacion_.cargarDirecciones(fichero, opciones());
}

void PaginaDirecciones::escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) {
    importacion_.confirmarDirecciones(o, *listaCampos(), motor);
}
