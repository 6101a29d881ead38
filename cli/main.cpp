// qdimport: the headless importer (see TipoImportacion.h and importador.cpp).
#include <QCoreApplication>

#include "TipoImportacion.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qdimport"));
    QStringList argumentos = QCoreApplication::arguments();
    argumentos.removeFirst();
    return qd::cli::ejecutar(argumentos, qd::cli::tiposImportacion());
}
