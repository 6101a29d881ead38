// bench_client [N] [ROUNDS] [nosync]
//
// The writers' per-row pattern, measured twice on the same database, side by side:
//   1. look the row up by its code (a one-directional TkvIBQuery, whose open commits retaining),
//   2. insert it (first pass) or update it (second pass) with a prepared statement,
//   3. commit retaining.
// "layer" runs it through TkvIBQuery and qd::fb::Statement; "bare" runs the same statements
// with the same values through the ISC API directly (prepared once, XSQLDA filled by hand).
// The two sides run on tables of the same shape in alternating blocks of 100 rows; rows/s of
// each round and of the best round are printed.
// With "nosync" the database is created with forced writes off, so commits do not wait for the
// disk and the cost of the layer itself is not hidden behind the disk's flushes.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ibase.h>

#include "FbStatement.h"
#include "TkvIBQuery.h"

using namespace qd::fb;

namespace {

void check(const ISC_STATUS* status) {
    if (status[0] == 1 && status[1]) throw Error::fromStatus(status);
}

constexpr int kBlock = 100;

QString code(int i) {
    return QStringLiteral("ART%1").arg(i, 6, 10, QLatin1Char('0'));
}

// --- through the layer -------------------------------------------------------------------------

class LayerRunner {
public:
    LayerRunner(Attachment& db, Transaction& tr, const QString& table)
        : tr_(tr), lookup_(&db, &tr, false), ins_(&db, &tr), upd_(&db, &tr) {
        lookup_.setSql("SELECT ID FROM " + table + " WHERE CODIGO = :CODIGO");
        ins_.setSql("INSERT INTO " + table +
                    " (ID, CODIGO, NOMBRE, PRECIO) VALUES (:ID, :CODIGO, :NOMBRE, :PRECIO)");
        upd_.setSql("UPDATE " + table + " SET NOMBRE = :NOMBRE, PRECIO = :PRECIO WHERE ID = :OLD_ID");
    }

