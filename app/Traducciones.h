#pragma once
// Qt's own Spanish texts: the buttons and labels of the standard dialogs (file dialog, message
// boxes, button boxes) in the language of the rest of the module.

class QCoreApplication;

namespace qd::gui {

// Installs Qt's Spanish translation into the application; false when it is not installed on the
// system (the standard dialogs then stay in English).
bool instalarTraduccionesQt(QCoreApplication& app);

} // namespace qd::gui
