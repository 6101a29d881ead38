#include "ServidorX.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "NotificarAnfitrion.h"

#ifdef QD_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace {

std::string buscarEnPath(const char* programa) {
    const char* path = std::getenv("PATH");
    const std::string p = path ? path : "/usr/bin:/bin";
    size_t inicio = 0;
    while (inicio <= p.size()) {
        const size_t fin = p.find(':', inicio);
        const std::string dir = p.substr(inicio, fin == std::string::npos ? std::string::npos : fin - inicio);
        const std::string ruta = (dir.empty() ? "." : dir) + "/" + programa;
        if (access(ruta.c_str(), X_OK) == 0) return ruta;
        if (fin == std::string::npos) break;
        inicio = fin + 1;
    }
    return {};
}

} // namespace

ServidorX::~ServidorX() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int st = 0;
        waitpid(pid_, &st, 0);
    }
}

bool ServidorX::arrancar(std::string& error) {
#ifndef QD_HAVE_X11
    error = "built without Xlib";
    return false;
#else
    const std::string xvfb = buscarEnPath("Xvfb");
    if (xvfb.empty()) {
        error = "Xvfb is not installed";
        return false;
    }
    int fds[2];
    if (pipe(fds) != 0) {
        error = std::strerror(errno);
        return false;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        const int nulo = open("/dev/null", O_WRONLY);
        if (nulo >= 0) {
            dup2(nulo, 1);
            dup2(nulo, 2);
        }
        const std::string fd = std::to_string(fds[1]);
        execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
              "640x480x24", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
        close(fds[0]);
        error = "fork failed";
        return false;
    }
    // Xvfb writes its display number and a newline once it accepts connections.
    std::string numero;
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < limite) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) > 0) {
            char c;
            if (read(fds[0], &c, 1) <= 0 || c == '\n') break;
            numero += c;
        }
    }
    close(fds[0]);
    if (numero.empty()) {
        error = "Xvfb did not start";
        return false;
    }
    display_ = ":" + numero;
    return true;
#endif
}

#ifdef QD_HAVE_X11
namespace {
Display* pantalla(void* d) {
    return static_cast<Display*>(d);
}
} // namespace

AnfitrionFalso::AnfitrionFalso(const std::string& display) {
    Display* dpy = XOpenDisplay(display.c_str());
    dpy_ = dpy;
    if (dpy == nullptr) return;
    ventana_ = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 100, 80, 0, 0, 0);
    XClassHint hint;
    hint.res_name = const_cast<char*>("quenda");
    hint.res_class = const_cast<char*>(qd::kClaseVentanaAnfitrion);
    XSetClassHint(dpy, ventana_, &hint);
    XMapWindow(dpy, ventana_);
    XSync(dpy, False);
}

AnfitrionFalso::~AnfitrionFalso() {
    if (dpy_) XCloseDisplay(pantalla(dpy_));
}

bool AnfitrionFalso::abierto() const {
    return dpy_ != nullptr;
}

int AnfitrionFalso::mensajesRecibidos(int ms) {
    Display* dpy = pantalla(dpy_);
    if (dpy == nullptr) return 0;
    int n = 0;
    const Atom tipo = XInternAtom(dpy, qd::kAtomMensajeAnfitrion, False);
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < limite) {
        while (XPending(dpy) > 0) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == ClientMessage && ev.xclient.window == ventana_ &&
                ev.xclient.message_type == tipo && ev.xclient.data.l[0] == qd::kMensajeAnfitrion &&
                ev.xclient.data.l[1] == 0 && ev.xclient.data.l[2] == 0)
                ++n;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return n;
}
#else
AnfitrionFalso::AnfitrionFalso(const std::string&) {}
AnfitrionFalso::~AnfitrionFalso() = default;
bool AnfitrionFalso::abierto() const {
    return false;
}
int AnfitrionFalso::mensajesRecibidos(int) {
    return 0;
}
#endif
