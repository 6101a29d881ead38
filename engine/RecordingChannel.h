#pragma once
// A UserChannel for tests: records every call in order and answers questions from a script.
//
// Each call becomes one Entry; toString() gives it as one line:
//   "message:information:<text>", "message:warning:<text>", "message:error:<text>",
//   "message:plain:<text>", "ask:<text>", "status:<text>", "progress-open:<maximum>",
//   "progress-step:<label>", "progress-close", "incidence:<line>", "events", "wait-cursor:on|off".
// Questions take the next scripted answer, or the default answer when the script is spent.
// cancelAfterEvents(n) sets a cancel flag during the n-th processEvents(), as a user pressing
// the cancel shortcut while the n-th row lets window messages through.

#include "UserChannel.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

namespace qd {

class RecordingChannel : public UserChannel {
public:
    enum class Call {
        Message,
        Ask,
        Status,
        ProgressOpen,
        ProgressStep,
        ProgressClose,
        Incidence,
        Events,
        WaitCursor
    };

    struct Entry {
        Call call;
        QString text;                                // message, question, status, label, incidence
        MessageKind kind = MessageKind::Information; // messages only
        QString caption;                             // messages and questions
        int number = 0;                              // progress maximum; wait cursor 1/0; answer 1/0
        QString toString() const;
    };

    RecordingChannel() = default;

    void message(MessageKind kind, const QString& text, const QString& caption = {}) override;
    bool ask(const QString& text, const QString& caption = {}) override;
    void status(const QString& text, int panel = -1) override;
    void progressOpen(int maximum) override;
    void progressStep(const QString& label) override;
    void progressClose() override;
    void incidence(const QString& line) override;
    void waitCursor(bool on) override;

    // Script of answers to questions, taken in order; then the default.
    void scriptAnswers(const QList<bool>& answers);
    void setDefaultAnswer(bool yes) { defaultAnswer_ = yes; }

    // Sets *flag (or, when null, a flag of the recorder's own that it binds as the cancel flag)
    // during the n-th processEvents() from now (n >= 1). n <= 0 switches it off.
    void cancelAfterEvents(int n, bool* flag = nullptr);

    // Whether to record "events" entries (on by default; switch off to compare only what the
    // user would see).
    void setRecordEvents(bool on) { recordEvents_ = on; }

    const QList<Entry>& entries() const { return entries_; }
    QStringList log() const;                      // every entry as toString()
    QStringList messages() const;                 // every message text
    QStringList messages(MessageKind kind) const; // the texts of one kind
    QStringList questions() const;
    QStringList statuses() const;
    QString lastStatus() const;                           // empty when none
    QStringList progressSteps() const;                    // the labels
    QStringList incidences() const;                       // the lines, in order
    bool hasIncidences() const { return hasIncidences_; } // the incidence flag
    int eventsCount() const { return eventsCount_; }
    bool progressOpenNow() const { return progressOpen_; }
    void clear();

    static QString kindName(MessageKind kind); // "information", "warning", "error", "plain"

protected:
    void processEvents() override;

private:
    QList<Entry> entries_;
    QQueue<bool> answers_;
    bool defaultAnswer_ = false;
    bool recordEvents_ = true;
    int eventsCount_ = 0;
    int cancelAt_ = 0; // eventsCount_ value at which to set the flag; 0: never
    bool* cancelTarget_ = nullptr;
    bool ownCancelFlag_ = false;
    bool hasIncidences_ = false;
    bool progressOpen_ = false;
};

} // namespace qd
