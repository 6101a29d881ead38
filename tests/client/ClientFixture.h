#pragma once
// One small database per test program, created through the client layer itself, and a user
// channel that records what the components show.

#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

#include "FbStatement.h"
#include "TempDatabase.h"
#include "UserChannel.h"

namespace qd::test {

class ClientTest : public ::testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

protected:
    void SetUp() override;
    void TearDown() override;

    // Runs one statement in its own committed transaction on a second attachment.
    void exec(const QString& sql);
    // Rows of T seen by a fresh attachment (committed data only): all, or those of one ID.
    long countFromOutside(int id = -1);

    static TempDatabase* database_;
    std::unique_ptr<qd::fb::Attachment> db;
    std::unique_ptr<qd::fb::Transaction> tr;
};

class TestChannel : public UserChannel {
public:
    void message(MessageKind, const QString& text, const QString&) override { messages << text; }
    bool ask(const QString& text, const QString&) override {
        questions << text;
        return answer;
    }
    void status(const QString&, int) override {}
    void progressOpen(int) override {}
    void progressStep(const QString&) override {}
    void progressClose() override {}
    void incidence(const QString&) override {}
    void waitCursor(bool on) override {
        cursorLog << (on ? QStringLiteral("wait") : QStringLiteral("default"));
    }
    void processEvents() override {}

    QStringList messages;
    QStringList questions;
    QStringList cursorLog;
    bool answer = true;
};

// Installs a TestChannel as the current channel for its lifetime.
struct ScopedChannel {
    TestChannel channel;
    ScopedChannel() { UserChannel::setCurrent(&channel); }
    ~ScopedChannel() { UserChannel::setCurrent(nullptr); }
};

} // namespace qd::test
