// Field lists: items, initial ticks, the rules applied on tick changes, and the statements
// built from the ticks.

#include "CamposArticulos.h"
#include "CamposClientes.h"
#include "ConstruirSentencias.h"

#include <gtest/gtest.h>

using qd::ArticleControls;
using qd::FieldList;

namespace {

QList<int> unticked(const FieldList& list) {
    QList<int> out;
    for (int i = 0; i < list.count(); ++i)
        if (!list.isChecked(i)) out << i;
    return out;
}

FieldList articlesWithOnly(std::initializer_list<int> ticked) {
    FieldList list = qd::articleFieldList();
    list.setAllChecked(false);
    for (int p : ticked)
        list.setChecked(p, true);
    return list;
}

} // namespace

TEST(FieldLists, SixListsHaveTheirItemsHintsAndInitialTicks) {
    struct Case {
        FieldList list;
        int count;
        QString first, last;
        QString hintStart;
        QList<int> unticked;
    };
    const QString clientHint = "En el proceso de Inserción y Modificación de Clientes,\r\n";
    const Case cases[] = {
        {qd::articleFieldList(),
         26,
         "GRUPOEMPRESAS",
         "STOCK",
         "En el proceso de Inserción y Modificación de Artículos,\r\n",
         {21, 22, 23, 24, 25}},
        {qd::clientFieldList(), 27, "GRUPOEMPRESAS", "RUTA", clientHint, {}},
        {qd::addressFieldList(), 14, "COD_CLIENTE", "OBSERVACIONES", clientHint, {}},
        {qd::contactFieldList(), 9, "COD_CLIENTE", "OBSERVACIONES", clientHint, {}},
        {qd::supplierFieldList(),
         22,
         "GRUPOEMPRESAS",
         "BANCOS",
         "En el proceso de Inserción y Modificación de Proveedores,\r\n",
         {}},
        {qd::domicileFieldList(),
         4,
         "CODIGO",
         "IBAN_PAIS / IBAN_DC",
         "En el proceso de Inserción y Modificación de las Cuentas Contables,\r\n",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first.toStdString() + "/" + c.last.toStdString());
        EXPECT_EQ(c.list.count(), c.count);
        EXPECT_EQ(c.list.item(0), c.first);
        EXPECT_EQ(c.list.item(c.count - 1), c.last);
        EXPECT_TRUE(c.list.hint().startsWith(c.hintStart));
        EXPECT_TRUE(c.list.hint().endsWith("SOLO se tendrán en cuenta los campos marcados. "));
        EXPECT_EQ(unticked(c.list), c.unticked);
    }
    const FieldList articles = qd::articleFieldList();
    EXPECT_EQ(articles.item(4), "PARTNUMBER");
    EXPECT_EQ(articles.item(12), "IVA");
    EXPECT_EQ(articles.item(21), "PRECIOMEDIOCOSTEESTANDARD");
    EXPECT_EQ(articles.item(22), QString(31, '-'));
    EXPECT_EQ(qd::clientFieldList().item(23), "BANCOS");
    EXPECT_EQ(qd::contactFieldList().item(4), "TELEFONO");
}

