#include "TkvListaCampos.h"

#include <QStringList>

#include "TListaAccesoCampos.h"

TkvCampo& TkvListaCampos::add(const QString& fieldName) {
    items_.push_back(std::make_unique<TkvCampo>(fieldName));
    return *items_.back();
}

TkvCampo* TkvListaCampos::byName(const QString& fieldName) const {
    for (const auto& c : items_)
        if (c->FField.compare(fieldName, Qt::CaseInsensitive) == 0) return c.get();
    return nullptr;
}

void TkvListaCampos::build(const QString& dataSetName, const QStringList& fieldNames,
                           const TListaAccesoCampos* accesos) {
    items_.clear();
    for (const QString& field : fieldNames) {
        TkvCampo& campo = add(field);
        if (accesos) campo.FAccesoVisualizacion = accesos->nivel((dataSetName + field).toUpper());
    }
}
