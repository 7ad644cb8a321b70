// Messages sent to a real SMTP server (aiosmtpd) and read back with Python's
// standard MIME parser.
#include "mail_app.h"
#include "mail_test_support.h"
#include "message_box.h"
#include "smtp_send.h"

#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

class RealServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { sink = new mailtest::SinkServer; }
    static void TearDownTestSuite()
    {
        delete sink;
        sink = nullptr;
    }
    void SetUp() override
    {
        if (!sink->running())
            GTEST_SKIP() << "aiosmtpd not available: " << sink->error().toStdString();
    }
    void TearDown() override { CMailApp::instance().exitInstance(); }

    // Sends one message and returns what the parser read from it.
    QJsonObject sendAndRead(const QString& subject, const QString& text, const QStringList& files = {})
    {
        mailtest::prepareMessage(sink->server(), QStringLiteral("alice@example.org"),
                                 {QStringLiteral("bob@example.com"), QStringLiteral("carol@example.com")}, subject,
                                 text, files);
        EXPECT_EQ(SendMail(), 1);
        EXPECT_TRUE(script.calls().empty());
        return sink->message(count++);
    }
    static QString receivedText(const QJsonObject& m)
    {
        // The parser hands the text back with the line breaks of the wire.
        QString t = m.value("text").toString();
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (t.endsWith(QLatin1Char('\n')))
            t.chop(1);
        return t;
    }

    static mailtest::SinkServer* sink;
    static int count;
    MessageBoxScript script;
};
mailtest::SinkServer* RealServer::sink = nullptr;
int RealServer::count = 0;

TEST_F(RealServer, PlainMessageWithoutAttachments)
{
    const QJsonObject m = sendAndRead(QStringLiteral("Greetings"), QStringLiteral("Hello Bob,\nsee you.\n"));
    EXPECT_EQ(m.value("mail_from").toString(), "alice@example.org");
    EXPECT_EQ(m.value("rcpt_tos").toArray().size(), 2);
    EXPECT_EQ(m.value("subject").toString(), "Greetings");
    EXPECT_EQ(m.value("from").toString(), "alice@example.org");
    EXPECT_EQ(m.value("to").toString(), "bob@example.com, carol@example.com");
    EXPECT_FALSE(m.value("multipart").toBool());
    EXPECT_EQ(receivedText(m), "Hello Bob,\nsee you.");
}

TEST_F(RealServer, TwoAttachmentsComeBackExactly)
{
    QTemporaryDir dir;
    const QString empty = mailtest::writeFile(dir, "empty.bin", 0);
    const QString odd = mailtest::writeFile(dir, "odd size.bin", 511);
    const QJsonObject m = sendAndRead(QStringLiteral("Files"), QStringLiteral("Two files."), {empty, odd});
    EXPECT_TRUE(m.value("multipart").toBool());
    EXPECT_TRUE(m.value("defects").toArray().isEmpty());
    EXPECT_EQ(receivedText(m), "Two files.");
    const QJsonArray att = m.value("attachments").toArray();
    ASSERT_EQ(att.size(), 2);
    EXPECT_EQ(att[0].toObject().value("filename").toString(), "empty.bin");
    EXPECT_EQ(att[1].toObject().value("filename").toString(), "odd size.bin");
    EXPECT_EQ(sink->attachment(count - 1, 0).size(), 0);
    QFile f(odd);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(sink->attachment(count - 1, 1), f.readAll());
}

TEST_F(RealServer, LongTextsAndLonePeriods)
{
    // 2 500 characters in lines of 49 plus line feeds.
    QString text;
    while (text.size() < 2500)
        text += QString(49, QLatin1Char(char('a' + text.size() / 50 % 26))) + QLatin1Char('\n');
    text.truncate(2500);
    text.replace(49 * 1 + 1, 1, QStringLiteral("."));
    text += QStringLiteral("\n.\n..\n.end");
    EXPECT_EQ(receivedText(sendAndRead(QStringLiteral("Long"), text)), text);

    // One line far longer than SMTP allows still arrives, broken into lines.
    const QString oneLine = QString(2500, QLatin1Char('z'));
    const QJsonObject m = sendAndRead(QStringLiteral("One line"), oneLine);
    QString back = receivedText(m);
    back.remove(QLatin1Char('\n'));
    EXPECT_EQ(back, oneLine);
    for (const QByteArray& line : sink->raw(count - 1).split('\n'))
        EXPECT_LE(line.size(), 999);
}

TEST_F(RealServer, LineBreaksInTheSubjectStayInTheSubject)
{
    const QJsonObject m = sendAndRead(QStringLiteral("Hi\r\nBcc: eve@example.net"), QStringLiteral("x"));
    EXPECT_EQ(m.value("rcpt_tos").toArray().size(), 2);
    EXPECT_TRUE(m.value("subject").toString().startsWith("Hi "));
    EXPECT_FALSE(sink->raw(count - 1).contains("\nBcc"));
}

} // namespace
