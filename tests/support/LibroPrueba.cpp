#include "LibroPrueba.h"

#include <QDate>

#include <stdexcept>

#include <xlsxwriter.h>

namespace qd::test {

void escribirLibro(const QString& ruta, const QList<QVariantList>& filas) {
    const QByteArray r = ruta.toLocal8Bit();
    lxw_workbook* libro = workbook_new(r.constData());
    if (libro == nullptr) throw std::runtime_error("cannot create " + r.toStdString());
    lxw_worksheet* hoja = workbook_add_worksheet(libro, nullptr);
    lxw_format* fecha = workbook_add_format(libro);
    format_set_num_format(fecha, "dd/mm/yyyy");
    for (int f = 0; f < filas.size(); ++f)
        for (int c = 0; c < filas[f].size(); ++c) {
            const QVariant& v = filas[f][c];
            if (!v.isValid()) continue;
            if (v.typeId() == QMetaType::QString) {
                const QByteArray t = v.toString().toUtf8();
                worksheet_write_string(hoja, lxw_row_t(f), lxw_col_t(c), t.constData(), nullptr);
            } else if (v.typeId() == QMetaType::QDate) {
                const QDate d = v.toDate();
                lxw_datetime dt{d.year(), d.month(), d.day(), 0, 0, 0.0};
                worksheet_write_datetime(hoja, lxw_row_t(f), lxw_col_t(c), &dt, fecha);
            } else if (v.typeId() == QMetaType::Bool) {
                worksheet_write_boolean(hoja, lxw_row_t(f), lxw_col_t(c), v.toBool() ? 1 : 0, nullptr);
            } else {
                worksheet_write_number(hoja, lxw_row_t(f), lxw_col_t(c), v.toDouble(), nullptr);
            }
        }
    if (workbook_close(libro) != LXW_NO_ERROR) throw std::runtime_error("cannot write " + r.toStdString());
}

} // namespace qd::test
