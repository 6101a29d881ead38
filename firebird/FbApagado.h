#pragma once
// Signal-driven end of a program that uses the client library: SIGTERM, SIGHUP and SIGINT become
// a request the program answers in its own time (stop after the row in progress, save, detach),
// and the embedded engine does not shut itself down under the program's feet.
//
// What the client library does on its own (Firebird 3, checked by tests/senales): at the first
// attach (or create), even a failed one, it puts its own handler on SIGINT and SIGTERM (SIGHUP is
// left alone). That handler also calls the handler that was there before it, and has the engine
// shut down on a thread of its own (a moment later; now and then not at all): every attachment is
// lost ("invalid database handle") and the process stays alive. A shutdown callback registered
// for the confirmation step is called first with the reason fb_shutrsn_signal; a non-zero answer
// cancels that shutdown, the attachments stay usable and the engine's handler stays armed for
// the next signal.
//
// So the program:
//   1. calls Apagado::tomarControl() early, before the first attach: own handlers on the three
//      signals (while no engine is loaded, e.g. a wrong database path) and the shutdown callback;
//   2. calls Apagado::restaurarManejadores() after the first attach: the own handlers go back in
//      place of the engine's, which then never sees these signals again;
//   3. watches Apagado::descriptor() (one byte per signal) or Apagado::pedido().
// The shutdown callback stays as the safety net: whenever the engine still gets a signal, its
// shutdown is refused; the program is told by that path only when its own handler never saw a
// signal (so one signal is told once, not once per path).

#include <QString>

namespace qd::fb {

class Apagado {
public:
    // Called once per signal in signal-handler context, or on one of the engine's threads:
    // only async-signal-safe work (set an atomic flag, write to a pipe, _exit).
    using Aviso = void (*)(int senal);

    // Installs the handlers of SIGTERM, SIGHUP and SIGINT and the engine's shutdown callback;
    // `aviso` (may be null) is called for every signal. Calling it again only changes `aviso`.
    static void tomarControl(Aviso aviso = nullptr);
    // Puts the own handlers back on the signals whose handler was replaced since tomarControl()
    // (the engine's, at its first attach). Answers how many it had to put back.
    static int restaurarManejadores();

    // True once one of the signals arrived.
    static bool pedido();
    // The first signal that arrived (0 while none did).
    static int senal();
    // The read end of a non-blocking pipe that receives one byte per signal; -1 before
    // tomarControl().
    static int descriptor();
    // Reads away every byte the pipe holds.
    static void vaciar();

    // "SIGTERM", "SIGHUP", "SIGINT" or "señal N".
    static QString nombre(int senal);
};

} // namespace qd::fb