TEST(FieldLists, ArticleRulesOnEveryUserTick) {
    FieldList list = qd::articleFieldList();

    // Rule 1: GRUPOEMPRESAS ticks itself again.
    list.userSetChecked(qd::ArticleFields::kGrupoEmpresas, false);
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kGrupoEmpresas));

    // An ordinary item keeps the user's choice; the separator never stays ticked; the
    // display-only items follow the mode buttons, not the user.
    list.userSetChecked(qd::ArticleFields::kPartNumber, false);
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kPartNumber));
    list.userSetChecked(qd::ArticleFields::kPrecioMedioCosteEstandard, true);
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kPrecioMedioCosteEstandard));
    list.userSetChecked(qd::ArticleFields::kSeparador, true);
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kSeparador));
    list.userSetChecked(qd::ArticleFields::kPvp, true);
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kPvp));
    list.userSetChecked(qd::ArticleFields::kStock, true);
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kStock));

    // Rule 2 with search by code: CODIGO ticks itself again.
    list.userSetChecked(qd::ArticleFields::kCodigo, false);
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kCodigo));

    // Rules 2 and 3 by supplier reference; rules 4 and 5 with the PVP and stock buttons down.
    qd::setArticleControls(list, {.porCodigo = false, .alta = false, .pvp = true, .stock = true});
    list.setChecked(qd::ArticleFields::kIva, false);
    list.userSetChecked(qd::ArticleFields::kCodigo, true);
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kCodigo));
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kIva));
    list.userSetChecked(qd::ArticleFields::kPvpConIva, false);
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kPvpConIva));
    list.userSetChecked(qd::ArticleFields::kStock, false);
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kStock));

    // Rule 6: with "Dar de Alta" down IVA, AFECTASTOCK, USOCOMPRA and USOVENTA stay ticked.
    qd::setArticleControls(list, {.porCodigo = true, .alta = true, .pvp = false, .stock = false});
    for (int p : {12, 17, 18, 19}) {
        list.userSetChecked(p, false);
        EXPECT_TRUE(list.isChecked(p)) << p;
    }
    // Without it they can be unticked.
    qd::setArticleControls(list, {.porCodigo = true, .alta = false, .pvp = false, .stock = false});
    list.userSetChecked(qd::ArticleFields::kAfectaStock, false);
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kAfectaStock));
}

TEST(FieldLists, ArticlePageControlsSetTicks) {
    FieldList list = qd::articleFieldList();
    list.setChecked(qd::ArticleFields::kReferenciaProveedor, false);
    for (int p : {12, 17, 18, 19})
        list.setChecked(p, false);

    qd::setArticleControls(list, {.porCodigo = false});
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kCodigo));
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kReferenciaProveedor));

    qd::setArticleControls(list, {.porCodigo = true});
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kCodigo));

    qd::setArticleControls(list, {.porCodigo = true, .alta = true});
    for (int p : {12, 17, 18, 19})
        EXPECT_TRUE(list.isChecked(p)) << p;

    // Releasing "Dar de Alta" leaves the ticks as they are.
    qd::setArticleControls(list, {.porCodigo = true, .alta = false});
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kUsoVenta));

    qd::setArticleControls(list, {.pvp = true});
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kPvp));
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kPvpConIva));
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kStock));
    qd::setArticleControls(list, {.pvp = false, .stock = true});
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kPvp));
    EXPECT_FALSE(list.isChecked(qd::ArticleFields::kPvpConIva));
    EXPECT_TRUE(list.isChecked(qd::ArticleFields::kStock));
}

TEST(FieldLists, KeyColumnListsTickPositionsZeroAndOneAgain) {
    for (FieldList list : {qd::clientFieldList(), qd::addressFieldList(), qd::contactFieldList(),
                           qd::supplierFieldList(), qd::domicileFieldList()}) {
        SCOPED_TRACE(list.item(1).toStdString());
        list.userSetChecked(1, false);
        EXPECT_TRUE(list.isChecked(1));
        list.userSetChecked(0, false);
        EXPECT_TRUE(list.isChecked(0));
        list.userSetChecked(2, false);
        EXPECT_FALSE(list.isChecked(2));
        EXPECT_TRUE(list.isChecked(0) && list.isChecked(1));
    }
    // The client list: CODIGO comes back, NOMBRE stays unticked.
    FieldList clients = qd::clientFieldList();
    clients.userSetChecked(clients.indexOf("CODIGO"), false);
    clients.userSetChecked(clients.indexOf("NOMBRE"), false);
    EXPECT_TRUE(clients.isChecked(clients.indexOf("CODIGO")));
    EXPECT_FALSE(clients.isChecked(clients.indexOf("NOMBRE")));
}

TEST(FieldLists, ChangeListenerIsCalledAndNotCopied) {
    FieldList list = qd::clientFieldList();
    int calls = 0;
    list.setOnChanged([&calls] { ++calls; });
    list.userSetChecked(3, false);
    EXPECT_GE(calls, 1);
    const int before = calls;
    FieldList copy = list;
    copy.userSetChecked(4, false);
    EXPECT_EQ(calls, before);
}

