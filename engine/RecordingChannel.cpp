#include "RecordingChannel.h"

namespace qd {

QString RecordingChannel::kindName(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information:
        return QStringLiteral("information");
    case MessageKind::Warning:
        return QStringLiteral("warning");
    case MessageKind::Error:
        return QStringLiteral("error");
    case MessageKind::Plain:
        return QStringLiteral("plain");
    }
    return QStringLiteral("plain");
}

QString RecordingChannel::Entry::toString() const {
    switch (call) {
    case Call::Message:
        return QStringLiteral("message:%1:%2").arg(kindName(kind), text);
    case Call::Ask:
        return QStringLiteral("ask:") + text;
    case Call::Status:
        return QStringLiteral("status:") + text;
    case Call::ProgressOpen:
        return QStringLiteral("progress-open:%1").arg(number);
    case Call::ProgressStep:
        return QStringLiteral("progress-step:") + text;
    case Call::ProgressClose:
        return QStringLiteral("progress-close");
    case Call::Incidence:
        return QStringLiteral("incidence:") + text;
    case Call::Events:
        return QStringLiteral("events");
    case Call::WaitCursor:
        return number != 0 ? QStringLiteral("wait-cursor:on") : QStringLiteral("wait-cursor:off");
    }
    return {};
}

void RecordingChannel::message(MessageKind kind, const QString& text, const QString& caption) {
    entries_.append({Call::Message, text, kind, caption, 0});
}

bool RecordingChannel::ask(const QString& text, const QString& caption) {
    const bool answer = answers_.isEmpty() ? defaultAnswer_ : answers_.dequeue();
    entries_.append({Call::Ask, text, MessageKind::Plain, caption, answer ? 1 : 0});
    return answer;
}

void RecordingChannel::status(const QString& text, int panel) {
    entries_.append({Call::Status, text, MessageKind::Plain, {}, panel});
}

void RecordingChannel::progressOpen(int maximum) {
    progressOpen_ = true;
    entries_.append({Call::ProgressOpen, {}, MessageKind::Plain, {}, maximum});
}

void RecordingChannel::progressStep(const QString& label) {
    entries_.append({Call::ProgressStep, label, MessageKind::Plain, {}, 0});
}

void RecordingChannel::progressClose() {
    progressOpen_ = false;
    entries_.append({Call::ProgressClose, {}, MessageKind::Plain, {}, 0});
}

void RecordingChannel::incidence(const QString& line) {
    hasIncidences_ = true;
    entries_.append({Call::Incidence, line, MessageKind::Plain, {}, 0});
}

void RecordingChannel::waitCursor(bool on) {
    entries_.append({Call::WaitCursor, {}, MessageKind::Plain, {}, on ? 1 : 0});
}

void RecordingChannel::processEvents() {
    ++eventsCount_;
    if (recordEvents_) entries_.append({Call::Events, {}, MessageKind::Plain, {}, 0});
    if (cancelAt_ > 0 && eventsCount_ == cancelAt_ && cancelTarget_ != nullptr) *cancelTarget_ = true;
}

void RecordingChannel::scriptAnswers(const QList<bool>& answers) {
    for (bool a : answers)
        answers_.enqueue(a);
}

void RecordingChannel::cancelAfterEvents(int n, bool* flag) {
    if (n <= 0) {
        cancelAt_ = 0;
        return;
    }
    cancelAt_ = eventsCount_ + n;
    if (flag != nullptr) {
        cancelTarget_ = flag;
    } else {
        cancelTarget_ = &ownCancelFlag_;
        ownCancelFlag_ = false;
        bindCancelFlag(&ownCancelFlag_);
    }
}

QStringList RecordingChannel::log() const {
    QStringList out;
    for (const Entry& e : entries_)
        out << e.toString();
    return out;
}

QStringList RecordingChannel::messages() const {
    QStringList out;
    for (const Entry& e : entries_)
        if (e.call == Call::Message) out << e.text;
    return out;
}

QStringList RecordingChannel::messages(MessageKind kind) const {
    QStringList out;
    for (const Entry& e : entries_)
        if (e.call == Call::Message && e.kind == kind) out << e.text;
    return out;
}

QStringList RecordingChannel::questions() const {
    QStringList out;
    for (const Entry& e : entries_)
        if (e.call == Call::Ask) out << e.text;
    return out;
}

QStringList RecordingChannel::statuses() const {
    QStringList out;
    for (const Entry& e : entries_)
        if (e.call == Call::Status) out << e.text;
    return out;
}

QString RecordingChannel::lastStatus() const {
    for (auto it = entries_.crbegin(); it != entries_.crend(); ++it)
        if (it->call == Call::Status) return it->text;
    return {};
}

QStringList RecordingChannel::progressSteps() const {
    QStringList out;
    for (const Entry& e : entries_)
        if (e.call == Call::ProgressStep) out << e.text;
    return out;
}

QStringList RecordingChannel::incidences() const {
    QStringList out;
    for (const Entry& e : entries_)
        if (e.call == Call::Incidence) out << e.text;
    return out;
}

void RecordingChannel::clear() {
    entries_.clear();
    hasIncidences_ = false;
    eventsCount_ = 0;
    cancelAt_ = 0;
}

} // namespace qd
