#include "CanalPagina.h"

#include "TDatos.h"

CanalPagina::CanalPagina(TDatos& datos, std::function<void(const QString&)> estado)
    : datos_(datos), interno_(&datos.canal()), estado_(std::move(estado)) {
    datos_.setCanal(this);
}

CanalPagina::~CanalPagina() {
    datos_.setCanal(interno_);
}

void CanalPagina::message(qd::MessageKind kind, const QString& text, const QString& caption) {
    interno_->message(kind, text, caption);
}

bool CanalPagina::ask(const QString& text, const QString& caption) {
    return interno_->ask(text, caption);
}

void CanalPagina::status(const QString& text, int panel) {
    if (estado_) estado_(text);
    interno_->status(text, panel);
}

void CanalPagina::progressOpen(int maximum) {
    interno_->progressOpen(maximum);
}

void CanalPagina::progressStep(const QString& label) {
    interno_->progressStep(label);
}

void CanalPagina::progressClose() {
    interno_->progressClose();
}

void CanalPagina::incidence(const QString& line) {
    if (incidencias_) *incidencias_ << line;
    interno_->incidence(line);
}

void CanalPagina::waitCursor(bool on) {
    interno_->waitCursor(on);
}

void CanalPagina::processEvents() {
    // The cancel flag is the data module's and is bound to both channels; what matters here is
    // that the window's own message processing runs.
    interno_->processEventsAndCancelled();
}
