#include "PaginaBancos.h"

#include "CamposClientes.h"

PaginaBancos::PaginaBancos(TDatos& datos, QString& nombreFichero, QWidget* parent)
    : PaginaDatosClientes(datos, nombreFichero,
                          definicion("JvPageControl2", "JvFilenameEditHojaExcelCuentasContables",
                                     "OleContainer2", "suiCheckListBoxDomiciliosCobro",
                                     &qd::domicileFieldList, "kvDBGrid2", false),
                          {"PaginaBancos", nullptr, nullptr, "ButtonCargarXLSCuentasContables",
                           "kvBotonAyudaCuentasContables", "bancos",
                           pasos("Decida si desea incorporar sólo los nuevos clientes o todos.")},
                          parent),
      importacion_(datos) {
    mostrarTabla(importacion_.kvRxMDDomiciliosCobro);
}

void PaginaBancos::cargar(const QString& fichero) {
    importacion_.cargarBancos(fichero);
}

void PaginaBancos::escribir(const qd::OpcionesClientes&, const qd::OpcionesMotor& motor) {
    importacion_.confirmarBancos(*listaCampos(), motor);
}
