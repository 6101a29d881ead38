#include "PaginaContactos.h"

#include "CamposClientes.h"

PaginaContactos::PaginaContactos(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : PaginaDatosClientes(
          datos, nombreFichero,
          definicion("jvpgcntrlOpcsContactosCli", "JvFilenameEditHojaExcelContactosClientes",
                     "OleContainerContactosCli", "suiCheckListBoxContactos", &qd::contactFieldList,
                     "kvDBGridContactosCli"),
          {"PaginaContactos", "suiCBSoloNuevosContactos", "Incorporar sólo los nuevos contactos de clientes",
           "ButtonCargarXLSContactosClientes", "kvBotonAyudaContactosClientes", "contactos",
           pasos("Decida si desea incorporar sólo los nuevos contactos de clientes o todos.")},
          parent),
      importacion_(datos) {
    mostrarTabla(importacion_.kvRxMDContactosCli);
}

void PaginaContactos::cargar(const QString& fichero) {
    importacion_.cargarContactos(fichero, opciones());
}

void PaginaContactos::escribir(const qd::OpcionesClientes& o, const qd::OpcionesMotor& motor) {
    importacion_.confirmarContactos(o, *listaCampos(), motor);
}
