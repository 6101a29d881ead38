// Statements: parameter parsing, value round trips, charset refusal, errors.
#include <QDateTime>

#include "ClientFixture.h"

using namespace qd::fb;
using qd::test::ClientTest;

namespace {

struct ParseCase {
    const char* sql;
    QStringList names; // distinct parameter names, in order
};

} // namespace

TEST(StatementParams, NamesAreFoundOutsideLiteralsAndComments) {
    const ParseCase cases[] = {
        {"SELECT * FROM T WHERE A = :A AND B = :b AND C = :a", {"A", "b"}},
        {"SELECT ':x', \":y\" FROM T WHERE Z = :Z", {"Z"}},
        {"SELECT 'it''s :x' FROM T WHERE Z = :Z", {"Z"}},
        {"SELECT * FROM T -- :x comment\nWHERE Z = :Z", {"Z"}},
        {"SELECT * /* :x\n :y */ FROM T WHERE Z = :Z_1", {"Z_1"}},
        {"UPDATE T SET A = :NEW WHERE ID = :OLD_ID", {"NEW", "OLD_ID"}},
        {"SELECT * FROM T", {}},
    };
    for (const ParseCase& c : cases) {
        Statement st(nullptr, nullptr);
        st.setSql(c.sql);
        EXPECT_EQ(st.paramNames(), c.names) << c.sql;
        EXPECT_FALSE(st.hasParam("x")) << c.sql;
    }
}

TEST(StatementParams, MissingNameRaisesAndParamCheckOffSendsTextAsWritten) {
    Statement st(nullptr, nullptr);
    st.setSql("SELECT * FROM T WHERE ID = :ID");
    EXPECT_NO_THROW(st.paramByName("id").setInt(3)); // case-insensitive
    try {
        st.paramByName("CODIGO");
        FAIL() << "no error for a missing parameter";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().contains("CODIGO"));
        EXPECT_EQ(e.statement(), st.sql());
    }
    st.setParamCheck(false);
    EXPECT_EQ(st.paramCount(), 0);
    EXPECT_THROW(st.paramByName("ID"), Error);
}

TEST_F(ClientTest, ValuesRoundTripVerbatim) {
    const QStringList texts = {
        "comilla \" doble", "comilla ' simple",      "100% _x_", "a -- b",      "x; DROP TABLE T;",
        "dos puntos :ID",   "Ñandú áéíóú ü ç ¿¡ ºª", "",         "  espacios  "};
    Statement ins(db.get(), tr.get());
    ins.setSql("INSERT INTO T (ID, NOMBRE, NOTAS) VALUES (:ID, :NOMBRE, :NOMBRE)"); // one name, two places
    for (int i = 0; i < texts.size(); ++i) {
        ins.paramByName("ID").setInt(i + 1); // set before the first prepare
        ins.paramByName("NOMBRE").setString(texts[i]);
        ins.execute();
        EXPECT_TRUE(ins.prepared());
        EXPECT_EQ(ins.rowsAffected(), 1);
    }
    Statement sel(db.get(), tr.get());
    sel.setSql("SELECT NOMBRE, NOTAS FROM T WHERE ID = :ID");
    for (int i = 0; i < texts.size(); ++i) {
        sel.paramByName("ID").setInt(i + 1);
        sel.execute();
        ASSERT_FALSE(sel.eof());
        EXPECT_EQ(sel.fieldByName("NOMBRE").asString(), texts[i]);
        EXPECT_EQ(sel.fieldByName("notas").asString(), texts[i]);
        sel.next();
        EXPECT_TRUE(sel.eof());
    }
    // LIKE patterns are values too: "%" and "_" match only through the pattern given.
    sel.setSql("SELECT COUNT(*) FROM T WHERE NOMBRE LIKE :PATRON ESCAPE '\\'");
    sel.paramByName("PATRON").setString("100\\%%");
    sel.execute();
    EXPECT_EQ(sel.field(0).asInt(), 1);
}

