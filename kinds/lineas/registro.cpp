// The delivery-note line kind's registration: no page of its own; the LAV and LAC launch codes
// open its transfer window instead of the main window's pages.
#include "Paginas.h"
#include "TFormMensajeTraspasoLAVC.h"

namespace {

VentanaLanzamiento traspaso(const QString& opcion, bool tamanoFijo) {
    VentanaLanzamiento v;
    v.opciones = {opcion};
    v.tamanoFijo = tamanoFijo;
    v.abrir = [](TDatos& datos, qd::UserChannel& canal, std::function<void(QWidget*)> mostrarIncidencias) {
        TFormMensajeTraspasoLAVC ventana(datos, canal, nullptr);
        ventana.mostrarIncidencias = [&ventana, mostrarIncidencias] { mostrarIncidencias(&ventana); };
        ventana.exec();
    };
    return v;
}

} // namespace

RegistroPaginas paginas_lineas() {
    RegistroPaginas r;
    // Resize requests are refused in the sales transfer.
    r.ventanas = {traspaso(QStringLiteral("LAV"), true), traspaso(QStringLiteral("LAC"), false)};
    return r;
}
