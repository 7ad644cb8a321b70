// The SMTP dialogue against a scripted server: refusals, odd reply codes,
// multi-line replies, silence, hang-ups and cancelling.
#include "Socket.h"
#include "mail_app.h"
#include "mail_resources.h"
#include "mail_test_support.h"
#include "message_box.h"
#include "progress_dialog.h"
#include "smtp_send.h"
#include "tick_clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTcpServer>
#include <QTimer>

#include <gtest/gtest.h>

using mailtest::ScriptedServer;
using mailtest::standardScript;

namespace {

class EndCounter : public QObject {
public:
    int ends = 0;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::Type(1145)) {
            ++ends;
            return true;
        }
        return QObject::event(e);
    }
};

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
    std::vector<QString> boxes() const
    {
        std::vector<QString> t;
        for (const auto& c : script.calls())
            t.push_back(c.text);
        return t;
    }
    static QString text(int id) { return CMailApp::instance().text(id); }

    MessageBoxScript script;
    EndCounter counter;
};

using Lines = std::vector<std::string>;

TEST_F(SmtpDialogue, ADeliveredMessageFollowsTheDialogueInOrder)
{
    ScriptedServer server("220 hello", standardScript());
    EXPECT_EQ(send(server.server(), {"bob@y.org"}), 1);
    EXPECT_EQ(server.commands(),
              (Lines{"HELO x.org", "MAIL FROM: <sam@x.org>", "RCPT TO: <bob@y.org>", "DATA ", ".", "QUIT"}));
    EXPECT_TRUE(server.sawDataEnd());
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(counter.ends, 1);
    // Each send consumes the message, the server field included.
    const MailMessage& m = CMailApp::instance().message();
    EXPECT_TRUE(m.server.isEmpty());
    EXPECT_TRUE(m.recipients.isEmpty());
    EXPECT_TRUE(m.subject.isEmpty());
    EXPECT_TRUE(m.progress.isNull());
}