TEST(Sentencias, ArticleStatementsWithOnlyGrupoEmpresas) {
    const qd::SentenciasSql s = qd::prepararSentenciasArticulos(articlesWithOnly({0}));
    EXPECT_EQ(s.insert,
              "INSERT INTO ARTICULOS (\r\nGRUPOEMPRESAS, CONCEPTO)\r\nVALUES (\r\n:GRUPOEMPRESAS, 1);\r\n");
    EXPECT_EQ(s.update, "UPDATE ARTICULOS SET \r\nGRUPOEMPRESAS= :GRUPOEMPRESAS\r\n"
                        "where (IDARTICULOS = :OLD_IDARTICULOS);\r\n");
}

TEST(Sentencias, ArticleStatementsFromTheTicks) {
    // Display-only items (PVP, STOCK) and the separator never enter a statement.
    const qd::SentenciasSql s = qd::prepararSentenciasArticulos(articlesWithOnly({0, 1, 2, 22, 23, 25}));
    EXPECT_EQ(s.insert, "INSERT INTO ARTICULOS (\r\nGRUPOEMPRESAS,\r\nCODIGO,\r\nNOMBRE, CONCEPTO)\r\n"
                        "VALUES (\r\n:GRUPOEMPRESAS,\r\n:CODIGO,\r\n:NOMBRE, 1);\r\n");
    EXPECT_EQ(s.update, "UPDATE ARTICULOS SET \r\nGRUPOEMPRESAS= :GRUPOEMPRESAS,\r\nCODIGO= :CODIGO,\r\n"
                        "NOMBRE= :NOMBRE\r\nwhere (IDARTICULOS = :OLD_IDARTICULOS);\r\n");

    // The last eligible position, with gaps before it.
    const qd::SentenciasSql t = qd::prepararSentenciasArticulos(articlesWithOnly({4, 21}));
    EXPECT_EQ(t.insert, "INSERT INTO ARTICULOS (\r\nPARTNUMBER,\r\nPRECIOMEDIOCOSTEESTANDARD, CONCEPTO)\r\n"
                        "VALUES (\r\n:PARTNUMBER,\r\n:PRECIOMEDIOCOSTEESTANDARD, 1);\r\n");

    // Nothing eligible ticked: no columns and no where line (the prepare fails in the database).
    const qd::SentenciasSql none = qd::prepararSentenciasArticulos(articlesWithOnly({24}));
    EXPECT_EQ(none.insert, "INSERT INTO ARTICULOS (\r\nVALUES (\r\n");
    EXPECT_EQ(none.update, "UPDATE ARTICULOS SET \r\n");
}

