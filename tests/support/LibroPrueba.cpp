#include "LibroPrueba.h"

#include <stdexcept>

#include <xlsxwriter.h>

namespace qd::test {

void escribirLibro(const QString& ruta, const QList<QVariantList>& filas) {
    const QByteArray r = ruta.toLocal8Bit();
    lxw_workbook* libro = workbook_new(r.constData());
    if (libro == nullptr) throw std::runtime_error("cannot create " + r.toStdString());
    lxw_worksheet* hoja = workbook_add_worksheet(libro, nullptr);
    for (int f = 0; f < filas.size(); ++f)
        for (int c = 0; c < filas[f].size(); ++c) {
            const QVariant& v = filas[f][c];
            if (!v.isValid()) continue;
            if (v.typeId() == QMetaType::QString) {
                const QByteArray t = v.toString().toUtf8();
                worksheet_write_string(hoja, lxw_row_t(f), lxw_col_t(c), t.constData(), nullptr);
            } else {
                worksheet_write_number(hoja, lxw_row_t(f), lxw_col_t(c), v.toDouble(), nullptr);
            }
        }
    if (workbook_close(libro) != LXW_NO_ERROR) throw std::runtime_error("cannot write " + r.toStdString());
}

} // namespace qd::test
