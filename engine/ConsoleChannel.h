#pragma once
// The UserChannel of the headless importer: everything goes to the console.
//
// Messages go to the error stream as "[kind] text" (kind: information, warning, error, message),
// status texts and incidences to the output stream, progress every k-th step and once at the
// end. Questions are printed with the configured answer, which is what the run takes. Line
// breaks inside a text are printed as they are (CR LF made LF). The incidences are also kept,
// for the importer to save at the end.

#include "UserChannel.h"

#include <QStringList>

#include <cstdio>

namespace qd {

struct ConsoleChannelOptions {
    bool answerYes = false; // the answer to every question
    int progressEvery = 0;  // print every k-th progress step; 0: only the final line
    bool quiet = false;     // no status or progress lines (messages and questions still print)
};

class ConsoleChannel : public UserChannel {
public:
    using Options = ConsoleChannelOptions;

    explicit ConsoleChannel(Options options = {}, std::FILE* out = stdout, std::FILE* err = stderr);

    void message(MessageKind kind, const QString& text, const QString& caption = {}) override;
    bool ask(const QString& text, const QString& caption = {}) override;
    void status(const QString& text, int panel = -1) override;
    void progressOpen(int maximum) override;
    void progressStep(const QString& label) override;
    void progressClose() override;
    void incidence(const QString& line) override;

    const QStringList& incidences() const { return incidences_; }
    bool hasIncidences() const { return hasIncidences_; }
    void clearIncidences() {
        incidences_.clear();
        hasIncidences_ = false;
    }
    int messageCount(MessageKind kind) const;

protected:
    void processEvents() override;

private:
    void print(std::FILE* stream, const QString& line);

    Options options_;
    std::FILE* out_;
    std::FILE* err_;
    QStringList incidences_;
    bool hasIncidences_ = false;
    int progressMax_ = 0;
    int progressPos_ = 0;
    QString lastLabel_;
    int counts_[4] = {0, 0, 0, 0};
};

} // namespace qd
