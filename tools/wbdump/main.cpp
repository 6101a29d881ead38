// wbdump: prints a workbook's active sheet (or every sheet) as the module reads it.
//
//   wbdump [--all | --sheet N] FILE
//
// Output: see qd::wb::SheetDump. With --all, each sheet's dump is preceded by a line
// "activeSheet<TAB>index" once and separated by an empty line. Exit status: 0 read, 1 the workbook
// could not be read (the message on stderr), 2 wrong usage.

#include "SheetDump.h"
#include "Workbook.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    bool all = false, usage = false;
    int sheetIndex = -1;
    QString path;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--all")) {
            all = true;
        } else if (a == QLatin1String("--sheet") && i + 1 < args.size()) {
            bool ok = false;
            sheetIndex = args[++i].toInt(&ok) - 1;
            usage |= !ok || sheetIndex < 0;
        } else if (a.startsWith(QLatin1String("--")) || !path.isEmpty()) {
            usage = true;
        } else {
            path = a;
        }
    }
    if (path.isEmpty() || usage) {
        std::fprintf(stderr, "uso: wbdump [--all | --sheet N] FICHERO\n");
        return 2;
    }
    try {
        const auto wb = qd::wb::Workbook::open(path);
        // written as it is made: a sheet of a million rows is never held as text
        if (all) {
            std::printf("activeSheet\t%d\n", wb->activeSheetIndex() + 1);
            for (int i = 0; i < wb->sheetCount(); ++i) {
                if (i) std::fputc('\n', stdout);
                qd::wb::SheetDump::write(wb->sheet(i), stdout);
            }
        } else if (sheetIndex >= 0) {
            if (sheetIndex >= wb->sheetCount()) {
                std::fprintf(stderr, "El libro sólo tiene %d hojas.\n", wb->sheetCount());
                return 2;
            }
            qd::wb::SheetDump::write(wb->sheet(sheetIndex), stdout);
        } else {
            qd::wb::SheetDump::write(wb->activeSheet(), stdout);
        }
        std::fflush(stdout);
        return 0;
    } catch (const qd::wb::Error& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
}
