// TkvIBQuery and TkvIBStoredProc: their transaction moments, cursor, error box and navigation.
#include "ClientFixture.h"
#include "TkvIBQuery.h"
#include "TkvIBStoredProc.h"

using namespace qd::fb;
using qd::test::ClientTest;
using qd::test::ScopedChannel;

namespace {

void insertRow(Attachment* db, Transaction* tr, int id, const QString& codigo) {
    Statement ins(db, tr);
    ins.setSql("INSERT INTO T (ID, CODIGO) VALUES (:ID, :CODIGO)");
    ins.paramByName("ID").setInt(id);
    ins.paramByName("CODIGO").setString(codigo);
    ins.execute();
}

} // namespace

TEST_F(ClientTest, QueryOpenCommitsWhatWasWrittenBefore) {
    ScopedChannel ui;
    insertRow(db.get(), tr.get(), 1, "A");
    EXPECT_EQ(countFromOutside(1), 0); // not committed yet

    TkvIBQuery q(db.get(), tr.get(), false);
    q.setSql("SELECT CODIGO FROM T WHERE ID = :ID");
    q.paramByName("ID").setInt(1);
    q.open();
    EXPECT_EQ(countFromOutside(1), 1); // the open committed, retaining the transaction
    EXPECT_TRUE(tr->active());
    EXPECT_EQ(q.fieldByName("CODIGO").asString(), "A");
    EXPECT_EQ(ui.channel.cursorLog, QStringList({"wait", "default"}));
    q.close();
    EXPECT_FALSE(q.prepared()); // closing unprepares
}

TEST_F(ClientTest, QueryNavigationBothWays) {
    for (int i = 1; i <= 5; ++i)
        insertRow(db.get(), tr.get(), i, QString("C%1").arg(i));
    for (bool bidirectional : {true, false}) {
        SCOPED_TRACE(bidirectional ? "bidirectional" : "one-directional");
        TkvIBQuery q(db.get(), tr.get(), bidirectional);
        q.setSql("SELECT ID, CODIGO FROM T WHERE ID > :DESDE ORDER BY ID");
        q.paramByName("DESDE").setInt(1);
        q.open();
        QStringList seen;
        for (; !q.eof(); q.next())
            seen << q.fieldByName("codigo").asString() + "@" + QString::number(q.recNo());
        EXPECT_EQ(seen, QStringList({"C2@1", "C3@2", "C4@3", "C5@4"}));
        EXPECT_EQ(q.recordCount(), 4);
        q.first();
        EXPECT_EQ(q.fieldByName("ID").asInt(), 2);
        EXPECT_EQ(q.recNo(), 1);
        EXPECT_THROW(q.fieldByName("NADA"), Error);
        q.close();

        q.paramByName("DESDE").setInt(99); // no rows
        q.open();
        EXPECT_TRUE(q.eof());
        EXPECT_TRUE(q.isEmpty());
        EXPECT_EQ(q.recNo(), 0);
        EXPECT_EQ(q.recordCount(), 0);
        q.close();
    }
}

TEST_F(ClientTest, QueryPrepareErrorIsShownAndTheOpenGoesOn) {
    ScopedChannel ui;
    TkvIBQuery q(db.get(), tr.get());
    q.setSql("SELECT NADA FROM T");
    EXPECT_THROW(q.open(), Error); // the open itself fails on its own
    ASSERT_EQ(ui.channel.messages.size(), 1);
    EXPECT_TRUE(ui.channel.messages[0].contains("NADA")) << ui.channel.messages[0].toStdString();
    EXPECT_EQ(ui.channel.cursorLog.last(), "default");
    EXPECT_FALSE(q.active());
}

TEST_F(ClientTest, StoredProcedureOutputsSurviveTheUnprepare) {
    ScopedChannel ui;
    TkvIBStoredProc sp(db.get(), tr.get());
    sp.setStoredProcName("P_SUMA");
    EXPECT_EQ(sp.inputNames(), QStringList({"A", "B"}));
    EXPECT_THROW(sp.paramByName("C"), Error);
    sp.paramByName("a").setInt(40);
    sp.paramByName("B").setInt(2);
    sp.Preparar();
    EXPECT_TRUE(sp.prepared());
    sp.Ejecutar();
    EXPECT_FALSE(sp.prepared());
    EXPECT_EQ(sp.outputByName("S").asInt(), 42);
    EXPECT_EQ(sp.outputByName("texto").asString(), "suma");
    EXPECT_THROW(sp.outputByName("X"), Error);
    sp.paramByName("B").setInt(3); // values kept; Ejecutar prepares again
    sp.Ejecutar();
    EXPECT_EQ(sp.outputByName("S").asInt(), 43);
    EXPECT_EQ(ui.channel.cursorLog, QStringList({"wait", "default", "wait", "default"}));
}

TEST_F(ClientTest, StoredProcedureCommitsAroundItsExecution) {
    insertRow(db.get(), tr.get(), 1, "antes");
    TkvIBStoredProc sp(db.get(), tr.get());
    sp.setStoredProcName("P_INSERTA");
    sp.paramByName("PID").setInt(2);
    sp.Preparar();
    EXPECT_EQ(countFromOutside(1), 1); // committed before preparing
    sp.Ejecutar();
    EXPECT_EQ(countFromOutside(2), 1); // and after executing
    EXPECT_TRUE(tr->active());
}

TEST_F(ClientTest, StoredProcedureErrorIsNotCommittedAndReachesTheCaller) {
    ScopedChannel ui;
    TkvIBStoredProc sp(db.get(), tr.get());
    sp.setStoredProcName("P_FALLA");
    sp.paramByName("PID").setInt(7);
    try {
        sp.Ejecutar();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("fallo provocado")) << e.message().toStdString();
    }
    EXPECT_FALSE(sp.prepared());
    EXPECT_EQ(ui.channel.cursorLog.last(), "default");
    EXPECT_EQ(countFromOutside(7), 0);
    tr->commit();
    EXPECT_EQ(countFromOutside(7), 0); // the procedure's own insert was undone with it
}
