#pragma once
// The client page's built-in help text (HTML), matching the shipped .rtf file.
#include <QString>

namespace qd {

// The client page's help panel when its file "Ayuda_Excel_Clientes.rtf" is missing.
QString textoPanelAyudaClientes();

} // namespace qd
