// The SMTP dialogue against a scripted server: refusals, odd reply codes,
// multi-line replies, silence, hang-ups and cancelling.
#include "Socket.h"
#include "mail_app.h"
#include "mail_resources.h"
#include "mail_test_support.h"
#include "message_box.h"
#include "progress_dialog.h"
#include "mail_send.h"
#include "smtp_send.h"
#include "tick_clock.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

using mailtest::ScriptedServer;
using mailtest::standardScript;
using Lines = std::vector<std::string>;

namespace {

class EndCounter : public QObject {
public:
    int ends = 0;
    bool event(QEvent* e) override { return e->type() == QEvent::Type(1145) ? ++ends : QObject::event(e); }
};

QString text(int id) { return CMailApp::instance().text(id); }

class SmtpDialogue : public ::testing::Test {
protected:
    void TearDown() override
    {
        mailwait::setIdleHook(nullptr);
        tick::releaseTestClock();
        CMailApp::instance().exitInstance();
    }
    int send(const QString& server, const QStringList& recipients, const QStringList& files = {},
             const QString& sender = QStringLiteral("sam@x.org"))
    {
        mailtest::prepareMessage(server, sender, recipients, QStringLiteral("Subject"), QStringLiteral("Text"), files);
        CMailApp::instance().message().notifyWindow = &counter;
        return SendMail();
    }
    QStringList boxes() const
    {
        QStringList t;
        for (const auto& c : script.calls())
            t << c.text;
        return t;
    }
    MessageBoxScript script;
    EndCounter counter;
};

TEST_F(SmtpDialogue, ADeliveredMessageFollowsTheDialogueAndEmptiesTheRecord)
{
    ScriptedServer server("220 hello", standardScript());
    EXPECT_EQ(send(server.server(), {"bob@y.org"}), 1);
    EXPECT_EQ(server.commands(),
              (Lines{"HELO x.org", "MAIL FROM: <sam@x.org>", "RCPT TO: <bob@y.org>", "DATA ", ".", "QUIT"}));
    EXPECT_TRUE(boxes().isEmpty());
    EXPECT_EQ(counter.ends, 1);
    const MailMessage& m = CMailApp::instance().message();
    EXPECT_TRUE(m.server.isEmpty() && m.recipients.isEmpty() && m.subject.isEmpty() && m.progress.isNull());

    // With the server field empty, the sender's domain is the server.
    ScriptedServer second("220 hello", standardScript());
    EXPECT_EQ(send(QString(), {"bob@y.org"}, {}, "sam@" + second.server()), 1);
    EXPECT_EQ(second.commands().front(), "HELO " + second.server().toStdString());
}

TEST_F(SmtpDialogue, RefusalsAreReportedAndEndWithQuit)
{
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"HELO", {"HELO x.org", "QUIT"}},
        {"MAIL", {"HELO x.org", "MAIL FROM: <sam@x.org>", "QUIT"}},
        // Nothing of the message may reach a server that would read it as commands.
        {"DATA", {"HELO x.org", "MAIL FROM: <sam@x.org>", "RCPT TO: <bob@y.org>", "DATA ", "QUIT"}},
        {".", {"HELO x.org", "MAIL FROM: <sam@x.org>", "RCPT TO: <bob@y.org>", "DATA ", ".", "QUIT"}},
    };
    for (const auto& [command, expected] : cases) {
        ScriptedServer server("220 hello", standardScript({{command, "554 no"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org"}), 0) << command;
        EXPECT_EQ(server.commands(), expected) << command;
    }
    EXPECT_EQ(boxes(), (QStringList{text(res::ServerRejects), text(res::ServerRejects), text(res::MessageRefused),
                                    text(res::MessageRefused)}));
    EXPECT_EQ(counter.ends, 4);
}

TEST_F(SmtpDialogue, OneAcceptedRecipientOfThreeStillSends)
{
    ScriptedServer server("220 hello", standardScript({{"RCPT TO: <a>", "550 no"}, {"RCPT TO: <c>", "550 no"}}));
    EXPECT_EQ(send(server.server(), {"a", "b", "c"}), 1);
    const Lines cmds = server.commands();
    EXPECT_EQ(Lines(cmds.begin() + 2, cmds.begin() + 6), (Lines{"RCPT TO: <a>", "RCPT TO: <b>", "RCPT TO: <c>", "DATA "}));
    EXPECT_EQ(server.data().substr(0, 17), "To: <b> , <c>\r\nFr");
    // Done, and the user hears whom it did not reach.
    EXPECT_EQ(boxes(), QStringList{text(res::RecipientsRefused) + "\na\nc"});
}

TEST_F(SmtpDialogue, ReplyCodesToRecipients)
{
    for (const auto& [code, ok] : std::vector<std::pair<std::string, bool>>{{"251", true}, {"252", true}, {"550", false}}) {
        ScriptedServer server("220 hello", standardScript({{"RCPT", code + " well"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org"}), ok ? 1 : 0) << code;
        EXPECT_EQ(server.sawDataEnd(), ok) << code;
    }
    EXPECT_EQ(boxes(), QStringList{text(res::NoRecipientAccepted)});
}

TEST_F(SmtpDialogue, MultiLineRepliesAreReadToTheirLastLine)
{
    ScriptedServer server("220-welcome\r\n220-to the\r\n220 test",
                          standardScript({{"HELO", "250-x.test\r\n250-SIZE 1000\r\n250 HELP"},
                                          {"RCPT TO: <a>", "550-no such\r\n550 user"},
                                          {"RCPT TO: <b>", "250-fine\r\n250 ok"}}));
    EXPECT_EQ(send(server.server(), {"a", "b"}), 1);
    EXPECT_EQ(server.commands(),
              (Lines{"HELO x.org", "MAIL FROM: <sam@x.org>", "RCPT TO: <a>", "RCPT TO: <b>", "DATA ", ".", "QUIT"}));
}

TEST_F(SmtpDialogue, SilenceTimesOutAfter90SecondsOfTheScriptedClock)
{
    tick::setForTest(5000);
    mailwait::setIdleHook([] { tick::advanceForTest(1000); });
    ScriptedServer server("220 hello", standardScript({{"HELO", ""}}));
    EXPECT_EQ(send(server.server(), {"bob@y.org"}), 0);
    // Only the time-out is reported, not a refusal; QUIT still goes out.
    EXPECT_EQ(boxes(), QStringList{text(res::TimedOut)});
    EXPECT_EQ(server.commands(), (Lines{"HELO x.org", "QUIT"}));
    EXPECT_EQ(counter.ends, 1);
}

TEST_F(SmtpDialogue, HangUpsAndMissingServersAreFailures)
{
    for (const char* where : {"HELO", "RCPT"}) {
        ScriptedServer server("220 hello", standardScript({{where, "<close>"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org", "eve@y.org"}), 0) << where;
    }
    quint16 freePort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        freePort = probe.serverPort();
    }
    EXPECT_EQ(send(QStringLiteral("127.0.0.1:%1").arg(freePort), {"bob@y.org"}), 0);
    EXPECT_EQ(send(QStringLiteral("127.0.0.1:notaport"), {"bob@y.org"}), 0);
    EXPECT_EQ(send(QStringLiteral("127.0.0.1:1"), {}), 0);
    EXPECT_EQ(boxes(), (QStringList{text(res::ConnectionLost), text(res::ConnectionLost), text(res::HostUnreachable),
                                    text(res::HostUnreachable), text(res::NoRecipient)}));
    EXPECT_EQ(counter.ends, 5);
}

TEST_F(SmtpDialogue, CancelDuringAnAttachmentAbandonsTheMessage)
{
    QTemporaryDir dir;
    const QString big = mailtest::writeFile(dir, "big.bin", 8 * 1024 * 1024);
    // The server reads slowly, so the send is still going when Cancel comes.
    ScriptedServer server("220 hello", standardScript(), 20);
    QTimer::singleShot(300, [] { CMailApp::instance().message().progress->cancelButton()->click(); });
    EXPECT_EQ(send(server.server(), {"bob@y.org"}, {big, big}), 0);
    // The message never ends, so the server must drop it.
    EXPECT_FALSE(server.sawDataEnd());
    EXPECT_TRUE(server.clientClosed());
    EXPECT_TRUE(boxes().isEmpty());
    EXPECT_TRUE(CMailApp::instance().message().attachments.isEmpty());
    EXPECT_EQ(counter.ends, 1);
}

TEST_F(SmtpDialogue, ASecondSendWhileOneRunsIsRefusedAndChangesNothing)
{
    QTemporaryDir dir;
    const QString file = mailtest::writeFile(dir, "f.bin", 400 * 1024);
    ScriptedServer server("220 hello", standardScript(), 20);
    int second = -1;
    bool sameSocket = false;
    QStringList attachmentsDuring;
    QTimer::singleShot(100, [&] {
        MailMessage& m = CMailApp::instance().message();
        CMailSocket* before = m.socket;
        attachmentsDuring = m.attachments;
        second = SendMail();
        sameSocket = before && m.socket == before && m.attachments == attachmentsDuring;
    });
    EXPECT_EQ(send(server.server(), {"bob@y.org"}, {file}), 1);
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(sameSocket);
    EXPECT_TRUE(server.sawDataEnd());
    EXPECT_TRUE(boxes().isEmpty());
    EXPECT_EQ(counter.ends, 1);
    EXPECT_FALSE(SendRunning());
}

TEST_F(SmtpDialogue, UnreadableAttachmentsSendNothingAndKeepTheRecord)
{
    QTemporaryDir dir;
    const QString good = mailtest::writeFile(dir, "good.bin", 10);
    for (const QString& bad : {dir.filePath("missing.bin"), dir.path()}) {
        // No server at all: nothing may try to reach one.
        EXPECT_EQ(send("127.0.0.1:1", {"bob@y.org"}, {good, bad}), 0);
        const MailMessage& m = CMailApp::instance().message();
        EXPECT_EQ(m.recipients, QStringList{"bob@y.org"});
        EXPECT_EQ(m.subject, "Subject");
        EXPECT_EQ(m.server, "127.0.0.1:1");
        EXPECT_EQ(boxes().value(0), text(res::UnreadableFile) + "\n" + bad);
        script.clear();
    }
    EXPECT_EQ(counter.ends, 2);
}

TEST_F(SmtpDialogue, AConnectThatFailsKeepsWhatTheUserTyped)
{
    quint16 freePort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        freePort = probe.serverPort();
    }
    for (const QString& where : {QStringLiteral("127.0.0.1:%1").arg(freePort), QStringLiteral("127.0.0.1:notaport"),
                                 QStringLiteral("no-such-host.invalid")}) {
        EXPECT_EQ(send(where, {"bob@y.org", "eve@y.org"}), 0) << where.toStdString();
        const MailMessage& m = CMailApp::instance().message();
        EXPECT_EQ(m.recipients, (QStringList{"bob@y.org", "eve@y.org"}));
        EXPECT_EQ(m.sender, "sam@x.org");
        EXPECT_EQ(m.body, "Text");
        EXPECT_EQ(m.server, where);
    }
    EXPECT_EQ(boxes(), QStringList(3, text(res::HostUnreachable)));
}

// Cancel pressed while the send waits: within half a second it ends, with
// no message and no half message delivered, and the host's timers ran.
TEST_F(SmtpDialogue, CancelWorksWhileTheServerStopsReadingOrStaysSilent)
{
    QTemporaryDir dir;
    const QString big = mailtest::writeFile(dir, "big.bin", 24 * 1024 * 1024);
    for (const bool silent : {false, true}) {
        // Either it answers nothing after HELO, or it stops reading the data.
        ScriptedServer server("220 hello", standardScript({{"HELO", silent ? "" : "250 ok"}}), silent ? 0 : -2500);
        int ticks = 0;
        QTimer host;
        QObject::connect(&host, &QTimer::timeout, [&] { ++ticks; });
        host.start(50);
        QElapsedTimer sinceCancel;
        QTimer::singleShot(1500, [&] {
            sinceCancel.start();
            CMailApp::instance().message().progress->cancelButton()->click();
        });
        EXPECT_EQ(send(server.server(), {"bob@y.org"}, {big}), 0);
        ASSERT_TRUE(sinceCancel.isValid()) << silent;
        EXPECT_LT(sinceCancel.elapsed(), 1000) << silent;
        EXPECT_GE(ticks, 20) << silent;
        EXPECT_TRUE(boxes().isEmpty()) << silent;
        EXPECT_FALSE(server.sawDataEnd()) << silent;
    }
}

TEST_F(SmtpDialogue, AFloodOfReplyLinesFailsLikeATimeOut)
{
    std::string flood = "354 go ahead";
    for (int i = 0; i < 300000; ++i)
        flood += "\r\n250-x";
    QTemporaryDir dir;
    // Larger than the system's socket buffers on both ends can take (they
    // grow to a few MB on a busy loopback): the client must wait for the
    // server while sending, which is when it finds the flood. A smaller
    // file could go out whole before the first wait, ending the data.
    const QString file = mailtest::writeFile(dir, "f.bin", 24 * 1024 * 1024);
    ScriptedServer server("220 hello", standardScript({{"DATA", flood}}));
    EXPECT_EQ(send(server.server(), {"bob@y.org"}, {file}), 0);
    EXPECT_EQ(boxes(), QStringList{text(res::TimedOut)});
    EXPECT_FALSE(server.sawDataEnd());
}

TEST(ServerField, HostAndPort)
{
    QString host;
    quint16 port = 0;
    EXPECT_TRUE(splitServer("mail.x.org", host, port) && host == "mail.x.org" && port == 25);
    EXPECT_TRUE(splitServer(" 127.0.0.1:2525 ", host, port) && host == "127.0.0.1" && port == 2525);
    EXPECT_TRUE(splitServer("[::1]:26", host, port) && host == "::1" && port == 26);
    EXPECT_TRUE(splitServer("::1", host, port) && host == "::1" && port == 25);
    for (const char* bad : {"x:0", "x:70000", "x:"})
        EXPECT_FALSE(splitServer(bad, host, port)) << bad;
}

} // namespace