TEST_F(ClientTest, TypedValuesAndNulls) {
    Statement ins(db.get(), tr.get());
    ins.setSql("INSERT INTO T (ID, CODIGO, CH, PRECIO, IMPORTE, CANT, PEQ, FECHA) "
               "VALUES (:ID, :CODIGO, :CH, :PRECIO, :IMPORTE, :CANT, :PEQ, :FECHA)");
    const QDateTime when(QDate(2024, 2, 29), QTime(13, 45, 7));
    ins.paramByName("ID").setInt(1);
    ins.paramByName("CODIGO").setInt(42); // a number into a text column
    ins.paramByName("CH").setString("ab");
    ins.paramByName("PRECIO").setFloat(1234567.89);        // full precision, not single
    ins.paramByName("IMPORTE").setDouble(-1234.56);        // dialect 1: stored as a double
    ins.paramByName("CANT").setVariant(QVariant(12.3456)); // rounded to the column's 3 decimals
    ins.paramByName("PEQ").setVariant(QVariant(true));
    ins.paramByName("FECHA").setDateTime(when);
    ins.execute();
    ins.paramByName("ID").setInt(2);
    for (const char* p : {"CODIGO", "CH", "PRECIO", "IMPORTE", "CANT", "PEQ", "FECHA"})
        ins.paramByName(p).setNull();
    ins.execute();
    ins.paramByName("ID").setInt(3);
    ins.paramByName("FECHA").setDate(QDate(2023, 12, 31));
    ins.paramByName("CANT").setString("7.5"); // text into a numeric column: the server converts
    ins.execute();

    Statement sel(db.get(), tr.get());
    sel.setSql("SELECT * FROM T ORDER BY ID");
    sel.execute();
    EXPECT_EQ(sel.fieldByName("CODIGO").asString(), "42");
    EXPECT_EQ(sel.fieldByName("CH").asString(), "ab   "); // CHAR comes padded
    EXPECT_DOUBLE_EQ(sel.fieldByName("PRECIO").asDouble(), 1234567.89);
    EXPECT_DOUBLE_EQ(sel.fieldByName("IMPORTE").asDouble(), -1234.56);
    EXPECT_EQ(sel.fieldByName("IMPORTE").asString(), "-1234.56");
    EXPECT_DOUBLE_EQ(sel.fieldByName("CANT").asDouble(), 12.346);
    EXPECT_EQ(sel.fieldByName("CANT").asString(), "12.346");
    EXPECT_EQ(sel.fieldByName("PEQ").asInt(), 1);
    EXPECT_EQ(sel.fieldByName("FECHA").asDateTime(), when); // dialect-1 DATE keeps the time
    sel.next();
    for (const char* f : {"CODIGO", "CH", "PRECIO", "IMPORTE", "CANT", "PEQ", "FECHA", "NOTAS"}) {
        EXPECT_TRUE(sel.fieldByName(f).isNull()) << f;
        EXPECT_FALSE(sel.fieldByName(f).asVariant().isValid()) << f;
    }
    sel.next();
    EXPECT_EQ(sel.fieldByName("FECHA").asDateTime(), QDateTime(QDate(2023, 12, 31), QTime(0, 0)));
    EXPECT_DOUBLE_EQ(sel.fieldByName("CANT").asDouble(), 7.5);
    sel.next();
    EXPECT_TRUE(sel.eof());
    EXPECT_THROW(sel.fieldByName("NO_EXISTE"), Error);

    // A text blob longer than one segment, written and read in pieces.
    QString notas;
    for (int i = 0; notas.size() < 70000; ++i)
        notas += QString("línea %1 \"ñ\"\r\n").arg(i);
    Statement upd(db.get(), tr.get());
    upd.setSql("UPDATE T SET NOTAS = :NOTAS WHERE ID = :ID");
    upd.paramByName("NOTAS").setString(notas);
    upd.paramByName("ID").setInt(3);
    upd.execute();
    sel.setSql("SELECT NOTAS FROM T WHERE ID = :ID");
    sel.paramByName("ID").setInt(3);
    sel.execute();
    EXPECT_EQ(sel.fieldByName("NOTAS").asString(), notas);
}

TEST_F(ClientTest, TextOutsideLatin1IsRefusedNamingTheValue) {
    Statement ins(db.get(), tr.get());
    ins.setSql("INSERT INTO T (ID, NOMBRE) VALUES (1, :NOMBRE)");
    for (const QString& bad : {QStringLiteral("Precio 12 €"), QStringLiteral("東京")}) {
        try {
            ins.paramByName("NOMBRE").setString(bad);
            FAIL() << "accepted " << bad.toStdString();
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().contains(bad)) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains("ISO8859_1"));
        }
        EXPECT_THROW(ins.paramByName("NOMBRE").setVariant(bad), Error);
    }
    EXPECT_EQ(countFromOutside(), 0);
}

TEST_F(ClientTest, DatabaseErrorsCarryTheirCodesAndStatement) {
    Statement st(db.get(), tr.get());
    st.setSql("SELEC * FROM T");
    try {
        st.prepare();
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.sqlCode(), -104);
        EXPECT_EQ(e.gdsCode(), 335544569L); // isc_dsql_error
        EXPECT_EQ(e.sqlState(), "42000");
        EXPECT_EQ(e.statement(), "SELEC * FROM T");
        EXPECT_TRUE(e.message().contains("Token unknown")) << e.message().toStdString();
        EXPECT_FALSE(e.isLockConflict());
    }
    st.setSql("INSERT INTO T (ID) VALUES (:ID)");
    st.paramByName("ID").setNull();
    try {
        st.execute();
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.sqlState(), "23000"); // not null constraint
        EXPECT_TRUE(e.message().contains("ID"));
    }
    // A text longer than its column is refused by the server, never cut silently.
    st.setSql("INSERT INTO T (ID, CODIGO) VALUES (:ID, :CODIGO)");
    st.paramByName("ID").setInt(1);
    st.paramByName("CODIGO").setString(QString(21, QChar('x')));
    try {
        st.execute();
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.sqlState(), "22001") << e.message().toStdString(); // string data, right truncation
    }
}

TEST(Attachment, OpenFailureCarriesTheClientText) {
    Attachment db("/nonexistent/folder/x.fdb",
                  {"USER_NAME=SYSDBA", "PASSWORD=masterkey", "lc_ctype=ISO8859_1"});
    try {
        db.open();
        FAIL();
    } catch (const Error& e) {
        EXPECT_FALSE(e.message().isEmpty());
        EXPECT_NE(e.gdsCode(), 0);
    }
    EXPECT_FALSE(db.connected());
}
