#include "ClientFixture.h"

namespace qd::test {

TempDatabase* ClientTest::database_ = nullptr;

void ClientTest::SetUpTestSuite() {
    database_ = new TempDatabase(QString());
    auto db = database_->attach();
    qd::fb::Transaction tr(db.get());
    qd::fb::Statement st(db.get(), &tr);
    st.setParamCheck(false); // the procedure bodies use ":VARIABLE" and must reach the server as written
    const QStringList ddl = {
        "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, CODIGO VARCHAR(20), NOMBRE VARCHAR(60), CH CHAR(5),"
        " PRECIO DOUBLE PRECISION, IMPORTE NUMERIC(15,2), CANT NUMERIC(9,3), PEQ SMALLINT, FECHA DATE,"
        " NOTAS BLOB SUB_TYPE TEXT)",
        "CREATE EXCEPTION E_FALLO 'fallo provocado'",
        "CREATE PROCEDURE P_SUMA (A INTEGER, B INTEGER) RETURNS (S INTEGER, TEXTO VARCHAR(20)) AS\n"
        "BEGIN S = :A + :B; TEXTO = 'suma'; END",
        "CREATE PROCEDURE P_FALLA (PID INTEGER) AS\n"
        "BEGIN INSERT INTO T (ID, CODIGO) VALUES (:PID, 'PROC'); EXCEPTION E_FALLO; END",
        "CREATE PROCEDURE P_INSERTA (PID INTEGER) AS\n"
        "BEGIN INSERT INTO T (ID, CODIGO) VALUES (:PID, 'PROC'); END",
    };
    for (const QString& sql : ddl) {
        st.setSql(sql);
        st.execute();
        tr.commit();
    }
}

void ClientTest::TearDownTestSuite() {
    delete database_;
    database_ = nullptr;
}

void ClientTest::SetUp() {
    db = database_->attach();
    tr = std::make_unique<qd::fb::Transaction>(db.get());
    exec("DELETE FROM T");
}

void ClientTest::TearDown() {
    tr.reset();
    db.reset();
}

void ClientTest::exec(const QString& sql) {
    auto other = database_->attach();
    qd::fb::Transaction t(other.get());
    qd::fb::Statement st(other.get(), &t);
    st.setSql(sql);
    st.execute();
    t.commit();
}

long ClientTest::countFromOutside(int id) {
    auto other = database_->attach();
    qd::fb::Transaction t(other.get());
    qd::fb::Statement st(other.get(), &t);
    st.setSql("SELECT COUNT(*) FROM T WHERE (:ID = -1) OR (ID = :ID)");
    st.paramByName("ID").setInt(id);
    st.execute();
    return long(st.field(0).asInt());
}

} // namespace qd::test
