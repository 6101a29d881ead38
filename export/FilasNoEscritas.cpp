#include "FilasNoEscritas.h"

#include "ExportarErrores.h"
#include "TDatos.h"

namespace qd {

QString exportarFilasNoEscritas(TDatos& datos, const QString& libro, bool simulacion) {
    if (datos.Filas_No_Escritas.empty() || !datos.hayExcel()) return {};
    std::vector<FilaConError> filas;
    filas.reserve(datos.Filas_No_Escritas.size());
    for (const auto& f : datos.Filas_No_Escritas)
        filas.push_back({f.fila, f.motivo});
    try {
        const QString ruta = exportarFilasConError(libro, datos.hojaExcel(), 1, filas, simulacion);
        const QString texto =
            filas.size() == 1
                ? QStringLiteral("La fila no escrita se ha guardado, con su motivo, en «%1».").arg(ruta)
                : QStringLiteral("Las %1 filas no escritas se han guardado, con su motivo, en «%2».")
                      .arg(filas.size())
                      .arg(ruta);
        datos.canal().status(texto);
        datos.canal().incidence(texto);
        return ruta;
    } catch (const ErrorExportacion& e) {
        datos.canal().message(MessageKind::Warning, e.texto());
        return {};
    }
}

} // namespace qd
