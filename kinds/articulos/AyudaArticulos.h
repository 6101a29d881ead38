#pragma once
// The article import's built-in help texts (HTML): the extended help of "Ayuda Ampliada" and the
// page's help panel, which matches the shipped .rtf file.
#include <QString>

namespace qd {

// The extended article help shown by "Ayuda Ampliada" ("Ayuda de Importación de Artículos").
QString textoAyudaAmpliadaArticulos();
// The article page's help panel when its file "Ayuda_Excel.rtf" is missing.
QString textoPanelAyudaArticulos();

} // namespace qd
