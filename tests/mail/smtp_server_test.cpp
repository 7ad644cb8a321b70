// Messages sent to a real SMTP server (aiosmtpd) and read back with Python's
// standard MIME parser.
#include "mail_app.h"
#include "mail_test_support.h"
#include "message_box.h"
#include "mail_send.h"
#include "smtp_send.h"

#include <QFile>
#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

class RealServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!sink.running())
            GTEST_SKIP() << "aiosmtpd not available: " << sink.error().toStdString();
    }
    void TearDown() override { CMailApp::instance().exitInstance(); }

    // Sends one message and returns what the parser read from it.
    QJsonObject sendAndRead(const QString& subject, const QString& text, const QStringList& files = {},
                            const QStringList& to = {"bob@example.com", "carol@example.com"})
    {
        mailtest::prepareMessage(sink.server(), "alice@example.org", to, subject, text, files);
        EXPECT_EQ(SendMail(), 1);
        EXPECT_TRUE(script.calls().empty());
        return sink.message(count++);
    }
    // The text as the parser hands it back, with the wire's line breaks undone.
    static QString textOf(const QJsonObject& m)
    {
        QString t = m.value("text").toString().replace("\r\n", "\n");
        return t.endsWith('\n') ? t.chopped(1) : t;
    }

    mailtest::SinkServer sink;
    int count = 0;
    MessageBoxScript script;
};

TEST_F(RealServer, PlainMessageAndLongLines)
{
    QJsonObject m = sendAndRead("Greetings", "Hello Bob,\nsee you.\n");
    EXPECT_EQ(m.value("mail_from").toString(), "alice@example.org");
    EXPECT_EQ(m.value("rcpt_tos").toArray().size(), 2);
    EXPECT_EQ(m.value("to").toString(), "bob@example.com, carol@example.com");
    EXPECT_EQ(m.value("from").toString(), "alice@example.org");
    EXPECT_FALSE(m.value("multipart").toBool());
    EXPECT_EQ(textOf(m), "Hello Bob,\nsee you.");

    // One line far longer than SMTP allows still arrives, broken into lines.
    const QString oneLine(2500, 'z');
    EXPECT_EQ(textOf(sendAndRead("One line", oneLine)).remove('\n'), oneLine);
    for (const QByteArray& line : sink.raw(count - 1).split('\n'))
        EXPECT_LE(line.size(), 1000);
}

TEST_F(RealServer, AttachmentsTextAndSubjectComeBackExactly)
{
    QTemporaryDir dir;
    const QString empty = mailtest::writeFile(dir, "empty.bin", 0);
    const QString odd = mailtest::writeFile(dir, "odd size.bin", 511);
    // 2 500 characters in lines of 49, some starting with a period, and a
    // line that is a single period.
    QString text;
    while (text.size() < 2500)
        text += (text.size() % 150 ? "" : ".") + QString(49, QLatin1Char(char('a' + text.size() / 50 % 26))) + '\n';
    text.truncate(2500);
    text += "\n.\n.end";

    const QJsonObject m = sendAndRead("Files\r\nBcc: eve@example.net", text, {empty, odd});
    EXPECT_TRUE(m.value("multipart").toBool());
    EXPECT_TRUE(m.value("defects").toArray().isEmpty());
    EXPECT_EQ(textOf(m), text);
    // The line break in the subject became a blank, not a header of its own.
    EXPECT_EQ(m.value("subject").toString(), "Files  Bcc: eve@example.net");
    EXPECT_EQ(m.value("rcpt_tos").toArray().size(), 2);

    const QJsonArray att = m.value("attachments").toArray();
    ASSERT_EQ(att.size(), 2);
    EXPECT_EQ(att[0].toObject().value("filename").toString(), "empty.bin");
    EXPECT_EQ(att[1].toObject().value("filename").toString(), "odd size.bin");
    EXPECT_EQ(sink.attachment(0, 0).size(), 0);
    QFile f(odd);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(sink.attachment(0, 1), f.readAll());
}

TEST_F(RealServer, GermanTextSubjectAndFileNameReadAsTyped)
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("Gr\u00fc\u00dfe aus K\u00f6ln.bin");
    const QString file = mailtest::writeFile(dir, name, 1000);
    const QString subject = QStringLiteral("Gr\u00fc\u00dfe aus K\u00f6ln");
    const QString text = QStringLiteral("Gr\u00fc\u00dfe aus K\u00f6ln!\n\u00c4rger = 0 \n.\n") + QString(300, QChar(0x00df));
    for (const QStringList& files : {QStringList{}, QStringList{file}}) {
        const QJsonObject m = sendAndRead(subject, text, files);
        EXPECT_EQ(m.value("subject").toString(), subject);
        EXPECT_EQ(textOf(m), text);
        EXPECT_TRUE(m.value("defects").toArray().isEmpty());
        if (!files.isEmpty()) {
            EXPECT_EQ(m.value("attachments").toArray()[0].toObject().value("filename").toString(), name);
            EXPECT_EQ(sink.attachment(count - 1, 0).size(), 1000);
        }
    }
    // Plain ASCII text goes out as it always has.
    sendAndRead("Plain", "Plain text");
    EXPECT_FALSE(sink.raw(count - 1).contains("Content-Transfer-Encoding"));
}

TEST_F(RealServer, FortyRecipientsAndALongSubjectInFoldedHeadersWithDateAndId)
{
    QStringList to;
    for (int i = 0; i < 40; ++i)
        to << QStringLiteral("recipient%1@example.com").arg(i, 2, 10, QLatin1Char('0'));
    QString subject;
    while (subject.size() < 2400)
        subject += QStringLiteral("long subject ");
    subject = subject.trimmed();
    const QJsonObject m = sendAndRead(subject, "Text", {}, to);
    EXPECT_EQ(m.value("rcpt_tos").toArray().size(), 40);
    EXPECT_EQ(m.value("to").toString().split(", ").size(), 40);
    EXPECT_EQ(m.value("subject").toString(), subject);
    EXPECT_FALSE(m.value("date").toString().isEmpty());
    EXPECT_TRUE(m.value("message_id").toString().endsWith("@example.org>"));
    const QByteArray raw = sink.raw(count - 1);
    for (const QByteArray& line : raw.left(raw.indexOf("\r\n\r\n")).split('\n'))
        EXPECT_LE(line.size(), 79) << line.constData();
}

} // namespace
