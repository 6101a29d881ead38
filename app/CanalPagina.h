#pragma once
// While a page runs a load or a write, the data module talks through this channel: everything
// goes on to the channel it had (the window's or a test's), and status texts are also shown in
// the page's own status panel. It puts itself in place when made and restores the old channel
// when it goes.

#include <QStringList>
#include <functional>

#include "UserChannel.h"

class TDatos;

class CanalPagina final : public qd::UserChannel {
public:
    CanalPagina(TDatos& datos, std::function<void(const QString&)> estado);
    ~CanalPagina() override;
    CanalPagina(const CanalPagina&) = delete;
    CanalPagina& operator=(const CanalPagina&) = delete;

    void message(qd::MessageKind kind, const QString& text, const QString& caption = {}) override;
    bool ask(const QString& text, const QString& caption = {}) override;
    void status(const QString& text, int panel = -1) override;
    void progressOpen(int maximum) override;
    void progressStep(const QString& label) override;
    void progressClose() override;
    void incidence(const QString& line) override;
    void waitCursor(bool on) override;
    // The incidences are also kept in `lista` (the run's, for the history); null: not kept.
    void anotarIncidencias(QStringList* lista) { incidencias_ = lista; }

protected:
    void processEvents() override;

private:
    TDatos& datos_;
    qd::UserChannel* interno_;
    std::function<void(const QString&)> estado_;
    QStringList* incidencias_ = nullptr;
};
