#include "MostrarIncidencias.h"

#include "Incidencias.h"
#include "TFormAyudaRapida.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

namespace qd::gui {

namespace {

// Empties the list on every way out.
struct ClearOnExit {
    QStringList& list;
    ~ClearOnExit() { list.clear(); }
};

} // namespace

void showIncidences(QWidget* parent, QStringList& list, const QString& path) {
    ClearOnExit clearOnExit{list};

    if (parent != nullptr) {
        QWidget* window = parent->window();
        if (window->isMinimized()) window->showNormal();
        window->raise();
        window->activateWindow();
    }

    const QString filePath = path.isEmpty() ? Incidencias::defaultPath() : path;
    const IncidenceFileResult written = Incidencias::write(list, filePath);

    TFormAyudaRapida form(parent);
    if (written.ok) {
        form.setInfoText(QStringLiteral("Incidencias guardadas en el fichero: %1")
                             .arg(QDir::toNativeSeparators(filePath)));
    } else {
        form.setInfoText(QStringLiteral("No se ha podido guardar el fichero de incidencias %1: %2")
                             .arg(QDir::toNativeSeparators(filePath), written.error));
    }
    form.appendLines(list);
    form.exec();
}

} // namespace qd::gui
