#pragma once
// The one seam through which loaders and writers talk to the user.
//
// Everything an import shows or asks goes through this interface: message boxes, yes/no
// questions, status text, the progress window, incidences, and the per-row "process pending
// messages, then tell me whether the user asked to cancel". The GUI implements it with Qt
// widgets, the tests with a recorder (RecordingChannel) and the headless importer with the
// console, so every import runs the same code with or without a window.

#include <QString>

namespace qd {

enum class MessageKind { Information, Warning, Error, Plain };

class UserChannel {
public:
    virtual ~UserChannel() = default;

    // A message box of a kind with its text (and an optional caption).
    virtual void message(MessageKind kind, const QString& text, const QString& caption = {}) = 0;
    // A yes/no question; true means "yes".
    virtual bool ask(const QString& text, const QString& caption = {}) = 0;
    // Text of the status bar of the page that runs the import (panel -1: the whole bar).
    virtual void status(const QString& text, int panel = -1) = 0;

    // The progress window: open with a maximum, step with a label, close.
    virtual void progressOpen(int maximum) = 0;
    virtual void progressStep(const QString& label) = 0;
    virtual void progressClose() = 0;

    // One incidence line for the incidence list (which also raises its flag).
    virtual void incidence(const QString& line) = 0;

    // Wait cursor on/off around database work (no-op where there is no cursor).
    virtual void waitCursor(bool on) { (void)on; }

    // The channel of the running program, for components that have no channel of their own
    // (a query's open error box, the wait cursor). Null means: stay silent.
    static UserChannel* current() { return current_; }
    static void setCurrent(UserChannel* channel) { current_ = channel; }

    // Lets pending window messages through (repaint, the cancel shortcut), then reports
    // whether the cancel flag is set. Loops call it once per row.
    bool processEventsAndCancelled() {
        processEvents();
        return cancelFlag_ != nullptr && *cancelFlag_;
    }
    // The flag that processEventsAndCancelled() reports (TDatos::Abortar_Proceso).
    void bindCancelFlag(const bool* flag) { cancelFlag_ = flag; }

protected:
    virtual void processEvents() = 0;

private:
    const bool* cancelFlag_ = nullptr;
    static inline UserChannel* current_ = nullptr;
};

} // namespace qd
