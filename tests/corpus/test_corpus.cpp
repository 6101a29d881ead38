// Every workbook saved by a real spreadsheet program in the shared corpus is read — every sheet,
// every stored cell as text — or refused with a message that names the file, each one quickly
// and the whole run within a bounded amount of memory.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include "Sheet.h"
#include "Workbook.h"
#include "WorkbookError.h"

namespace {

TEST(Corpus, EveryWorkbookIsReadOrRefusedClearly) {
    const QDir dir(QStringLiteral(QD_CORPUS_DIR));
    const QStringList ficheros =
        dir.entryList({QStringLiteral("*.xlsx"), QStringLiteral("*.xlsm")}, QDir::Files, QDir::Name);
    if (ficheros.isEmpty()) GTEST_SKIP() << "no corpus at " << QD_CORPUS_DIR;

    int leidos = 0, rechazados = 0;
    qint64 masLento = 0;
    QString elMasLento;
    for (const QString& nombre : ficheros) {
        SCOPED_TRACE(nombre.toStdString());
        QElapsedTimer reloj;
        reloj.start();
        try {
            const auto libro = qd::wb::Workbook::open(dir.filePath(nombre));
            qint64 celdas = 0;
            for (int s = 0; s < libro->sheetCount(); ++s) {
                const qd::wb::Sheet& hoja = libro->sheet(s);
                hoja.forEachCell([&](int fila, int columna, const qd::wb::Cell&) {
                    celdas += hoja.text(fila, columna).size() >= 0;
                });
            }
            EXPECT_GE(celdas, 0);
            ++leidos;
        } catch (const qd::wb::Error& e) {
            EXPECT_TRUE(e.message().contains(nombre)) << e.message().toStdString();
            ++rechazados;
        }
        const qint64 ms = reloj.elapsed();
        if (ms > masLento) {
            masLento = ms;
            elMasLento = nombre;
        }
        // A small workbook is a matter of milliseconds; seconds mean a walk over empty cells.
        EXPECT_LT(ms, 5000);
    }
    rusage uso{};
    getrusage(RUSAGE_SELF, &uso);
    const long picoMiB = uso.ru_maxrss / 1024;
    std::printf("corpus: %d read, %d refused, slowest %lld ms (%s), peak memory %ld MiB\n", leidos,
                rechazados, static_cast<long long>(masLento), qPrintable(elMasLento), picoMiB);
    EXPECT_EQ(leidos + rechazados, ficheros.size());
    EXPECT_LT(picoMiB, 1024);
}

} // namespace
