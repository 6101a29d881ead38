#include "MostrarIncidencias.h"

#include "Incidencias.h"
#include "TFormAyudaRapida.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

#include <cstdio>

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

    // Unattended (QD_MENSAJES_SIN_VENTANA=1): saved and logged, no window waits for anyone.
    if (qEnvironmentVariableIntValue("QD_MENSAJES_SIN_VENTANA") == 1) {
        for (const QString& line : std::as_const(list))
            std::fprintf(stderr, "[incidencia] %s\n", line.toLocal8Bit().constData());
        return;
    }

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
