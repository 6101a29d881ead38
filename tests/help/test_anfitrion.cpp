// The message to the host: a fake host window under a private Xvfb server receives the client
// message 1026 with both parameters 0; without such a window, or without a display, nothing is
// sent and the call says so.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "NotificarAnfitrion.h"
#include "ServidorX.h"

#ifdef QD_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

class Anfitrion : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        servidor_ = new ServidorX;
        if (!servidor_->arrancar(error_)) {
            delete servidor_;
            servidor_ = nullptr;
        }
    }
    static void TearDownTestSuite() {
        delete servidor_;
        servidor_ = nullptr;
    }

    void SetUp() override {
        if (servidor_ == nullptr) GTEST_SKIP() << error_;
        const char* anterior = std::getenv("DISPLAY");
        if (anterior) displayAnterior_ = anterior, habiaDisplay_ = true;
        setenv("DISPLAY", servidor_->display().c_str(), 1);
        dpy_ = XOpenDisplay(nullptr);
        ASSERT_NE(dpy_, nullptr);
    }

    void TearDown() override {
        if (dpy_) XCloseDisplay(dpy_);
        if (servidor_ == nullptr) return;
        if (habiaDisplay_)
            setenv("DISPLAY", displayAnterior_.c_str(), 1);
        else
            unsetenv("DISPLAY");
    }

    Window ventana(Window padre, const char* clase) {
        const Window w = XCreateSimpleWindow(dpy_, padre, 0, 0, 100, 80, 0, 0, 0);
        if (clase) {
            XClassHint hint;
            hint.res_name = const_cast<char*>("quenda");
            hint.res_class = const_cast<char*>(clase);
            XSetClassHint(dpy_, w, &hint);
        }
        XMapWindow(dpy_, w);
        XSync(dpy_, False);
        return w;
    }

    // The next client message this connection receives within a second, if any.
    bool recibir(XClientMessageEvent& out) {
        const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (std::chrono::steady_clock::now() < limite) {
            while (XPending(dpy_) > 0) {
                XEvent ev;
                XNextEvent(dpy_, &ev);
                if (ev.type == ClientMessage) {
                    out = ev.xclient;
                    return true;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    void comprobarMensaje(const XClientMessageEvent& m, Window destino) {
        EXPECT_EQ(m.window, destino);
        EXPECT_EQ(m.message_type, XInternAtom(dpy_, qd::kAtomMensajeAnfitrion, False));
        EXPECT_EQ(m.format, 32);
        EXPECT_EQ(m.data.l[0], 1026);
        EXPECT_EQ(m.data.l[1], 0);
        EXPECT_EQ(m.data.l[2], 0);
    }

    static inline ServidorX* servidor_ = nullptr;
    static inline std::string error_;
    Display* dpy_ = nullptr;
    std::string displayAnterior_;
    bool habiaDisplay_ = false;
};

} // namespace

TEST_F(Anfitrion, TopLevelHostWindowReceivesTheMessage) {
    ventana(DefaultRootWindow(dpy_), "OtraAplicacion");
    const Window host = ventana(DefaultRootWindow(dpy_), qd::kClaseVentanaAnfitrion);
    EXPECT_TRUE(qd::notificarAnfitrion());
    XClientMessageEvent m{};
    ASSERT_TRUE(recibir(m));
    comprobarMensaje(m, host);
}

// Under a reparenting window manager the client window sits inside a frame (and sometimes a
// further wrapper); the frame carries no or another WM_CLASS.
TEST_F(Anfitrion, HostWindowInsideAFrameIsFound) {
    const Window marco = ventana(DefaultRootWindow(dpy_), nullptr);
    const Window envoltura = ventana(marco, "Marco");
    const Window host = ventana(envoltura, qd::kClaseVentanaAnfitrion);
    EXPECT_TRUE(qd::notificarAnfitrion());
    XClientMessageEvent m{};
    ASSERT_TRUE(recibir(m));
    comprobarMensaje(m, host);
}

TEST_F(Anfitrion, WithoutAHostWindowNothingIsSent) {
    ventana(DefaultRootWindow(dpy_), "TFormPrincipal"); // a different class, even if similar
    ventana(DefaultRootWindow(dpy_), nullptr);
    EXPECT_FALSE(qd::notificarAnfitrion());
    XClientMessageEvent m{};
    EXPECT_FALSE(recibir(m));
}

TEST_F(Anfitrion, WithoutADisplayTheHostIsNotReached) {
    ventana(DefaultRootWindow(dpy_), qd::kClaseVentanaAnfitrion);
    unsetenv("DISPLAY");
    EXPECT_FALSE(qd::notificarAnfitrion());
    XClientMessageEvent m{};
    EXPECT_FALSE(recibir(m));
}

// Runs with or without Xvfb: no usable display is never an error.
TEST(AnfitrionSinServidor, NoUsableDisplayReturnsFalse) {
    const char* anterior = std::getenv("DISPLAY");
    const std::string guardado = anterior ? anterior : "";
    unsetenv("DISPLAY");
    EXPECT_FALSE(qd::notificarAnfitrion());
    setenv("DISPLAY", "", 1);
    EXPECT_FALSE(qd::notificarAnfitrion());
    setenv("DISPLAY", ":9876", 1); // no server there
    EXPECT_FALSE(qd::notificarAnfitrion());
    if (anterior)
        setenv("DISPLAY", guardado.c_str(), 1);
    else
        unsetenv("DISPLAY");
}

#else

TEST(Anfitrion, WithoutX11NothingIsSent) {
    EXPECT_FALSE(qd::notificarAnfitrion());
}

#endif
