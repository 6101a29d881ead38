#include "ExportarErrores.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <map>

#include <xlsxwriter.h>

#include "Sheet.h"

namespace qd {

namespace {

struct Contenido {
    const qd::wb::Sheet& hoja;
    int filaCabecera;
    std::map<int, QString> filas; // sheet row -> reason(s), in sheet order
    int ancho;                    // columns of the source written; "Error" goes after them
};

QByteArray utf8(const QString& s) {
    return s.toUtf8();
}

// Writes one cell as the reader gave it. Returns the library's error, LXW_NO_ERROR when fine.
lxw_error escribirCelda(lxw_worksheet* hoja, lxw_row_t fila, lxw_col_t columna, const qd::wb::Cell& c,
                        lxw_format* fecha, lxw_format* fechaHora, lxw_format* hora) {
    switch (c.type) {
    case qd::wb::CellType::Empty:
        return LXW_NO_ERROR;
    case qd::wb::CellType::Number:
        return worksheet_write_number(hoja, fila, columna, c.number, nullptr);
    case qd::wb::CellType::Date: {
        // A whole day serial shows as a date, a fraction alone as a time, both as date and time.
        const double dia = std::floor(c.number);
        lxw_format* formato = c.number == dia ? fecha : (dia == 0 ? hora : fechaHora);
        return worksheet_write_number(hoja, fila, columna, c.number, formato);
    }
    case qd::wb::CellType::Boolean:
        return worksheet_write_boolean(hoja, fila, columna, c.boolean ? 1 : 0, nullptr);
    case qd::wb::CellType::Text:
    case qd::wb::CellType::Error:
        // An error value cannot be written as one; its name ("#DIV/0!") is what the loaders read.
        return worksheet_write_string(hoja, fila, columna, utf8(c.text).constData(), nullptr);
    }
    return LXW_NO_ERROR;
}

// Writes the whole export to `ruta`; returns the library's error text, empty when it was written.
QString escribir(const QString& ruta, const Contenido& c) {
    const QByteArray rutaLocal = QFile::encodeName(ruta);
    lxw_workbook* libro = workbook_new(rutaLocal.constData());
    if (libro == nullptr) return QStringLiteral("no se pudo crear el libro");

    const QByteArray nombre = utf8(c.hoja.name());
    lxw_worksheet* hoja = nombre.isEmpty() ? nullptr : workbook_add_worksheet(libro, nombre.constData());
    if (hoja == nullptr) hoja = workbook_add_worksheet(libro, "Hoja1"); // a name the format refuses
    lxw_format* fecha = workbook_add_format(libro);
    format_set_num_format(fecha, "dd/mm/yyyy");
    lxw_format* fechaHora = workbook_add_format(libro);
    format_set_num_format(fechaHora, "dd/mm/yyyy hh:mm:ss");
    lxw_format* hora = workbook_add_format(libro);
    format_set_num_format(hora, "hh:mm:ss");

    lxw_error e = LXW_NO_ERROR;
    auto fila = [&](lxw_row_t destino, int origen, const QString& ultima) {
        for (int col = 1; col <= c.ancho && e == LXW_NO_ERROR; ++col)
            e = escribirCelda(hoja, destino, lxw_col_t(col - 1), c.hoja.cell(origen, col), fecha, fechaHora,
                              hora);
        if (e == LXW_NO_ERROR)
            e = worksheet_write_string(hoja, destino, lxw_col_t(c.ancho), utf8(ultima).constData(), nullptr);
    };
    fila(0, c.filaCabecera, kColumnaError);
    lxw_row_t destino = 1;
    for (const auto& [origen, motivo] : c.filas)
        fila(destino++, origen, motivo);

    const lxw_error cierre = workbook_close(libro); // writes the file and frees the workbook
    if (e == LXW_NO_ERROR) e = cierre;
    if (e == LXW_NO_ERROR) return {};
    QFile::remove(ruta); // nothing half written stays behind
    return QString::fromUtf8(lxw_strerror(e));
}

// Writes the export as a new file named `ruta` (or `ruta` with "-2", "-3"… before its suffix when
// that name is taken): written aside first, then linked in under a name nothing has, so that no
// file, earlier export or link at that name is ever written through or replaced. Returns the path
// written (in `ruta`) or the reason it could not be.
QString escribirNuevo(QString& ruta, const Contenido& c) {
    const QFileInfo destino(ruta);
    QTemporaryFile aparte(destino.dir().filePath(QStringLiteral(".") + destino.completeBaseName() +
                                                 QStringLiteral("-XXXXXX.tmp")));
    if (!aparte.open()) return aparte.errorString();
    const QString temporal = aparte.fileName();
    aparte.close(); // kept by the object (removed with it) while the writer fills it by name
    if (const QString fallo = escribir(temporal, c); !fallo.isEmpty()) return fallo;
    const QByteArray desde = QFile::encodeName(temporal);
    for (int n = 1; n < 1000; ++n) {
        const QString nombre = n == 1
                                   ? ruta
                                   : destino.dir().filePath(destino.completeBaseName() +
                                                            QStringLiteral("-%1.").arg(n) + destino.suffix());
        if (::link(desde.constData(), QFile::encodeName(nombre).constData()) == 0) {
            ruta = nombre;
            return {};
        }
        if (errno == EEXIST) continue;
        // A file system without hard links: a rename that first checks the name is free.
        if (QFileInfo(nombre).exists() || QFileInfo(nombre).isSymLink()) continue;
        if (QFile::rename(temporal, nombre)) {
            aparte.setAutoRemove(false);
            ruta = nombre;
            return {};
        }
        return QStringLiteral("no se pudo crear «%1»").arg(nombre);
    }
    return QStringLiteral("demasiados libros de errores con el mismo nombre");
}

} // namespace

QString rutaFilasConError(const QString& libroOrigen, const QDateTime& momento, bool simulacion) {
    const QFileInfo origen(libroOrigen);
    return origen.dir().filePath(
        origen.completeBaseName() +
        (simulacion ? QStringLiteral("_errores_simulacion_") : QStringLiteral("_errores_")) +
        momento.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".xlsx"));
}

