#pragma once
// The delivery-address page's built-in help text (HTML), matching the shipped .rtf file.
#include <QString>

namespace qd {

// The delivery-address page's help panel when its file "Ayuda_Excel_DirClientes.rtf" is missing.
QString textoPanelAyudaDirClientes();

} // namespace qd
