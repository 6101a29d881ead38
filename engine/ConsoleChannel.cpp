#include "ConsoleChannel.h"

#include <QCoreApplication>

namespace qd {

namespace {

QString kindTag(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information:
        return QStringLiteral("[information]");
    case MessageKind::Warning:
        return QStringLiteral("[warning]");
    case MessageKind::Error:
        return QStringLiteral("[error]");
    case MessageKind::Plain:
        return QStringLiteral("[message]");
    }
    return QStringLiteral("[message]");
}

QString unixLines(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

ConsoleChannel::ConsoleChannel(Options options, std::FILE* out, std::FILE* err)
    : options_(options), out_(out), err_(err) {}

void ConsoleChannel::print(std::FILE* stream, const QString& line) {
    const QByteArray bytes = unixLines(line).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void ConsoleChannel::message(MessageKind kind, const QString& text, const QString& caption) {
    ++counts_[static_cast<int>(kind)];
    print(err_, caption.isEmpty()
                    ? kindTag(kind) + QLatin1Char(' ') + text
                    : kindTag(kind) + QLatin1String(" ") + caption + QLatin1String(": ") + text);
}

bool ConsoleChannel::ask(const QString& text, const QString& caption) {
    (void)caption;
    print(err_, QStringLiteral("[question] ") + text);
    print(err_, options_.answerYes ? QStringLiteral("[answer] sí") : QStringLiteral("[answer] no"));
    return options_.answerYes;
}

void ConsoleChannel::status(const QString& text, int panel) {
    (void)panel;
    if (!options_.quiet && !text.isEmpty()) print(out_, text);
}

void ConsoleChannel::progressOpen(int maximum) {
    progressMax_ = maximum;
    progressPos_ = 0;
    lastLabel_.clear();
}

void ConsoleChannel::progressStep(const QString& label) {
    ++progressPos_;
    lastLabel_ = label;
    if (!options_.quiet && options_.progressEvery > 0 && progressPos_ % options_.progressEvery == 0)
        print(out_, QStringLiteral("%1/%2 %3").arg(progressPos_).arg(progressMax_).arg(label));
}

void ConsoleChannel::progressClose() {
    if (!options_.quiet) print(out_, QStringLiteral("%1/%2 terminado").arg(progressPos_).arg(progressMax_));
    progressMax_ = progressPos_ = 0;
}

void ConsoleChannel::incidence(const QString& line) {
    incidences_ << line;
    hasIncidences_ = true;
    print(out_, QStringLiteral("[incidencia] ") + line);
}

int ConsoleChannel::messageCount(MessageKind kind) const {
    return counts_[static_cast<int>(kind)];
}

void ConsoleChannel::processEvents() {
    // Lets timers and signal notifiers of the importer run (e.g. an interrupt that sets the flag).
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

} // namespace qd
