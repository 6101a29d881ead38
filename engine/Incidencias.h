#pragma once
// Writing an incidence list to its text file.
//
// The file holds the lines in order, each followed by CR LF, in the system's locale encoding,
// and replaces any earlier file of that name (it never appends). A failure is returned with the
// path and the reason, never thrown, so the caller can still show the incidences.

#include <QString>
#include <QStringList>

namespace qd {

struct IncidenceFileResult {
    bool ok = false;
    QString path;
    QString error; // the reason, when !ok
};

class Incidencias {
public:
    // "Incidencias_Excel.txt" in the module's folder (see ModuleFiles).
    static QString defaultFileName() { return QStringLiteral("Incidencias_Excel.txt"); }
    static QString defaultPath();

    static IncidenceFileResult write(const QStringList& lines, const QString& path);
};

} // namespace qd