TEST_F(SmtpDialogue, HeloOrMailFromRefusedTellsTheUserAndQuits)
{
    {
        ScriptedServer server("220 hello", standardScript({{"HELO", "554 go away"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org"}), 0);
        EXPECT_EQ(server.commands(), (Lines{"HELO x.org", "QUIT"}));
    }
    {
        ScriptedServer server("220 hello", standardScript({{"MAIL", "553 not you"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org"}), 0);
        EXPECT_EQ(server.commands(), (Lines{"HELO x.org", "MAIL FROM: <sam@x.org>", "QUIT"}));
    }
    EXPECT_EQ(boxes(), (std::vector<QString>{text(res::ServerRejects), text(res::ServerRejects)}));
    EXPECT_EQ(counter.ends, 2);
}

TEST_F(SmtpDialogue, OneAcceptedRecipientOfThreeStillSends)
{
    ScriptedServer server("220 hello", standardScript({{"RCPT TO: <a>", "550 no"}, {"RCPT TO: <c>", "550 no"}}));
    EXPECT_EQ(send(server.server(), {"a", "b", "c"}), 1);
    const Lines cmds = server.commands();
    ASSERT_GE(cmds.size(), 6u);
    EXPECT_EQ(cmds[2], "RCPT TO: <a>");
    EXPECT_EQ(cmds[3], "RCPT TO: <b>");
    EXPECT_EQ(cmds[4], "RCPT TO: <c>");
    EXPECT_EQ(cmds[5], "DATA ");
    EXPECT_EQ(server.data().substr(0, 17), "To: <b> , <c>\r\nFr");
}

TEST_F(SmtpDialogue, ReplyCodesToRecipients)
{
    for (const auto& [code, ok] : std::vector<std::pair<std::string, bool>>{{"251", true}, {"252", true}, {"550", false}}) {
        script.clear();
        ScriptedServer server("220 hello", standardScript({{"RCPT", code + " well"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org"}), ok ? 1 : 0) << code;
        EXPECT_EQ(server.sawDataEnd(), ok) << code;
        if (ok)
            EXPECT_TRUE(boxes().empty()) << code;
        else
            EXPECT_EQ(boxes(), std::vector<QString>{text(res::NoRecipientAccepted)});
    }
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
    EXPECT_EQ(server.data().substr(0, 10), "To: <b>\r\nF");
}

TEST_F(SmtpDialogue, SilenceTimesOutAfter90SecondsOfTheScriptedClock)
{
    tick::setForTest(5000);
    mailwait::setIdleHook([] { tick::advanceForTest(1000); });
    ScriptedServer server("220 hello", standardScript({{"HELO", ""}}));
    QElapsedTimer real;
    real.start();
    EXPECT_EQ(send(server.server(), {"bob@y.org"}), 0);
    EXPECT_LT(real.elapsed(), 20000);
    // Only the time-out is reported, not a refusal; QUIT still goes out.
    EXPECT_EQ(boxes(), std::vector<QString>{text(res::TimedOut)});
    EXPECT_EQ(server.commands(), (Lines{"HELO x.org", "QUIT"}));
    EXPECT_EQ(counter.ends, 1);
}

TEST_F(SmtpDialogue, AHangUpMidwayIsAFailureNotACrash)
{
    {
        ScriptedServer server("220 hello", standardScript({{"RCPT", "<close>"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org", "eve@y.org"}), 0);
    }
    {
        ScriptedServer server("220 hello", standardScript({{"HELO", "<close>"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org"}), 0);
    }
    EXPECT_EQ(boxes(), (std::vector<QString>{text(res::ConnectionLost), text(res::ConnectionLost)}));
    EXPECT_EQ(counter.ends, 2);
}

TEST_F(SmtpDialogue, RefusedDataOrMessageIsNotSuccess)
{
    {
        ScriptedServer server("220 hello", standardScript({{"DATA", "554 no data"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org"}), 0);
        // Nothing of the message may reach a server that would read it as commands.
        EXPECT_EQ(server.commands().back(), "QUIT");
        EXPECT_EQ(server.commands().size(), 5u);
    }
    {
        ScriptedServer server("220 hello", standardScript({{".", "552 too big"}}));
        EXPECT_EQ(send(server.server(), {"bob@y.org"}), 0);
        EXPECT_TRUE(server.sawDataEnd());
    }
    EXPECT_EQ(boxes(), (std::vector<QString>{text(res::MessageRefused), text(res::MessageRefused)}));
}

TEST_F(SmtpDialogue, NoRecipientOrNoServer)
{
    EXPECT_EQ(send(QStringLiteral("127.0.0.1:1"), {}), 0);
    EXPECT_EQ(counter.ends, 1);

    quint16 freePort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        freePort = probe.serverPort();
    }
    EXPECT_EQ(send(QStringLiteral("127.0.0.1:%1").arg(freePort), {"bob@y.org"}), 0);
    EXPECT_EQ(send(QStringLiteral("127.0.0.1:notaport"), {"bob@y.org"}), 0);
    EXPECT_EQ(boxes(), (std::vector<QString>{text(res::NoRecipient), text(res::HostUnreachable),
                                             text(res::HostUnreachable)}));
    EXPECT_EQ(counter.ends, 3);
    EXPECT_TRUE(CMailApp::instance().message().server.isEmpty());
}

TEST_F(SmtpDialogue, AnEmptyServerFieldUsesTheSendersDomain)
{
    ScriptedServer server("220 hello", standardScript());
    const QString sender = QStringLiteral("sam@") + server.server();
    EXPECT_EQ(send(QString(), {"bob@y.org"}, {}, sender), 1);
    EXPECT_EQ(server.commands().front(), "HELO " + server.server().toStdString());
}

TEST_F(SmtpDialogue, CancelDuringAnAttachmentAbandonsTheMessage)
{
    QTemporaryDir dir;
    const QString big = mailtest::writeFile(dir, "big.bin", 8 * 1024 * 1024);
    // The server reads slowly, so the send is still going when Cancel comes.
    ScriptedServer server("220 hello", standardScript(), 20);
    QTimer::singleShot(300, [] {
        if (CProgressDialog* p = CMailApp::instance().message().progress.data())
            p->cancelButton()->click();
    });
    EXPECT_EQ(send(server.server(), {"bob@y.org"}, {big, big}), 0);
    // The message never ends, so the server must drop it.
    EXPECT_FALSE(server.sawDataEnd());
    EXPECT_TRUE(server.clientClosed());
    EXPECT_LT(server.data().size(), 8u * 1024 * 1024);
    EXPECT_EQ(boxes(), std::vector<QString>{});
    EXPECT_TRUE(CMailApp::instance().message().attachments.isEmpty());
    EXPECT_EQ(counter.ends, 1);
}

TEST(ServerField, HostAndPort)
{
    QString host;
    quint16 port = 0;
    EXPECT_TRUE(splitServer("mail.x.org", host, port));
    EXPECT_EQ(host, "mail.x.org");
    EXPECT_EQ(port, 25);
    EXPECT_TRUE(splitServer(" 127.0.0.1:2525 ", host, port));
    EXPECT_EQ(host, "127.0.0.1");
    EXPECT_EQ(port, 2525);
    EXPECT_TRUE(splitServer("[::1]:26", host, port));
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(port, 26);
    EXPECT_TRUE(splitServer("::1", host, port));
    EXPECT_EQ(port, 25);
    EXPECT_FALSE(splitServer("x:0", host, port));
    EXPECT_FALSE(splitServer("x:70000", host, port));
    EXPECT_FALSE(splitServer("x:", host, port));
}

} // namespace
