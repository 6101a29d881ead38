#include "TFormVerificarReferenciasProveedor.h"

#include "TDatos.h"

TFormVerificarReferenciasProveedor::TFormVerificarReferenciasProveedor(TDatos& datos, QWidget* parent)
    : QDialog(parent), datos_(datos) {
    setObjectName(QStringLiteral("FormVerificarReferenciasProveedor"));
    setWindowTitle(QStringLiteral("Verificación de Referencias de Proveedor"));
}
