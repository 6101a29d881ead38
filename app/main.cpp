// Program entry: the data module, the orderly end on signals, the main window (which runs the
// start-up), the reference verification window, and the message loop.
#include <QApplication>

#include "GuiChannel.h"
#include "TDatos.h"
#include "TFormPrincipalExcell.h"
#include "TerminacionOrdenada.h"
#include "Traducciones.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("QuendaSQL"));
    QApplication::setApplicationName(QStringLiteral("ModuloImpExcelQDSQL"));
    qd::gui::instalarTraduccionesQt(app); // standard dialogs in Spanish
    // The name Qt's own windows and dialogs show, instead of the executable's.
    QApplication::setApplicationDisplayName(GuiChannel::tituloModulo());
    TDatos datos;
    TerminacionOrdenada terminacion(datos); // before the first attach
    QStringList args = QApplication::arguments();
    args.removeFirst();
    TFormPrincipalExcell ventana(datos, args);
    terminacion.setVentana(&ventana);
    // A signal during the start-up ends the module before the window is shown.
    if (ventana.terminarAplicacion() || terminacion.pedida()) return 0;
    ventana.show();
    return QApplication::exec();
}
