// One SmtpSession against a scripted server, heard through a recording
// reporter: no window, no message box, no application object.
#include "Socket.h"
#include "mail_test_support.h"
#include "send_reporter.h"
#include "smtp_send.h"
#include "tick_clock.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using mailtest::ScriptedServer;
using mailtest::standardScript;
using Lines = std::vector<std::string>;

namespace {

// Writes every call down as one word ("tell 124", "progress 4", ...), and
// answers Cancel after a given number of attachment lines.
class RecordingReporter : public SendReporter {
public:
    std::vector<std::string> events;
    std::vector<QString> details;
    int linesSent = 0;
    int cancelAfterLines = -1;
    int ends = 0;
    bool deliveredAtEnd = false;

    void started() override { events.push_back("started"); }
    void tell(SendNotice notice, const QString& detail) override
    {
        events.push_back("tell " + std::to_string(int(notice)));
        details.push_back(detail);
    }
    void progress(int value, int step) override
    {
        if (step == StepPosition) {
            // Lines are many; their count is checked, not each one.
            linesSent = value;
            return;
        }
        events.push_back("progress " + std::to_string(step) + (step == StepStartData ? "" : ":" + std::to_string(value)));
    }
    bool cancelled() override { return cancelAfterLines >= 0 && linesSent >= cancelAfterLines; }
    void ended(bool delivered) override
    {
        events.push_back(delivered ? "ended delivered" : "ended");
        ++ends;
        deliveredAtEnd = delivered;
    }
};

OutgoingMail mailTo(const QString& server, const QStringList& recipients, const QStringList& files = {})
{
    OutgoingMail m;
    m.server = server;
    m.sender = QStringLiteral("sam@x.org");
    m.recipients = recipients;
    m.subject = QStringLiteral("Subject");
    m.body = QStringLiteral("Text");
    m.attachments = files;
    return m;
}

int runSession(OutgoingMail& m, RecordingReporter& reporter)
{
    SmtpSession session(m, reporter);
    return session.run();
}

TEST(SendSeam, ADeliveredSendReportsItsStepsInOrderAndEndsOnce)
{
    QTemporaryDir dir;
    // 1 021 bytes: two base64 lines of 510 bytes and one of a single byte.
    const QString file = mailtest::writeFile(dir, "three lines.bin", 1021);
    ScriptedServer server("220 hello", standardScript());
    OutgoingMail m = mailTo(server.server(), {"bob@y.org"}, {file});
    RecordingReporter reporter;
    EXPECT_EQ(runSession(m, reporter), 1);
    EXPECT_EQ(reporter.events,
              (Lines{"started", "progress 4", "progress 5:0", "progress 1:3", "ended delivered"}));
    EXPECT_EQ(reporter.linesSent, 3);
    EXPECT_TRUE(server.sawDataEnd());
    // The dialogue consumed the whole record, the server field with it.
    EXPECT_TRUE(m.recipients.isEmpty() && m.attachments.isEmpty() && m.subject.isEmpty() && m.server.isEmpty());
}

TEST(SendSeam, ANameIsLookedUpAndEachOfItsAddressesTried)
{
    // "localhost" may name ::1 first, where nobody listens: the next address
    // takes the call.
    ScriptedServer server("220 hello", standardScript());
    OutgoingMail m = mailTo(QStringLiteral("localhost:%1").arg(server.port()), {"bob@y.org"});
    RecordingReporter reporter;
    EXPECT_EQ(runSession(m, reporter), 1);
    EXPECT_EQ(reporter.events, (Lines{"started", "progress 4", "ended delivered"}));
    EXPECT_TRUE(server.sawDataEnd());
}

TEST(SendSeam, WhatGoesWrongIsToldBeforeTheEnd)
{
    struct Case {
        const char* command;
        std::string reply;
        Lines events;
    };
    const std::vector<Case> cases = {
        {"HELO", "554 no", {"started", "tell 105", "ended"}},
        {"RCPT", "550 no", {"started", "tell 122", "ended"}},
        {"DATA", "554 no", {"started", "progress 4", "tell 123", "ended"}},
        {"MAIL", "<close>", {"started", "tell 124", "ended"}},
    };
    for (const Case& c : cases) {
        ScriptedServer server("220 hello", standardScript({{c.command, c.reply}}));
        OutgoingMail m = mailTo(server.server(), {"bob@y.org"});
        RecordingReporter reporter;
        EXPECT_EQ(runSession(m, reporter), 0) << c.command;
        EXPECT_EQ(reporter.events, c.events) << c.command;
    }

    // Delivered to one of two: the end comes after the list of the others.
    ScriptedServer server("220 hello", standardScript({{"RCPT TO: <a>", "550 no"}}));
    OutgoingMail m = mailTo(server.server(), {"a", "b"});
    RecordingReporter reporter;
    EXPECT_EQ(runSession(m, reporter), 1);
    EXPECT_EQ(reporter.events, (Lines{"started", "progress 4", "tell 126", "ended delivered"}));
    EXPECT_EQ(reporter.details.back(), "a");
}

TEST(SendSeam, ChecksThatFailReachNoServerAndKeepTheRecord)
{
    RecordingReporter none;
    OutgoingMail empty = mailTo(QStringLiteral("127.0.0.1:1"), {});
    EXPECT_EQ(runSession(empty, none), 0);
    EXPECT_EQ(none.events, (Lines{"tell 113", "ended"}));

    QTemporaryDir dir;
    RecordingReporter unreadable;
    OutgoingMail m = mailTo(QStringLiteral("127.0.0.1:1"), {"bob@y.org"}, {dir.filePath("missing.bin")});
    EXPECT_EQ(runSession(m, unreadable), 0);
    EXPECT_EQ(unreadable.events, (Lines{"tell 125", "ended"}));
    EXPECT_EQ(unreadable.details.front(), dir.filePath("missing.bin"));
    EXPECT_EQ(m.recipients, QStringList{"bob@y.org"});

    RecordingReporter badPort;
    OutgoingMail typed = mailTo(QStringLiteral("127.0.0.1:notaport"), {"bob@y.org"});
    EXPECT_EQ(runSession(typed, badPort), 0);
    EXPECT_EQ(badPort.events, (Lines{"started", "tell 103", "ended"}));
    EXPECT_EQ(typed.server, "127.0.0.1:notaport");
}

TEST(SendSeam, CancelStopsTheSendBeforeTheMessageEnds)
{
    QTemporaryDir dir;
    const QString file = mailtest::writeFile(dir, "big.bin", 2 * 1024 * 1024);
    ScriptedServer server("220 hello", standardScript());
    OutgoingMail m = mailTo(server.server(), {"bob@y.org"}, {file, file});
    RecordingReporter reporter;
    reporter.cancelAfterLines = 100;
    EXPECT_EQ(runSession(m, reporter), 0);
    // A cancelled send says nothing, ends once, and never finishes the message.
    EXPECT_EQ(reporter.events, (Lines{"started", "progress 4", "progress 5:0", "progress 1:4113", "ended"}));
    EXPECT_GE(reporter.linesSent, 100);
    EXPECT_LT(reporter.linesSent, 4113);
    EXPECT_FALSE(server.sawDataEnd());
    EXPECT_TRUE(server.clientClosed());
    EXPECT_TRUE(m.attachments.isEmpty());
}

TEST(SendSeam, ASilentServerTimesOutOnceThroughTheReporter)
{
    tick::setForTest(5000);
    mailwait::setIdleHook([] { tick::advanceForTest(1000); });
    ScriptedServer server("220 hello", standardScript({{"MAIL", ""}}));
    OutgoingMail m = mailTo(server.server(), {"bob@y.org"});
    RecordingReporter reporter;
    EXPECT_EQ(runSession(m, reporter), 0);
    mailwait::setIdleHook(nullptr);
    tick::releaseTestClock();
    EXPECT_EQ(reporter.events, (Lines{"started", "tell 104", "ended"}));
    EXPECT_EQ(server.commands(), (Lines{"HELO x.org", "MAIL FROM: <sam@x.org>", "QUIT"}));
}

} // namespace
