#pragma once
// The descriptor list of one dataset: one TkvCampo per field, owned by the list.

#include <QString>
#include <memory>
#include <vector>

#include "TkvCampo.h"

class TListaAccesoCampos;

class TkvListaCampos {
public:
    TkvCampo& add(const QString& fieldName);
    int count() const { return int(items_.size()); }
    TkvCampo& at(int i) { return *items_.at(std::size_t(i)); }
    const TkvCampo& at(int i) const { return *items_.at(std::size_t(i)); }
    // The descriptor of a field, compared case-insensitively; nullptr when absent.
    TkvCampo* byName(const QString& fieldName) const;
    void clear() { items_.clear(); }

    // Builds the list for a dataset's fields: one descriptor per field, with its access level
    // taken from the access list (key: upper-cased dataset name + field name) when there is one.
    void build(const QString& dataSetName, const QStringList& fieldNames, const TListaAccesoCampos* accesos);

private:
    std::vector<std::unique_ptr<TkvCampo>> items_;
};
