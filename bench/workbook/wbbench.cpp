// Reads every cell of a workbook's active sheet with the module's reader and prints the time taken
// and a checksum (so that the work cannot be skipped).
//   wbbench FILE

#include "Workbook.h"

#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "uso: wbbench FICHERO\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    try {
        const auto wb = qd::wb::Workbook::open(QString::fromLocal8Bit(argv[1]));
        const qint64 openMs = timer.elapsed();
        const qd::wb::Sheet& s = wb->activeSheet();
        double sum = 0;
        qint64 chars = 0, cells = 0;
        for (int r = 1; r <= s.lastRow(); ++r) {
            for (int c = 1; c <= s.lastColumn(); ++c) {
                const qd::wb::Cell& cell = s.cell(r, c);
                if (cell.isEmpty()) continue;
                ++cells;
                if (cell.type == qd::wb::CellType::Text)
                    chars += cell.text.size();
                else
                    sum += cell.number;
            }
        }
        std::printf("qd: rows=%d cols=%d cells=%lld chars=%lld sum=%.2f open_ms=%lld total_ms=%lld\n",
                    s.lastRow(), s.lastColumn(), cells, chars, sum, openMs, timer.elapsed());
    } catch (const qd::wb::Error& e) {
        std::fprintf(stderr, "%s\n", e.message().toUtf8().constData());
        return 1;
    }
    return 0;
}
