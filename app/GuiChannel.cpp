#include "GuiChannel.h"

#include "TFormProgreso.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

GuiChannel::GuiChannel(QWidget* parent, QStringList& incidences, bool& hayIncidencias, StatusSetter status)
    : parent_(parent), incidences_(incidences), hayIncidencias_(hayIncidencias), status_(std::move(status)) {}

GuiChannel::~GuiChannel() {
    delete progreso_.data();
    while (waitDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --waitDepth_;
    }
}

TFormProgreso* GuiChannel::progreso() const {
    return progreso_.data();
}

QString GuiChannel::kindTag(qd::MessageKind kind) {
    switch (kind) {
    case qd::MessageKind::Information:
        return QStringLiteral("information");
    case qd::MessageKind::Warning:
        return QStringLiteral("warning");
    case qd::MessageKind::Error:
        return QStringLiteral("error");
    case qd::MessageKind::Plain:
        return QStringLiteral("message");
    }
    return QStringLiteral("message");
}

void GuiChannel::log(const QString& tag, const QString& text) const {
    if (log_ == nullptr) return;
    QString flat = text;
    flat.replace(QLatin1String("\r\n"), QLatin1String("\\n"));
    flat.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    flat.replace(QLatin1Char('\r'), QLatin1String("\\n"));
    const QByteArray line =
        (QLatin1Char('[') + tag + QLatin1String("] ") + flat + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), log_);
    std::fflush(log_);
}

QString GuiChannel::tituloModulo() {
    return QStringLiteral("Importación de Excel");
}

QString GuiChannel::captionOr(const QString& caption) const {
    return caption.isEmpty() ? tituloModulo() : caption;
}

namespace {
// With QD_MENSAJES_SIN_VENTANA=1 in the environment, message boxes and questions are written to
// the log only (questions take their default answer, "Sí"): unattended runs and end-to-end checks.
bool sinVentana() {
    return qEnvironmentVariableIntValue("QD_MENSAJES_SIN_VENTANA") == 1;
}
} // namespace

void GuiChannel::message(qd::MessageKind kind, const QString& text, const QString& caption) {
    log(kindTag(kind), text);
    if (terminando_ || sinVentana()) return;
    QMessageBox::Icon icon = QMessageBox::Information;
    switch (kind) {
    case qd::MessageKind::Information:
    case qd::MessageKind::Plain: // a plain note: the information icon
        icon = QMessageBox::Information;
        break;
    case qd::MessageKind::Warning:
        icon = QMessageBox::Warning;
        break;
    case qd::MessageKind::Error:
        icon = QMessageBox::Critical;
        break;
    }
    QMessageBox box(icon, captionOr(caption), text, QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("GuiChannelMessage"));
    box.button(QMessageBox::Ok)->setText(QStringLiteral("Aceptar"));
    // A message box shown while the wait cursor is up must still show the arrow.
    const int depth = waitDepth_;
    for (int i = 0; i < depth; ++i)
        QApplication::restoreOverrideCursor();
    box.exec();
    for (int i = 0; i < depth; ++i)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

bool GuiChannel::ask(const QString& text, const QString& caption) {
    log(QStringLiteral("question"), text);
    if (terminando_) {
        log(QStringLiteral("answer"), QStringLiteral("no"));
        return false;
    }
    if (sinVentana()) {
        log(QStringLiteral("answer"), QStringLiteral("sí"));
        return true;
    }
    QMessageBox box(QMessageBox::Question, captionOr(caption), text, QMessageBox::Yes | QMessageBox::No,
                    parent_);
    box.setObjectName(QStringLiteral("GuiChannelQuestion"));
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Sí"));
    box.button(QMessageBox::No)->setText(QStringLiteral("No"));
    box.setDefaultButton(QMessageBox::Yes);
    const int depth = waitDepth_;
    for (int i = 0; i < depth; ++i)
        QApplication::restoreOverrideCursor();
    const bool yes = box.exec() == QMessageBox::Yes;
    for (int i = 0; i < depth; ++i)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    log(QStringLiteral("answer"), yes ? QStringLiteral("sí") : QStringLiteral("no"));
    return yes;
}

void GuiChannel::status(const QString& text, int panel) {
    if (status_) status_(text, panel);
}

void GuiChannel::progressOpen(int maximum) {
    delete progreso_.data();
    progreso_ = new TFormProgreso(parent_);
    progreso_->setMaximum(maximum);
    progreso_->setAvisoCancelar(avisoCancelar_);
    progreso_->showProgress();
}

void GuiChannel::setAvisoCancelar(bool on) {
    avisoCancelar_ = on;
    if (progreso_) progreso_->setAvisoCancelar(on);
}

void GuiChannel::progressStep(const QString& label) {
    if (progreso_) progreso_->step(label);
}

void GuiChannel::progressClose() {
    if (!progreso_) return;
    progreso_->close();
    delete progreso_.data();
}

void GuiChannel::incidence(const QString& line) {
    log(QStringLiteral("incidence"), line);
    incidences_.append(line);
    hayIncidencias_ = true;
}

void GuiChannel::waitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitDepth_;
    } else if (waitDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --waitDepth_;
    }
}

void GuiChannel::processEvents() {
    QCoreApplication::processEvents();
}
