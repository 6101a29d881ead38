// Transactions: TPB, commit-retaining visibility, no-wait lock conflicts.
#include <QElapsedTimer>

#include "ClientFixture.h"

using namespace qd::fb;
using qd::test::ClientTest;

TEST_F(ClientTest, TransactionLifecycle) {
    EXPECT_FALSE(tr->active());
    EXPECT_EQ(tr->attachment(), db.get());
    tr->start();
    EXPECT_TRUE(tr->active());
    EXPECT_THROW(tr->start(), Error);

    Statement ins(db.get(), tr.get());
    ins.setSql("INSERT INTO T (ID) VALUES (:ID)");
    ins.paramByName("ID").setInt(1);
    ins.execute();
    tr->commitRetaining();
    EXPECT_TRUE(tr->active());
    EXPECT_EQ(countFromOutside(1), 1);

    ins.paramByName("ID").setInt(2);
    ins.execute();
    tr->rollbackRetaining();
    EXPECT_TRUE(tr->active());
    ins.paramByName("ID").setInt(3);
    ins.execute(); // the prepared statement survives both retaining ends
    tr->rollback();
    EXPECT_FALSE(tr->active());
    EXPECT_EQ(countFromOutside(), 1);

    Transaction bad(db.get(), {"read_committed", "sin_sentido"});
    EXPECT_THROW(bad.start(), Error);
}

TEST_F(ClientTest, LockedRowGivesAnImmediateLockConflict) {
    exec("INSERT INTO T (ID, NOMBRE) VALUES (1, 'x')");
    // Another user holds the row in an open transaction.
    auto other = database_->attach();
    Transaction holder(other.get());
    Statement hold(other.get(), &holder);
    hold.setSql("UPDATE T SET NOMBRE = :N WHERE ID = 1");
    hold.paramByName("N").setString("otro");
    hold.execute();

    Statement upd(db.get(), tr.get()); // read_committed, rec_version, nowait
    upd.setSql("UPDATE T SET NOMBRE = :N WHERE ID = 1");
    upd.paramByName("N").setString("mio");
    QElapsedTimer timer;
    timer.start();
    try {
        upd.execute();
        FAIL() << "no conflict";
    } catch (const Error& e) {
        EXPECT_TRUE(e.isLockConflict()) << e.sqlState().toStdString() << " " << e.message().toStdString();
        EXPECT_EQ(e.sqlState(), "40001");
        EXPECT_TRUE(e.message().contains("lock conflict") || e.message().contains("update conflict"));
    }
    EXPECT_LT(timer.elapsed(), 2000);
    holder.rollback();
    upd.execute();
    EXPECT_EQ(upd.rowsAffected(), 1);
}

TEST_F(ClientTest, ClosingTheAttachmentEndsItsTransactionsAndStatements) {
    Statement ins(db.get(), tr.get());
    ins.setSql("INSERT INTO T (ID) VALUES (:ID)");
    ins.paramByName("ID").setInt(5);
    ins.execute();
    db->close();
    EXPECT_FALSE(tr->active());
    EXPECT_FALSE(ins.prepared());
    EXPECT_EQ(countFromOutside(), 0); // rolled back
    db->open();
    ins.execute(); // prepares again on the new connection
    tr->commit();
    EXPECT_EQ(countFromOutside(5), 1);
}