QString exportarFilasConError(const QString& libroOrigen, const qd::wb::Sheet& hoja, int filaCabecera,
                              const std::vector<FilaConError>& filas, bool simulacion,
                              const QDateTime& momento) {
    Contenido c{hoja, filaCabecera, {}, 0};
    for (const FilaConError& f : filas) {
        auto [it, nueva] = c.filas.try_emplace(f.fila, f.motivo);
        if (!nueva) it->second += QStringLiteral("; ") + f.motivo;
    }
    // As wide as the header and the rows' cells reach (the used range may be wider with formats).
    auto ancho = [&](int fila) {
        for (int col = hoja.lastColumn(); col > 0; --col)
            if (!hoja.cell(fila, col).isEmpty()) return col;
        return 0;
    };
    c.ancho = ancho(filaCabecera);
    for (const auto& par : c.filas)
        c.ancho = std::max(c.ancho, ancho(par.first));

    const QString nombre = rutaFilasConError(
        libroOrigen, momento.isValid() ? momento : QDateTime::currentDateTime(), simulacion);
    QString junto = nombre;
    const QString fallo = escribirNuevo(junto, c);
    if (fallo.isEmpty()) return junto;

    // The source's folder cannot be written (a share, a read-only medium): the user's data folder.
    const QString carpeta = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QString otra = QDir(carpeta).filePath(QFileInfo(nombre).fileName());
    QString falloOtra;
    if (carpeta.isEmpty() || !QDir().mkpath(carpeta))
        falloOtra = QStringLiteral("no se pudo crear la carpeta");
    else
        falloOtra = escribirNuevo(otra, c);
    if (falloOtra.isEmpty()) return otra;
    throw ErrorExportacion(
        QStringLiteral("No se pudo escribir el libro con las filas no importadas.\r\n%1: %2\r\n%3: %4")
            .arg(QDir::toNativeSeparators(junto), fallo, QDir::toNativeSeparators(otra), falloOtra));
}

} // namespace qd
