// What the kinds' option readers share: the error line, integer options, IDs by code.
#include <QCommandLineParser>

#include <cstdio>

#include "FbStatement.h"
#include "TDatos.h"
#include "TipoImportacion.h"

namespace qd::cli {

void error(const QString& texto) {
    std::fprintf(stderr, "qdimport: %s\n", texto.toLocal8Bit().constData());
}

int entero(const QCommandLineParser& p, const QString& opcion, int porDefecto) {
    if (!p.isSet(opcion)) return porDefecto;
    bool bien = false;
    const int valor = p.value(opcion).trimmed().toInt(&bien);
    if (!bien)
        throw ErrorOpciones(
            QStringLiteral("--%1 espera un número entero: «%2»").arg(opcion, p.value(opcion)));
    return valor;
}

int idPorCodigo(TDatos& d, const QString& tabla, const QString& codigo) {
    // Table and column names come from this program, never from the command line; the code is
    // a bound parameter.
    qd::fb::Statement s(&d.IBDatabase, &d.IBTransaction1);
    s.setSql(
        QStringLiteral("SELECT ID%1 FROM %1 WHERE CODIGO = :Codigo AND GRUPOEMPRESAS = :Grupo").arg(tabla));
    s.paramByName(QStringLiteral("Codigo")).setString(codigo);
    s.paramByName(QStringLiteral("Grupo")).setInt(d.IdGrupoEmpresas);
    s.execute();
    const int id = s.eof() ? -1 : static_cast<int>(s.field(0).asInt());
    s.close();
    return id;
}

} // namespace qd::cli