    // Rows [from, to); returns the elapsed nanoseconds.
    qint64 run(int from, int to, bool update) {
        QElapsedTimer t;
        t.start();
        for (int i = from; i < to; ++i) {
            const QString c = code(i);
            lookup_.close();
            lookup_.paramByName("CODIGO").setString(c);
            lookup_.open();
            const bool found = !lookup_.eof();
            const qint64 id = found ? lookup_.fieldByName("ID").asInt() : -1;
            if (found != update) throw Error("unexpected lookup result for " + c);
            if (!found) {
                ins_.paramByName("ID").setInt(i + 1);
                ins_.paramByName("CODIGO").setString(c);
                ins_.paramByName("NOMBRE").setString("Artículo " + c);
                ins_.paramByName("PRECIO").setFloat(i * 1.25);
                ins_.execute();
            } else {
                upd_.paramByName("OLD_ID").setInt(id);
                upd_.paramByName("NOMBRE").setString("Artículo cambiado " + c);
                upd_.paramByName("PRECIO").setFloat(i * 2.5);
                upd_.execute();
            }
            tr_.commitRetaining();
        }
        lookup_.close();
        return t.nsecsElapsed();
    }

private:
    Transaction& tr_;
    TkvIBQuery lookup_;
    Statement ins_;
    Statement upd_;
};

// --- bare ISC API ------------------------------------------------------------------------------

struct BareStatement {
    isc_stmt_handle handle = 0;
    XSQLDA* in = nullptr;
    XSQLDA* out = nullptr;
    std::vector<std::vector<char>> bufs;
    std::vector<short> inds;
    ~BareStatement() {
        free(in);
        free(out);
    }
};

XSQLDA* sqlda(int n) {
    auto* da = static_cast<XSQLDA*>(calloc(1, XSQLDA_LENGTH(n)));
    da->version = SQLDA_VERSION1;
    da->sqln = short(n);
    return da;
}

void prepareBare(isc_db_handle* db, isc_tr_handle* tr, BareStatement& st, const QByteArray& sql, int nIn,
                 int nOut) {
    ISC_STATUS_ARRAY status;
    isc_dsql_allocate_statement(status, db, &st.handle);
    check(status);
    st.out = sqlda(std::max(nOut, 1));
    isc_dsql_prepare(status, tr, &st.handle, 0, sql.constData(), 1, st.out);
    check(status);
    st.in = sqlda(std::max(nIn, 1));
    isc_dsql_describe_bind(status, &st.handle, 1, st.in);
    check(status);
    st.bufs.resize(std::size_t(nIn + nOut));
    st.inds.assign(std::size_t(nIn + nOut), 0);
    for (int i = 0; i < nOut; ++i) {
        XSQLVAR& v = st.out->sqlvar[i];
        st.bufs[std::size_t(nIn + i)].resize(std::size_t(v.sqllen) + 2);
        v.sqldata = st.bufs[std::size_t(nIn + i)].data();
        v.sqltype |= 1;
        v.sqlind = &st.inds[std::size_t(nIn + i)];
    }
    for (int i = 0; i < nIn; ++i) {
        XSQLVAR& v = st.in->sqlvar[i];
        st.bufs[std::size_t(i)].resize(256);
        v.sqldata = st.bufs[std::size_t(i)].data();
        v.sqlind = &st.inds[std::size_t(i)];
        v.sqltype |= 1;
    }
}

void setText(XSQLVAR& v, const QByteArray& text) {
    v.sqltype = SQL_TEXT | 1;
    v.sqllen = short(text.size());
    std::memcpy(v.sqldata, text.constData(), std::size_t(text.size()));
}

void setLong(XSQLVAR& v, ISC_LONG x) {
    v.sqltype = SQL_LONG | 1;
    v.sqllen = 4;
    v.sqlscale = 0;
    std::memcpy(v.sqldata, &x, 4);
}

void setDouble(XSQLVAR& v, double x) {
    v.sqltype = SQL_DOUBLE | 1;
    v.sqllen = 8;
    v.sqlscale = 0;
    std::memcpy(v.sqldata, &x, 8);
}

class BareRunner {
public:
    BareRunner(Attachment& db, Transaction& tr, const QString& table) {
        auto* dbh = static_cast<isc_db_handle*>(db.handle());
        if (!tr.active()) tr.start();
        trh_ = static_cast<isc_tr_handle*>(tr.handle());
        prepareBare(dbh, trh_, sel_, ("SELECT ID FROM " + table + " WHERE CODIGO = ?").toLatin1(), 1, 1);
        prepareBare(dbh, trh_, ins_,
                    ("INSERT INTO " + table + " (ID, CODIGO, NOMBRE, PRECIO) VALUES (?, ?, ?, ?)").toLatin1(),
                    4, 0);
        prepareBare(dbh, trh_, upd_,
                    ("UPDATE " + table + " SET NOMBRE = ?, PRECIO = ? WHERE ID = ?").toLatin1(), 3, 0);
    }
    ~BareRunner() {
        ISC_STATUS_ARRAY status;
        for (BareStatement* s : {&sel_, &ins_, &upd_})
            isc_dsql_free_statement(status, &s->handle, DSQL_drop);
    }

