#include "FbApagado.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <ibase.h>
#include <unistd.h>

namespace qd::fb {

namespace {

constexpr int kSenales[] = {SIGTERM, SIGHUP, SIGINT};

std::atomic<int> primera{0};            // the first signal, 0 while none arrived
std::atomic<int> vistasPorManejador{0}; // signals the own handler saw
std::atomic<Apagado::Aviso> aviso{nullptr};
int tuberia[2] = {-1, -1};
bool instalado = false;

void anotar(int senal) {
    int esperado = 0;
    primera.compare_exchange_strong(esperado, senal);
    if (tuberia[1] >= 0) {
        const unsigned char byte = static_cast<unsigned char>(senal);
        [[maybe_unused]] const ssize_t escritos =
            ::write(tuberia[1], &byte, 1); // full pipe: the flag says it
    }
    if (Apagado::Aviso a = aviso.load()) a(senal);
}

void alRecibirSenal(int senal) {
    const int errnoGuardado = errno;
    vistasPorManejador.fetch_add(1);
    anotar(senal);
    errno = errnoGuardado;
}

// The engine's shutdown, on a thread of the engine's. A signal is refused. The engine's handler
// calls the handler it replaced, ours, in the same signal delivery, but this thread may get here
// first: it gives our handler a moment, and tells the program itself only when our handler never
// saw a signal (it was not reachable).
int alApagarMotor(const int motivo, const int, void*) {
    if (motivo != fb_shutrsn_signal) return 0;
    for (int i = 0; i < 50 && vistasPorManejador.load() == 0; ++i)
        ::usleep(5000);
    if (vistasPorManejador.load() == 0) anotar(SIGTERM);
    return 1;
}

void ponerManejador(int senal) {
    struct sigaction accion {};
    accion.sa_handler = alRecibirSenal;
    sigemptyset(&accion.sa_mask);
    accion.sa_flags = SA_RESTART;
    sigaction(senal, &accion, nullptr);
}

bool esPropio(int senal) {
    struct sigaction actual {};
    if (sigaction(senal, nullptr, &actual) != 0) return true;
    return (actual.sa_flags & SA_SIGINFO) == 0 && actual.sa_handler == alRecibirSenal;
}

} // namespace

void Apagado::tomarControl(Aviso a) {
    aviso.store(a);
    if (instalado) return;
    instalado = true;
    if (::pipe2(tuberia, O_CLOEXEC | O_NONBLOCK) != 0) tuberia[0] = tuberia[1] = -1;
    for (int s : kSenales)
        ponerManejador(s);
    ISC_STATUS_ARRAY estado;
    fb_shutdown_callback(estado, alApagarMotor, fb_shut_confirmation, nullptr);
}

int Apagado::restaurarManejadores() {
    if (!instalado) return 0;
    int puestos = 0;
    for (int s : kSenales) {
        if (esPropio(s)) continue;
        ponerManejador(s);
        ++puestos;
    }
    return puestos;
}

bool Apagado::pedido() {
    return primera.load() != 0;
}

int Apagado::senal() {
    return primera.load();
}

int Apagado::descriptor() {
    return tuberia[0];
}

void Apagado::vaciar() {
    if (tuberia[0] < 0) return;
    unsigned char bytes[64];
    while (::read(tuberia[0], bytes, sizeof bytes) > 0) {
    }
}

QString Apagado::nombre(int senal) {
    switch (senal) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    case SIGINT:
        return QStringLiteral("SIGINT");
    }
    return QStringLiteral("señal %1").arg(senal);
}

} // namespace qd::fb
