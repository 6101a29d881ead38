// sonda_apagado: what the client library and qd::fb::Apagado do with SIGTERM, SIGHUP and SIGINT
// in a process of its own, one scenario per run, answered as "key=value" lines on stdout.
//
//   sonda_apagado motor  DB       handlers before and after the first attach, without Apagado
//   sonda_apagado fallido DB      the same with a failed attach (DB does not exist)
//   sonda_apagado tomar  DB SIG   Apagado before the attach; SIG once while the engine's handler
//                                 is in place, once more after restaurarManejadores()
//   sonda_apagado sin_motor SIG   Apagado without any attach; SIG once
#include <QCoreApplication>
#include <QString>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "FbApagado.h"
#include "FbAttachment.h"
#include "FbError.h"
#include "FbStatement.h"
#include "FbTransaction.h"

namespace {

std::atomic<int> avisos{0};

void contar(int) {
    avisos.fetch_add(1);
}

void ajeno(int) {}

const char* manejador(int senal) {
    struct sigaction a {};
    sigaction(senal, nullptr, &a);
    if (!(a.sa_flags & SA_SIGINFO) && a.sa_handler == SIG_DFL) return "defecto";
    if (!(a.sa_flags & SA_SIGINFO) && a.sa_handler == ajeno) return "programa";
    // Apagado's own handler is not visible from here: anything else is compared with what
    // Apagado put in place, remembered by the caller.
    return "otro";
}

void mostrar(const char* momento) {
    for (int s : {SIGTERM, SIGHUP, SIGINT})
        std::printf("%s_%s=%s\n", momento, qd::fb::Apagado::nombre(s).toLatin1().constData(), manejador(s));
}

QStringList parametros() {
    return {QStringLiteral("USER_NAME=SYSDBA"), QStringLiteral("PASSWORD=masterkey"),
            QStringLiteral("lc_ctype=ISO8859_1")};
}

// The attachment still answers a query in a transaction of its own.
bool responde(qd::fb::Attachment& db) {
    try {
        qd::fb::Transaction tr(&db);
        qd::fb::Statement st(&db, &tr);
        st.setSql(QStringLiteral("SELECT COUNT(*) FROM RDB$RELATIONS"));
        st.execute();
        const bool hay = st.field(0).asInt() > 0;
        st.close();
        tr.commit();
        return hay;
    } catch (const qd::fb::Error& e) {
        std::printf("error=%s\n", e.message().toLocal8Bit().constData());
        return false;
    }
}

void enviar(int senal) {
    ::kill(::getpid(), senal);
    // The engine's shutdown runs on a thread of its own: give it time to do its worst.
    ::usleep(1500 * 1000);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 3) return 2;
    const QString escenario = a[1];
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    if (escenario == QLatin1String("motor") || escenario == QLatin1String("fallido")) {
        // A handler of the program on every signal, as a program would have set it.
        for (int s : {SIGTERM, SIGHUP, SIGINT})
            std::signal(s, ajeno);
        mostrar("antes");
        qd::fb::Attachment db(a[2], parametros());
        try {
            db.open();
            std::printf("conectada=1\n");
        } catch (const qd::fb::Error&) {
            std::printf("conectada=0\n");
        }
        mostrar("despues");
        return 0;
    }

    const int senal = a.size() > 3 ? a[3].toInt() : a[2].toInt();
    if (escenario == QLatin1String("sin_motor")) {
        qd::fb::Apagado::tomarControl(contar);
        enviar(senal);
        unsigned char byte = 0;
        const bool legible = ::read(qd::fb::Apagado::descriptor(), &byte, 1) == 1;
        std::printf("avisos=%d\npedido=%d\nsenal=%d\nbyte=%d\n", avisos.load(),
                    qd::fb::Apagado::pedido() ? 1 : 0, qd::fb::Apagado::senal(), legible ? int(byte) : -1);
        return 0;
    }

    if (escenario == QLatin1String("tomar")) {
        qd::fb::Apagado::tomarControl(contar);
        qd::fb::Attachment db(a[2], parametros());
        db.open();
        // The engine's handler now sits in front of ours (and calls it).
        enviar(senal);
        std::printf("avisos1=%d\nresponde1=%d\n", avisos.load(), responde(db) ? 1 : 0);
        std::printf("restaurados=%d\n", qd::fb::Apagado::restaurarManejadores());
        std::printf("restaurados_otra_vez=%d\n", qd::fb::Apagado::restaurarManejadores());
        enviar(senal);
        std::printf("avisos2=%d\nresponde2=%d\n", avisos.load(), responde(db) ? 1 : 0);
        qd::fb::Apagado::vaciar();
        unsigned char byte = 0;
        std::printf("vacio=%d\n", ::read(qd::fb::Apagado::descriptor(), &byte, 1) <= 0 ? 1 : 0);
        try {
            db.close();
            std::printf("desconectada=1\n");
        } catch (const qd::fb::Error& e) {
            std::printf("desconectada=0\nerror=%s\n", e.message().toLocal8Bit().constData());
        }
        return 0;
    }
    return 2;
}