    qint64 run(int from, int to, bool update) {
        ISC_STATUS_ARRAY status;
        QElapsedTimer t;
        t.start();
        for (int i = from; i < to; ++i) {
            const QByteArray c = code(i).toLatin1();
            isc_commit_retaining(status, trh_); // what the query's open does first
            check(status);
            setText(sel_.in->sqlvar[0], c);
            isc_dsql_execute(status, trh_, &sel_.handle, 1, sel_.in);
            check(status);
            const ISC_STATUS rc = isc_dsql_fetch(status, &sel_.handle, 1, sel_.out);
            if (rc && rc != 100) check(status);
            const bool found = rc == 0;
            const ISC_LONG id = found ? *reinterpret_cast<ISC_LONG*>(sel_.out->sqlvar[0].sqldata) : -1;
            isc_dsql_free_statement(status, &sel_.handle, DSQL_close);
            check(status);
            if (found != update) throw Error("unexpected lookup result");
            if (!found) {
                setLong(ins_.in->sqlvar[0], i + 1);
                setText(ins_.in->sqlvar[1], c);
                setText(ins_.in->sqlvar[2], QString("Artículo " + code(i)).toLatin1());
                setDouble(ins_.in->sqlvar[3], i * 1.25);
                isc_dsql_execute(status, trh_, &ins_.handle, 1, ins_.in);
            } else {
                setText(upd_.in->sqlvar[0], QString("Artículo cambiado " + code(i)).toLatin1());
                setDouble(upd_.in->sqlvar[1], i * 2.5);
                setLong(upd_.in->sqlvar[2], id);
                isc_dsql_execute(status, trh_, &upd_.handle, 1, upd_.in);
            }
            check(status);
            isc_commit_retaining(status, trh_);
            check(status);
        }
        return t.nsecsElapsed();
    }

private:
    isc_tr_handle* trh_ = nullptr;
    BareStatement sel_, ins_, upd_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(1, atoi(argv[1])) : 2000;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const bool nosync = argc > 3 && std::strcmp(argv[3], "nosync") == 0;
    QTemporaryDir dir;
    try {
        QStringList params = {"USER_NAME=SYSDBA", "PASSWORD=masterkey", "lc_ctype=ISO8859_1"};
        if (nosync) params << "FORCE_WRITE=0";
        Attachment db(dir.filePath("bench.fdb"), params);
        db.create();
        std::printf("%d rows per pass, %d rounds, forced writes %s\n", n, rounds, nosync ? "off" : "on");
        Transaction tr(&db);
        Statement ddl(&db, &tr);
        ddl.setParamCheck(false);
        double best[2][2] = {{0, 0}, {0, 0}}; // [layer/bare][insert/update]
        for (int r = 0; r < rounds; ++r) {
            const QString a = QString("ART_A%1").arg(r), b = QString("ART_B%1").arg(r);
            for (const QString& t : {a, b}) {
                ddl.setSql("CREATE TABLE " + t +
                           " (ID INTEGER NOT NULL PRIMARY KEY, CODIGO VARCHAR(20) NOT NULL UNIQUE,"
                           " NOMBRE VARCHAR(60), PRECIO DOUBLE PRECISION)");
                ddl.execute();
                tr.commit();
            }
            LayerRunner layerRunner(db, tr, a);
            BareRunner bareRunner(db, tr, b);
            for (int pass = 0; pass < 2; ++pass) {
                // Small blocks, alternating sides, so that a change of machine load hits both alike.
                qint64 layerNs = 0, bareNs = 0;
                for (int from = 0; from < n; from += kBlock) {
                    const int to = std::min(n, from + kBlock);
                    if ((from / kBlock + r) % 2 == 0) {
                        layerNs += layerRunner.run(from, to, pass == 1);
                        bareNs += bareRunner.run(from, to, pass == 1);
                    } else {
                        bareNs += bareRunner.run(from, to, pass == 1);
                        layerNs += layerRunner.run(from, to, pass == 1);
                    }
                }
                const double layer = double(n) * 1e9 / double(std::max<qint64>(layerNs, 1));
                const double bare = double(n) * 1e9 / double(std::max<qint64>(bareNs, 1));
                best[0][pass] = std::max(best[0][pass], layer);
                best[1][pass] = std::max(best[1][pass], bare);
                std::printf("round %d %-6s layer %8.0f rows/s   bare %8.0f rows/s   layer/bare %.3f\n", r + 1,
                            pass ? "update" : "insert", layer, bare, layer / bare);
            }
            tr.commit();
        }
        std::printf("best   insert layer %8.0f rows/s   bare %8.0f rows/s   layer/bare %.3f\n", best[0][0],
                    best[1][0], best[0][0] / best[1][0]);
        std::printf("best   update layer %8.0f rows/s   bare %8.0f rows/s   layer/bare %.3f\n", best[0][1],
                    best[1][1], best[0][1] / best[1][1]);
    } catch (const Error& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
    return 0;
}
