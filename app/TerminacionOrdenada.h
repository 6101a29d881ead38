#pragma once
// The end of the program on SIGTERM, SIGHUP or SIGINT (a `kill`, `timeout`, the end of the
// desktop session), the way closing the window ends it: a running import stops after the row in
// progress and ends by its own rules, no box waits for the user any more, the window saves its
// state (Excel.ini) and the database is detached before the process exits.
//
// The signals reach the window's thread through the pipe of qd::fb::Apagado and a socket
// notifier. Should the orderly end get stuck (a long statement that never returns to the event
// loop), the process ends anyway kPlazoSegundos after the first signal.

#include <QObject>
#include <QPointer>

class QSocketNotifier;
class TDatos;
class TFormPrincipalExcell;

class TerminacionOrdenada : public QObject {
    Q_OBJECT
public:
    static constexpr unsigned kPlazoSegundos = 15;

    // Takes over the signals; made before the main window, i.e. before the first attach.
    explicit TerminacionOrdenada(TDatos& datos, QObject* parent = nullptr);

    // The window to close. Given once the window is built: the first attach has put the engine's
    // handlers in place of ours by then, and they are replaced back here.
    void setVentana(TFormPrincipalExcell* ventana);

    // True once one of the signals arrived (even if the event loop has not seen it yet).
    bool pedida() const;

private:
    void alLlegarSenal();

    TDatos& datos_;
    QPointer<TFormPrincipalExcell> ventana_;
    QSocketNotifier* notificador_ = nullptr;
    bool atendida_ = false;
};
