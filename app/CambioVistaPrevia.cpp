#include "CambioVistaPrevia.h"

#include "TDatos.h"
#include "TJvFilenameEdit.h"
#include "VistaPreviaLibro.h"

void qd::gui::cambiarPaginaVistaPrevia(TDatos& datos, const QString& nombreFichero, TJvFilenameEdit& selector,
                                       VistaPreviaLibro& vista, int anterior, int indice) {
    if (anterior == 0 && indice != 0) {
        datos.Destruir_Excel();
        if (nombreFichero.isEmpty()) selector.abrirDialogo(); // its choice becomes nombreFichero
        if (!nombreFichero.isEmpty())
            vista.loadFile(nombreFichero); // an unreadable file shows its error in place
    } else if (anterior != 0 && indice == 0) {
        vista.clear();
    }
}
