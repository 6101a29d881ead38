// Program entry: the data module, the main window (which runs the start-up), the reference
// verification window, and the message loop.
#include <QApplication>

#include "TDatos.h"
#include "TFormPrincipalExcell.h"
#include "TFormVerificarReferenciasProveedor.h"
#include "Traducciones.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("QuendaSQL"));
    QApplication::setApplicationName(QStringLiteral("ModuloImpExcelQDSQL"));
    qd::gui::instalarTraduccionesQt(app); // standard dialogs in Spanish
    TDatos datos;
    QStringList args = QApplication::arguments();
    args.removeFirst();
    TFormPrincipalExcell ventana(datos, args);
    if (ventana.terminarAplicacion()) return 0;
    TFormVerificarReferenciasProveedor verificar(datos, &ventana);
    ventana.show();
    return QApplication::exec();
}
