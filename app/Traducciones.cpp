#include "Traducciones.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool qd::gui::instalarTraduccionesQt(QCoreApplication& app) {
    auto* traductor = new QTranslator(&app);
    if (!traductor->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(traductor)) {
        delete traductor;
        return false;
    }
    return true;
}