TEST(Sentencias, SharedBuilderTakesRangeRenamesAndOwnLastLines) {
    // A contact-like shape: range from 1, TELEFONO written as EXTENSION, client closing the lists.
    qd::StatementShape shape = qd::StatementShape::forTable("PERSONASCONTACTO", "IDPERSONASCONTACTO",
                                                            ", CLIENTE)", ", :CLIENTE);", 1);
    shape.updateHead = "UPDATE PERSONASCONTACTO SET CLIENTE = :CLIENTE,";
    shape.columnName = [](const QString& item) { return item == "TELEFONO" ? QString("EXTENSION") : item; };
    const QStringList items{"COD_CLIENTE", "GRUPOEMPRESAS", "NOMBRE", "CARGO", "TELEFONO"};
    const qd::SentenciasSql s = qd::construirSentencias(items, {true, false, true, false, true}, shape);
    EXPECT_EQ(s.insert, "INSERT INTO PERSONASCONTACTO (\r\nNOMBRE,\r\nEXTENSION, CLIENTE)\r\n"
                        "VALUES (\r\n:NOMBRE,\r\n:EXTENSION, :CLIENTE);\r\n");
    EXPECT_EQ(
        s.update,
        "UPDATE PERSONASCONTACTO SET CLIENTE = :CLIENTE,\r\nNOMBRE= :NOMBRE,\r\nEXTENSION= :EXTENSION\r\n"
        "where (IDPERSONASCONTACTO = :OLD_IDPERSONASCONTACTO);\r\n");

    // A last item that stands for several columns writes its own lines; the where line follows.
    qd::StatementShape supplier =
        qd::StatementShape::forTable("PROVEEDORES", "IDPROVEEDORES", ", CARTERA)", ",:CARTERA);");
    supplier.lastItemLines = [](const QString& item, QStringList& c, QStringList& v, QStringList& u) {
        if (item != "BANCOS") return false;
        c << "CARTERA, NOMBREBANCO)";
        v << ":CARTERA, :NOMBREBANCO);";
        u << "NOMBREBANCO =:NOMBREBANCO";
        return true;
    };
    const qd::SentenciasSql b = qd::construirSentencias({"CODIGO", "BANCOS"}, {true, true}, supplier);
    EXPECT_EQ(b.insert,
              "INSERT INTO PROVEEDORES (\r\nCODIGO,\r\nCARTERA, NOMBREBANCO)\r\nVALUES (\r\n:CODIGO,\r\n"
              ":CARTERA, :NOMBREBANCO);\r\n");
    EXPECT_EQ(b.update, "UPDATE PROVEEDORES SET \r\nCODIGO= :CODIGO,\r\nNOMBREBANCO =:NOMBREBANCO\r\n"
                        "where (IDPROVEEDORES = :OLD_IDPROVEEDORES);\r\n");
    const qd::SentenciasSql n = qd::construirSentencias({"CODIGO", "BANCOS"}, {true, false}, supplier);
    EXPECT_EQ(n.insert,
              "INSERT INTO PROVEEDORES (\r\nCODIGO, CARTERA)\r\nVALUES (\r\n:CODIGO,:CARTERA);\r\n");
}

// With the workbook's headers, the UPDATE sets only the ticked items the workbook has (the last
// one written may be any of them) and lists the others; the INSERT keeps every ticked item.
TEST(Sentencias, UpdateOnlyWithWorkbookColumns) {
    const qd::StatementShape shape =
        qd::StatementShape::forTable("ARTICULOS", "IDARTICULOS", ", CONCEPTO)", ", 1);");
    const QStringList items{"GRUPOEMPRESAS", "CODIGO", "NOMBRE", "GAMA"};
    const QList<bool> ticks{true, true, true, true};
    const qd::SentenciasSql todo = qd::construirSentencias(items, ticks, shape);

    const qd::SentenciasSql s =
        qd::construirSentencias(items, ticks, shape, QSet<QString>{"CODIGO", "NOMBRE"});
    EXPECT_EQ(s.insert, todo.insert);
    // Each column keeps what is stored when the row gives it no value (bound null).
    EXPECT_EQ(s.update, "UPDATE ARTICULOS SET \r\nCODIGO= COALESCE(:CODIGO, CODIGO),\r\n"
                        "NOMBRE= COALESCE(:NOMBRE, NOMBRE)\r\nwhere (IDARTICULOS = :OLD_IDARTICULOS);\r\n");
    EXPECT_EQ(s.ausentesUpdate, (QStringList{"GRUPOEMPRESAS", "GAMA"}));

    const qd::SentenciasSql completo = qd::construirSentencias(
        items, ticks, shape, QSet<QString>{"GRUPOEMPRESAS", "CODIGO", "NOMBRE", "GAMA"});
    EXPECT_TRUE(completo.update.contains("GAMA= COALESCE(:GAMA, GAMA)\r\nwhere"))
        << completo.update.toStdString();
    EXPECT_TRUE(completo.ausentesUpdate.isEmpty());

    // No ticked item in the workbook: no UPDATE at all (a SET without columns is not valid).
    const qd::SentenciasSql nada = qd::construirSentencias(items, ticks, shape, QSet<QString>{"PVP"});
    EXPECT_TRUE(nada.update.isEmpty());
    EXPECT_EQ(nada.ausentesUpdate.size(), 4);
}
