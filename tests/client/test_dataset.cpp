// TkvIBDataSet: editing through its statements and its commit moments.
#include "ClientFixture.h"
#include "TkvIBDataSet.h"

using namespace qd::fb;
using qd::test::ClientTest;
using qd::test::ScopedChannel;

namespace {

void setUpStatements(TkvIBDataSet& ds) {
    ds.SelectSQL = "SELECT ID, CODIGO, NOMBRE, PRECIO FROM T WHERE ID >= :DESDE ORDER BY ID";
    ds.InsertSQL = "INSERT INTO T (ID, CODIGO, NOMBRE, PRECIO) VALUES (:ID, :CODIGO, :NOMBRE, :PRECIO)";
    ds.ModifySQL =
        "UPDATE T SET ID = :ID, CODIGO = :CODIGO, NOMBRE = :NOMBRE, PRECIO = :PRECIO WHERE ID = :OLD_ID";
    ds.DeleteSQL = "DELETE FROM T WHERE ID = :OLD_ID";
    ds.RefreshSQL = "SELECT ID, CODIGO, NOMBRE, PRECIO FROM T WHERE ID = :ID";
    ds.FControlTransacciones = true;
    ds.FCommitOnPost = true;
    ds.FCommitOnDelete = true;
}

} // namespace

TEST_F(ClientTest, DataSetInsertEditDeleteCommitAtOnce) {
    ScopedChannel ui;
    TkvIBDataSet ds(db.get(), tr.get());
    setUpStatements(ds);
    ds.paramByName("DESDE").setInt(0);
    ds.open();
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_EQ(ds.fieldNames(), QStringList({"ID", "CODIGO", "NOMBRE", "PRECIO"}));

    int newRecords = 0;
    ds.onNewRecord = [&](TkvIBDataSet& d) {
        ++newRecords;
        EXPECT_EQ(d.value("PRECIO").toDouble(), 0.0); // float fields start at 0
    };
    ds.append();
    ds.setValue("ID", 1);
    ds.setValue("CODIGO", "A1");
    ds.setValue("NOMBRE", ""); // empty text is stored as null
    ds.post();
    EXPECT_EQ(newRecords, 1);
    EXPECT_EQ(ds.EstadoAnterior, 1);
    EXPECT_FALSE(ds.FModificado);
    EXPECT_EQ(countFromOutside(1), 1); // committed on post

    ds.edit();
    ds.setValue("ID", 2); // the key changes: the update finds the row by OLD_ID
    ds.setValue("NOMBRE", "Nombre 'con' \"comillas\"");
    ds.post();
    EXPECT_EQ(ds.EstadoAnterior, 2);
    EXPECT_EQ(countFromOutside(1), 0);
    EXPECT_EQ(countFromOutside(2), 1);

    ds.close();
    ds.open(); // parameters are kept across opens
    ASSERT_EQ(ds.recordCount(), 1);
    EXPECT_EQ(ds.value("NOMBRE").toString(), "Nombre 'con' \"comillas\"");
    ds.edit();
    ds.setValue("CODIGO", "");
    ds.post();
    ds.refresh();
    EXPECT_TRUE(ds.value("CODIGO").isNull());

    EXPECT_TRUE(ds.locate("ID", 2));
    ds.del();
    EXPECT_TRUE(ds.isEmpty());
    EXPECT_FALSE(ds.EstoyEnBorrado);
    EXPECT_EQ(countFromOutside(), 0);
    EXPECT_TRUE(ui.channel.messages.isEmpty());
}

TEST_F(ClientTest, DataSetCommitRespectsItsSettingsAndTheConfirmation) {
    ScopedChannel ui;
    TkvIBDataSet ds(db.get(), tr.get());
    setUpStatements(ds);
    ds.FCommitOnPost = false;
    ds.paramByName("DESDE").setInt(0);
    ds.open();
    ds.append();
    ds.setValue("ID", 1);
    ds.post();
    EXPECT_EQ(countFromOutside(1), 0); // no commit on post
    EXPECT_TRUE(ds.FModificado);

    ds.FTextoAvisoCommit = "¿Guardar los cambios?";
    ui.channel.answer = false; // "No" rolls back
    EXPECT_FALSE(ds.Commit(true));
    EXPECT_EQ(ui.channel.questions, QStringList({"¿Guardar los cambios?"}));
    EXPECT_EQ(countFromOutside(1), 0);

    ds.FControlTransacciones = false; // without transaction control Commit does nothing
    ds.FModificado = true;
    EXPECT_TRUE(ds.Commit(false));
    ds.close();
    ds.open();
    EXPECT_TRUE(ds.isEmpty()); // the insert was rolled back
}
