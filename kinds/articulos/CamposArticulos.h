#pragma once
// The article field list (suiCheckListBoxCampos) and its rules: some ticks follow the article
// page's mode buttons and match radios (ArticleControls); positions 0 to 20 persist in Excel.ini.

#include <QSet>
#include <QString>
#include <optional>

#include "ConstruirSentencias.h"
#include "FieldList.h"

namespace qd {

// State of the article page's controls that the article list's ticks depend on.
struct ArticleControls {
    bool porCodigo = true; // rbPorCodigo selected (false: rbPorReferencia)
    bool alta = false;     // kvBotonAlta down
    bool pvp = false;      // kvBotonPVP down
    bool stock = false;    // kvBotonStock down

    friend bool operator==(const ArticleControls&, const ArticleControls&) = default;
};

// Positions of the article list that the rules name.
struct ArticleFields {
    enum Pos {
        kGrupoEmpresas = 0,
        kCodigo = 1,
        kPartNumber = 4,
        kReferenciaProveedor = 7,
        kIva = 12,
        kAfectaStock = 17,
        kUsoCompra = 18,
        kUsoVenta = 19,
        kPrecioMedioCosteEstandard = 21,
        kSeparador = 22,
        kPvp = 23,
        kPvpConIva = 24,
        kStock = 25,
    };
};

// After every user tick: GRUPOEMPRESAS ticked; CODIGO follows the match radios (matching by
// supplier reference also ticks IVA); the separator unticked; PVP, PVPCONIVA and STOCK follow
// their mode buttons; "Dar de Alta" down ticks IVA, AFECTASTOCK, USOCOMPRA and USOVENTA.
// A run starts with CODIGO ticked and positions 21 to 25 unticked (Excel.ini set 0 to 20).
class ArticleFieldRules final : public FieldRules {
public:
    std::unique_ptr<FieldRules> clone() const override { return std::make_unique<ArticleFieldRules>(*this); }
    void apply(QList<bool>& ticks) const override;
    void initial(QList<bool>& ticks) const override;

    ArticleControls controls;
};

FieldList articleFieldList();

// The page's controls changed: selecting "Por código" ticks CODIGO; selecting "Por Referencia"
// unticks CODIGO and ticks REFERENCIAPROVEEDOR; pressing "Dar de Alta" down ticks IVA,
// AFECTASTOCK, USOCOMPRA and USOVENTA; "Actualizar PVP" sets PVP and PVPCONIVA, "Actualizar
// Stock" sets STOCK, to the new state of the button. The state is kept for later user ticks.
void setArticleControls(FieldList& list, const ArticleControls& controls);
ArticleControls articleControls(const FieldList& list);

// The article statements (InsertArticulos and UpdateArticulos) from the article
// list: positions 0 to count - 5, tails ", CONCEPTO)" and ", 1);", key IDARTICULOS.
SentenciasSql prepararSentenciasArticulos(const FieldList& articles,
                                          const std::optional<QSet<QString>>& presentes = std::nullopt);

} // namespace qd
