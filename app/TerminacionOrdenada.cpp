#include "TerminacionOrdenada.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "FbApagado.h"
#include "GuiChannel.h"
#include "TDatos.h"
#include "TFormPrincipalExcell.h"

namespace {

std::atomic<bool> plazoArmado{false};

// In signal-handler context: only the deadline is set here, the rest happens on the window's thread.
void alSenal(int) {
    if (!plazoArmado.exchange(true)) ::alarm(TerminacionOrdenada::kPlazoSegundos);
}

} // namespace

TerminacionOrdenada::TerminacionOrdenada(TDatos& datos, QObject* parent) : QObject(parent), datos_(datos) {
    std::signal(SIGALRM, SIG_DFL); // the deadline ends the process
    qd::fb::Apagado::tomarControl(alSenal);
    if (qd::fb::Apagado::descriptor() >= 0) {
        notificador_ = new QSocketNotifier(qd::fb::Apagado::descriptor(), QSocketNotifier::Read, this);
        connect(notificador_, &QSocketNotifier::activated, this, &TerminacionOrdenada::alLlegarSenal);
    }
}

void TerminacionOrdenada::setVentana(TFormPrincipalExcell* ventana) {
    ventana_ = ventana;
    qd::fb::Apagado::restaurarManejadores();
}

bool TerminacionOrdenada::pedida() const {
    return atendida_ || qd::fb::Apagado::pedido();
}

void TerminacionOrdenada::alLlegarSenal() {
    qd::fb::Apagado::vaciar();
    if (atendida_) return;
    atendida_ = true;

    // From here on nothing waits for the user: boxes go to the log only, questions answer "no".
    const QString texto = QStringLiteral("Recibida %1: el módulo termina.")
                              .arg(qd::fb::Apagado::nombre(qd::fb::Apagado::senal()));
    GuiChannel* canal = ventana_ ? &ventana_->canal() : dynamic_cast<GuiChannel*>(qd::UserChannel::current());
    if (canal != nullptr) {
        canal->setTerminando(true);
        canal->log(QStringLiteral("signal"), texto);
    } else {
        std::fprintf(stderr, "[signal] %s\n", texto.toLocal8Bit().constData());
    }

    // A running import stops after its row; the window closes as the user would close it, and
    // every event loop (the main one, a modal window's) returns.
    datos_.Abortar_Proceso = true;
    if (ventana_) ventana_->pedirCierre();
    QCoreApplication::exit(0);
}
