#pragma once
// The contact page's built-in help text (HTML), matching the shipped .rtf file.
#include <QString>

namespace qd {

// The contact page's help panel when its file "Ayuda_Excel_ContClientes.rtf" is missing.
QString textoPanelAyudaContClientes();

} // namespace qd
