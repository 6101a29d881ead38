#include "Incidencias.h"

#include "ModuleFiles.h"

#include <QSaveFile>
#include <QStringEncoder>

namespace qd {

QString Incidencias::defaultPath() {
    return moduleFilePath(defaultFileName(), ModuleFileKind::Data);
}

IncidenceFileResult Incidencias::write(const QStringList& lines, const QString& path) {
    IncidenceFileResult result;
    result.path = path;

    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    QStringEncoder encoder(QStringConverter::System);
    const QByteArray bytes = encoder.encode(text);

    // Written beside and renamed over the old file, so a failed write leaves the old one whole;
    // where the folder forbids that but the file itself is writable, it is written in place.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        result.error = file.errorString();
        return result;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        result.error = file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace qd
