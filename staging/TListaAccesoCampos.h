#pragma once
// Access levels by field name. A name not listed has level 4 (full access).
//
// A process-wide list may be installed with setGlobal(); this module never fills one, so
// global() is null and every field keeps the default level.

#include <QHash>
#include <QString>

class TListaAccesoCampos {
public:
    void add(const QString& fieldName, int nivel) { niveles_.insert(fieldName.toUpper(), nivel); }
    int nivel(const QString& fieldName) const { return niveles_.value(fieldName.toUpper(), 4); }
    int count() const { return int(niveles_.size()); }

    static TListaAccesoCampos* global() { return global_; }
    static void setGlobal(TListaAccesoCampos* lista) { global_ = lista; }

private:
    QHash<QString, int> niveles_;
    static inline TListaAccesoCampos* global_ = nullptr;
};
