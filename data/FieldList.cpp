#include "FieldList.h"

namespace qd {

FieldList::FieldList(Kind kind, QStringList items, QString hint)
    : kind_(kind), items_(std::move(items)), ticks_(items_.size(), false), hint_(std::move(hint)) {}

FieldList::FieldList(const FieldList& other)
    : kind_(other.kind_), items_(other.items_), ticks_(other.ticks_), hint_(other.hint_),
      controls_(other.controls_) {}

FieldList& FieldList::operator=(const FieldList& other) {
    if (this != &other) {
        kind_ = other.kind_;
        items_ = other.items_;
        ticks_ = other.ticks_;
        hint_ = other.hint_;
        controls_ = other.controls_;
        changed();
    }
    return *this;
}

void FieldList::changed() const {
    if (onChanged_) onChanged_();
}

void FieldList::setChecked(int pos, bool on) {
    if (pos < 0 || pos >= count() || ticks_[pos] == on) return;
    ticks_[pos] = on;
    changed();
}

void FieldList::setAllChecked(bool on) {
    ticks_.fill(on);
    changed();
}

QList<int> FieldList::checkedPositions() const {
    QList<int> result;
    for (int i = 0; i < count(); ++i)
        if (ticks_[i]) result.append(i);
    return result;
}

void FieldList::userSetChecked(int pos, bool on) {
    if (pos >= 0 && pos < count()) ticks_[pos] = on;
    applyRules();
}

void FieldList::applyRules() {
    auto set = [this](int pos, bool on) {
        if (pos >= 0 && pos < count()) ticks_[pos] = on;
    };
    if (kind_ == Kind::Articles) {
        set(kGrupoEmpresas, true);
        set(kCodigo, controls_.porCodigo);
        if (!controls_.porCodigo) set(kIva, true);
        set(kSeparador, false);
        set(kPvp, controls_.pvp);
        set(kPvpConIva, controls_.pvp);
        set(kStock, controls_.stock);
        if (controls_.alta) {
            for (int p : {int(kIva), int(kAfectaStock), int(kUsoCompra), int(kUsoVenta)})
                set(p, true);
        }
    } else {
        set(0, true);
        set(1, true);
    }
    changed();
}

void FieldList::setArticleControls(const ArticleControls& controls) {
    const ArticleControls old = controls_;
    controls_ = controls;
    if (kind_ != Kind::Articles) return;
    auto set = [this](int pos, bool on) {
        if (pos >= 0 && pos < count()) ticks_[pos] = on;
    };
    if (controls.porCodigo != old.porCodigo) {
        if (controls.porCodigo) {
            set(kCodigo, true);
        } else {
            set(kCodigo, false);
            set(kReferenciaProveedor, true);
        }
    }
    if (controls.alta && !old.alta) {
        for (int p : {int(kIva), int(kAfectaStock), int(kUsoCompra), int(kUsoVenta)})
            set(p, true);
    }
    if (controls.pvp != old.pvp) {
        set(kPvp, controls.pvp);
        set(kPvpConIva, controls.pvp);
    }
    if (controls.stock != old.stock) set(kStock, controls.stock);
    changed();
}

void FieldList::setInitialTicks() {
    if (kind_ == Kind::Articles) {
        for (int p = kPrecioMedioCosteEstandard; p <= kStock && p < count(); ++p)
            ticks_[p] = false;
        if (count() > kCodigo) ticks_[kCodigo] = true;
    } else {
        ticks_.fill(true);
    }
    changed();
}

namespace {

const QString kClientHint =
    QStringLiteral("En el proceso de Inserción y Modificación de Clientes,\r\nSOLO se tendrán en cuenta los "
                   "campos marcados. ");

FieldList makeList(FieldList::Kind kind, QStringList items, const QString& hint) {
    FieldList list(kind, std::move(items), hint);
    list.setInitialTicks();
    return list;
}

} // namespace

FieldList articleFieldList() {
    FieldList list(
        FieldList::Kind::Articles,
        {"GRUPOEMPRESAS",
         "CODIGO",
         "NOMBRE",
         "CODIGOEAN",
         "PARTNUMBER",
         "PRECIOMEDIOCOSTE",
         "PRECIOULTIMACOMPRA",
         "REFERENCIAPROVEEDOR",
         "OBSERVACIONES",
         "PROVEEDORHABITUAL",
         "UNIDADESCAJA",
         "PESOUNIDAD",
         "IVA",
         "MARCA",
         "GAMA",
         "FAMILIA",
         "FABRICANTE",
         "AFECTASTOCK",
         "USOCOMPRA",
         "USOVENTA",
         "PALET_EURO_CAJAS",
         "PRECIOMEDIOCOSTEESTANDARD",
         "-------------------------------",
         "PVP",
         "PVPCONIVA",
         "STOCK"},
        QStringLiteral("En el proceso de Inserción y Modificación de Artículos,\r\nSOLO se tendrán en "
                       "cuenta los campos marcados. "));
    // Positions 0 to 20 start ticked; Excel.ini may then untick some of them.
    for (int p = 0; p < FieldList::kPrecioMedioCosteEstandard; ++p)
        list.setChecked(p, true);
    list.setInitialTicks();
    return list;
}

FieldList clientFieldList() {
    return makeList(FieldList::Kind::KeyColumns,
                    {"GRUPOEMPRESAS", "CODIGO",        "NOMBRE",        "RAZONSOCIAL", "DIRECCION",
                     "LOCALIDAD",     "CODIGOPOSTAL",  "PROVINCIA",     "PAIS",        "TELEFONO1",
                     "TELEFONO2",     "FAX",           "EMAIL1",        "EMAIL2",      "PAGINAWEB",
                     "NIF",           "TARIFA",        "FORMAPAGO",     "REGIMENIVA",  "MONEDA",
                     "TIPOCLIENTE",   "GRUPOCLIENTES", "OBSERVACIONES", "BANCOS",      "AGENTEVENTA",
                     "ZONA",          "RUTA"},
                    kClientHint);
}

FieldList addressFieldList() {
    return makeList(FieldList::Kind::KeyColumns,
                    {"COD_CLIENTE", "NOMBRE_ENVIO", "DIRECCION", "LOCALIDAD", "CODIGOPOSTAL", "PROVINCIA",
                     "PAIS", "TELEFONO1", "TELEFONO2", "FAX", "EMAIL1", "EMAIL2", "PAGINAWEB",
                     "OBSERVACIONES"},
                    kClientHint);
}

FieldList contactFieldList() {
    return makeList(FieldList::Kind::KeyColumns,
                    {"COD_CLIENTE", "GRUPOEMPRESAS", "NOMBRE", "CARGO", "TELEFONO", "TELEFONOMOVIL", "FAX",
                     "EMAIL1", "OBSERVACIONES"},
                    kClientHint);
}

FieldList supplierFieldList() {
    return makeList(FieldList::Kind::KeyColumns,
                    {"GRUPOEMPRESAS", "CODIGO",    "NOMBRE",        "RAZONSOCIAL", "DIRECCION", "LOCALIDAD",
                     "CODIGOPOSTAL",  "PROVINCIA", "PAIS",          "TELEFONO1",   "TELEFONO2", "FAX",
                     "EMAIL1",        "EMAIL2",    "PAGINAWEB",     "NIF",         "TARIFA",    "FORMAPAGO",
                     "REGIMENIVA",    "MONEDA",    "OBSERVACIONES", "BANCOS"},
                    QStringLiteral("En el proceso de Inserción y Modificación de Proveedores,\r\nSOLO se "
                                   "tendrán en cuenta los campos marcados. "));
}

FieldList domicileFieldList() {
    return makeList(
        FieldList::Kind::KeyColumns, {"CODIGO", "CUENTABANCOCCC", "NOMBREBANCO", "IBAN_PAIS / IBAN_DC"},
        QStringLiteral("En el proceso de Inserción y Modificación de las Cuentas Contables,\r\nSOLO "
                       "se tendrán en cuenta los campos marcados. "));
}

} // namespace qd
