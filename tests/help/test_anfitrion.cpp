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

#ifdef QD_HAVE_X11
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

std::string buscarEnPath(const char* programa) {
    const char* path = std::getenv("PATH");
    std::string p = path ? path : "/usr/bin:/bin";
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

// A private X server for the tests, on a display number it chooses itself (-displayfd).
class ServidorX {
public:
    bool arrancar(std::string& error) {
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
        // Xvfb writes its display number followed by a newline once it accepts connections.
        std::string numero;
        const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < limite) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 200) > 0) {
                char c;
                const ssize_t n = read(fds[0], &c, 1);
                if (n <= 0) break;
                if (c == '\n') break;
                numero += c;
            }
        }
        close(fds[0]);
        if (numero.empty()) {
            error = "Xvfb did not start";
            parar();
            return false;
        }
        display_ = ":" + numero;
        return true;
    }

    void parar() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int st = 0;
            waitpid(pid_, &st, 0);
            pid_ = -1;
        }
    }

    ~ServidorX() { parar(); }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

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
