// The message to the host program over X11 (see the header for the protocol).
#include "NotificarAnfitrion.h"

#include <cstdlib>
#include <cstring>

#ifdef QD_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#endif

namespace qd {

#ifdef QD_HAVE_X11
namespace {

// Top-level windows sit at most a few levels below the root (root → frame → client, sometimes a
// further wrapper); the bounds keep the walk short on servers with many windows.
constexpr int kProfundidadMaxima = 6;
constexpr int kVentanasMaximas = 20000;

// Windows may vanish while they are walked; the resulting BadWindow errors are ignored.
int ignorarErrorX(Display*, XErrorEvent*) {
    return 0;
}

bool esVentanaAnfitrion(Display* dpy, Window w) {
    XClassHint hint{};
    if (XGetClassHint(dpy, w, &hint) == 0) return false;
    const bool es = hint.res_class != nullptr && std::strcmp(hint.res_class, kClaseVentanaAnfitrion) == 0;
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return es;
}

// Depth-first walk below `w`; returns the first host window found, or 0.
Window buscarAnfitrion(Display* dpy, Window w, int profundidad, int& visitadas) {
    if (profundidad > kProfundidadMaxima) return 0;
    Window raiz = 0, padre = 0;
    Window* hijos = nullptr;
    unsigned int n = 0;
    if (XQueryTree(dpy, w, &raiz, &padre, &hijos, &n) == 0) return 0;
    Window encontrada = 0;
    for (unsigned int i = 0; i < n && encontrada == 0 && visitadas < kVentanasMaximas; ++i) {
        ++visitadas;
        if (esVentanaAnfitrion(dpy, hijos[i]))
            encontrada = hijos[i];
        else
            encontrada = buscarAnfitrion(dpy, hijos[i], profundidad + 1, visitadas);
    }
    if (hijos) XFree(hijos);
    return encontrada;
}

} // namespace
#endif

bool notificarAnfitrion() {
#ifdef QD_HAVE_X11
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return false;
    Display* dpy = XOpenDisplay(nullptr);
    if (dpy == nullptr) return false;

    const auto anterior = XSetErrorHandler(ignorarErrorX);
    int visitadas = 0;
    const Window anfitrion = buscarAnfitrion(dpy, DefaultRootWindow(dpy), 0, visitadas);
    if (anfitrion != 0) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.display = dpy;
        ev.xclient.window = anfitrion;
        ev.xclient.message_type = XInternAtom(dpy, kAtomMensajeAnfitrion, False);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = kMensajeAnfitrion;
        ev.xclient.data.l[1] = 0;
        ev.xclient.data.l[2] = 0;
        XSendEvent(dpy, anfitrion, False, NoEventMask, &ev);
    }
    XSync(dpy, False);
    XSetErrorHandler(anterior);
    XCloseDisplay(dpy);
    return anfitrion != 0;
#else
    return false;
#endif
}

} // namespace qd
