#include "TFormMensajeTraspasoLAVC.h"

#include "TDatos.h"

TFormMensajeTraspasoLAVC::TFormMensajeTraspasoLAVC(TDatos& datos, qd::UserChannel& canal, QWidget* parent)
    : QDialog(parent), datos_(datos), canal_(canal) {
    setObjectName(QStringLiteral("FormMensajeTraspasoLAVC"));
    setWindowTitle(datos_.Opcion == QLatin1String("LAC")
                       ? QStringLiteral("Traspaso de líneas de albarán de compra")
                       : QStringLiteral("Traspaso de líneas de albarán de venta"));
    resize(640, 420);
}
