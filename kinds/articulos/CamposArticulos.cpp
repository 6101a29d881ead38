#include "CamposArticulos.h"

namespace qd {

namespace {

void poner(QList<bool>& ticks, int pos, bool on) {
    if (pos >= 0 && pos < ticks.size()) ticks[pos] = on;
}

using P = ArticleFields;

} // namespace

void ArticleFieldRules::apply(QList<bool>& ticks) const {
    poner(ticks, P::kGrupoEmpresas, true);
    poner(ticks, P::kCodigo, controls.porCodigo);
    if (!controls.porCodigo) poner(ticks, P::kIva, true);
    poner(ticks, P::kSeparador, false);
    poner(ticks, P::kPvp, controls.pvp);
    poner(ticks, P::kPvpConIva, controls.pvp);
    poner(ticks, P::kStock, controls.stock);
    if (controls.alta) {
        for (int p : {int(P::kIva), int(P::kAfectaStock), int(P::kUsoCompra), int(P::kUsoVenta)})
            poner(ticks, p, true);
    }
}

void ArticleFieldRules::initial(QList<bool>& ticks) const {
    for (int p = P::kPrecioMedioCosteEstandard; p <= P::kStock && p < ticks.size(); ++p)
        ticks[p] = false;
    poner(ticks, P::kCodigo, true);
}

FieldList articleFieldList() {
    FieldList list(
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
                       "cuenta los campos marcados. "),
        std::make_unique<ArticleFieldRules>());
    // Positions 0 to 20 start ticked; Excel.ini may then untick some of them.
    for (int p = 0; p < P::kPrecioMedioCosteEstandard; ++p)
        list.setChecked(p, true);
    list.setInitialTicks();
    return list;
}

void setArticleControls(FieldList& list, const ArticleControls& controls) {
    auto* reglas = list.rulesAs<ArticleFieldRules>();
    if (reglas == nullptr) return;
    const ArticleControls old = reglas->controls;
    reglas->controls = controls;
    QList<bool> ticks = list.ticks();
    if (controls.porCodigo != old.porCodigo) {
        if (controls.porCodigo) {
            poner(ticks, P::kCodigo, true);
        } else {
            poner(ticks, P::kCodigo, false);
            poner(ticks, P::kReferenciaProveedor, true);
        }
    }
    if (controls.alta && !old.alta) {
        for (int p : {int(P::kIva), int(P::kAfectaStock), int(P::kUsoCompra), int(P::kUsoVenta)})
            poner(ticks, p, true);
    }
    if (controls.pvp != old.pvp) {
        poner(ticks, P::kPvp, controls.pvp);
        poner(ticks, P::kPvpConIva, controls.pvp);
    }
    if (controls.stock != old.stock) poner(ticks, P::kStock, controls.stock);
    list.setTicks(ticks);
}

ArticleControls articleControls(const FieldList& list) {
    const auto* reglas = list.rulesAs<ArticleFieldRules>();
    return reglas ? reglas->controls : ArticleControls{};
}

SentenciasSql prepararSentenciasArticulos(const FieldList& articles,
                                          const std::optional<QSet<QString>>& presentes) {
    // The last four items (separator, PVP, PVPCONIVA, STOCK) are display-only.
    const StatementShape shape = StatementShape::forTable(
        QStringLiteral("ARTICULOS"), QStringLiteral("IDARTICULOS"), QStringLiteral(", CONCEPTO)"),
        QStringLiteral(", 1);"), 0, articles.count() - 5);
    return construirSentencias(articles.items(), articles.ticks(), shape, presentes);
}

} // namespace qd
