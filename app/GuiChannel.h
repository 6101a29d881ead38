#pragma once
// The UserChannel of the program's window: Qt message boxes, the progress window, the status
// bar of the page that runs the import and the main window's incidence list.
//
// Every message box text and every question (with its answer) is also written to the
// application's log (stderr) as one line "[kind] text", line breaks written as "\n", so support
// and end-to-end checks can follow what the user was shown.
//
// Every box carries the icon of its kind and, unless a caption is given, the module's title.
// Once the program is terminating (a signal asked it to end), nothing may wait for the user:
// messages are only written to the log and every question is answered "no".

#include "UserChannel.h"

#include <QPointer>
#include <QStringList>

#include <cstdio>
#include <functional>

class QWidget;
class TFormProgreso;

class GuiChannel : public qd::UserChannel {
public:
    using StatusSetter = std::function<void(const QString& text, int panel)>;

    // incidences and flag: the main window's ListaIncidencias and HayIncidenciasFichero.
    // status: shows a status text (null: status texts are dropped).
    GuiChannel(QWidget* parent, QStringList& incidences, bool& hayIncidencias, StatusSetter status = {});
    ~GuiChannel() override;

    void message(qd::MessageKind kind, const QString& text, const QString& caption = {}) override;
    bool ask(const QString& text, const QString& caption = {}) override;
    void status(const QString& text, int panel = -1) override;
    void progressOpen(int maximum) override;
    void progressStep(const QString& label) override;
    void progressClose() override;
    void incidence(const QString& line) override;
    void waitCursor(bool on) override;

    void setStatusSetter(StatusSetter status) { status_ = std::move(status); }
    // While a loop that can be cancelled runs, the progress window shows how to cancel it.
    void setAvisoCancelar(bool on);
    bool avisoCancelar() const { return avisoCancelar_; }
    // The open progress window, or null.
    TFormProgreso* progreso() const;

    // Where the log lines go (stderr unless changed; tests give a file).
    void setLogStream(std::FILE* stream) { log_ = stream; }
    // One log line "[tag] text".
    void log(const QString& tag, const QString& text) const;

    static QString kindTag(qd::MessageKind kind);
    // The title of the boxes without a caption of their own: "Importación de Excel".
    static QString tituloModulo();

    // The terminating state: no box is shown any more, questions answer "no".
    void setTerminando(bool terminando) { terminando_ = terminando; }
    bool terminando() const { return terminando_; }

protected:
    void processEvents() override;

private:
    QString captionOr(const QString& caption) const;

    QPointer<QWidget> parent_;
    QStringList& incidences_;
    bool& hayIncidencias_;
    StatusSetter status_;
    QPointer<TFormProgreso> progreso_;
    int waitDepth_ = 0;
    bool terminando_ = false;
    bool avisoCancelar_ = false;
    std::FILE* log_ = stderr;
};
