#pragma once
// The built-in help texts (HTML): the extended article help of "Ayuda Ampliada", and the texts
// the four help panels of the main window show when their .rtf file is missing. The .rtf files
// shipped beside the program carry the same panel texts.

#include <QString>

namespace qd {

// The extended article help shown by "Ayuda Ampliada" ("Ayuda de Importación de Artículos").
QString textoAyudaAmpliadaArticulos();
// The article page's help panel (file "Ayuda_Excel.rtf").
QString textoPanelAyudaArticulos();
// The client page's help panel (file "Ayuda_Excel_Clientes.rtf").
QString textoPanelAyudaClientes();
// The delivery-address page's help panel (file "Ayuda_Excel_DirClientes.rtf").
QString textoPanelAyudaDirClientes();
// The contact page's help panel (file "Ayuda_Excel_ContClientes.rtf").
QString textoPanelAyudaContClientes();

} // namespace qd
