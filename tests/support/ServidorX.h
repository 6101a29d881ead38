#pragma once
// A private X server (Xvfb, on a display number it chooses itself) and a fake host window on
// it: a top-level window of the host's window class that collects the client messages it gets.
// Without Xvfb or Xlib the tests that need them skip.

#include <string>

class ServidorX {
public:
    ServidorX() = default;
    ~ServidorX();
    ServidorX(const ServidorX&) = delete;
    ServidorX& operator=(const ServidorX&) = delete;

    // Starts Xvfb; false with the reason in `error`.
    bool arrancar(std::string& error);
    const std::string& display() const { return display_; }

private:
    int pid_ = -1;
    std::string display_;
};

// The host's main window on a display, and the messages it received.
class AnfitrionFalso {
public:
    explicit AnfitrionFalso(const std::string& display);
    ~AnfitrionFalso();
    AnfitrionFalso(const AnfitrionFalso&) = delete;
    AnfitrionFalso& operator=(const AnfitrionFalso&) = delete;

    bool abierto() const;
    // The number of messages 1026 with both parameters 0 received within `ms` milliseconds.
    int mensajesRecibidos(int ms = 1000);

private:
    void* dpy_ = nullptr;       // the Xlib Display (Xlib's macros stay out of the tests' sources)
    unsigned long ventana_ = 0; // the host's Window
};
