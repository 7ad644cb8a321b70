// Header lines and text encodings that readers and servers take as typed.
#include "mail_test_support.h"
#include "mime.h"
#include "mime_headers.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QList<QByteArray> physicalLines(const QByteArray& header)
{
    QList<QByteArray> lines = header.split('\n');
    EXPECT_TRUE(header.endsWith("\r\n"));
    lines.removeLast();
    return lines;
}

QByteArray unfold(QByteArray header) { return header.replace("\r\n ", " ").replace("\r\n\t", "\t").chopped(2); }

// What a reader makes of encoded words (blanks between them do not count).
QString decodeWords(const QByteArray& value)
{
    static const QRegularExpression word(QStringLiteral("=\\?utf-8\\?B\\?([A-Za-z0-9+/=]*)\\?="));
    QByteArray bytes;
    auto it = word.globalMatch(QString::fromLatin1(value));
    while (it.hasNext())
        bytes += QByteArray::fromBase64(it.next().captured(1).toLatin1());
    return QString::fromUtf8(bytes);
}

struct CollectingSink : mime::Sink {
    QByteArray all;
    bool send(const QByteArray& t) override { return all += t, true; }
    void progress(int, int) override {}
    bool cancelled() override { return false; }
};

TEST(HeaderFolding, LongLinesFoldAtBlanksAndUnfoldUnchanged)
{
    QByteArray to;
    for (int i = 0; i < 40; ++i)
        to = mime::addToHeader(to, QStringLiteral("recipient.number%1@example.com").arg(i), true);
    ASSERT_GT(to.size(), 1200);
    const QByteArray folded = mime::fold(to.chopped(2));
    for (const QByteArray& l : physicalLines(folded))
        EXPECT_LE(l.size(), mime::kFoldAt + 1) << l.constData();
    EXPECT_EQ(unfold(folded), to.chopped(2));

    // Short lines stay as they are; trailing blanks never make a line of their own.
    EXPECT_EQ(mime::fold("Subject: Hi"), "Subject: Hi\r\n");
    const QByteArray trailing = "Subject: " + QByteArray(75, 'x') + "   ";
    EXPECT_EQ(mime::fold(trailing), trailing + "\r\n");

    // A long subject of words folds; one without blanks is encoded instead,
    // so no line ever passes 998.
    QString words;
    while (words.size() < 2400)
        words += QStringLiteral("word%1 ").arg(words.size());
    const QByteArray subject = mime::textHeader("Subject", words.trimmed());
    for (const QByteArray& l : physicalLines(subject))
        EXPECT_LE(l.size(), mime::kFoldAt + 1);
    EXPECT_EQ(unfold(subject), "Subject: " + words.trimmed().toLatin1());

    const QString block(2400, QLatin1Char('x'));
    const QByteArray encoded = mime::textHeader("Subject", block);
    for (const QByteArray& l : physicalLines(encoded))
        EXPECT_LE(l.size(), mime::kFoldAt + 1);
    EXPECT_EQ(decodeWords(encoded), block);
}

TEST(HeaderEncoding, TextAndFileNamesOutsideAscii)
{
    const QString greeting = QStringLiteral("Gr\u00fc\u00dfe aus K\u00f6ln \u2013 \U0001F600");
    const QByteArray subject = mime::textHeader("Subject", greeting);
    EXPECT_TRUE(subject.startsWith("Subject: =?utf-8?B?"));
    EXPECT_EQ(decodeWords(subject), greeting);
    // Text that merely looks like an encoded word is encoded, so it reads as typed.
    EXPECT_EQ(decodeWords(mime::textHeader("Subject", "=?utf-8?B?QQ==?=")), "=?utf-8?B?QQ==?=");

    const QByteArray head = "Content-Disposition: attachment";
    EXPECT_EQ(mime::parameterHeader(head, "filename", "a \"b\".txt"),
              "Content-Disposition: attachment; filename=\"a \\\"b\\\".txt\"\r\n");
    EXPECT_EQ(mime::parameterHeader(head, "filename", QStringLiteral("\u00e4 b.txt")),
              "Content-Disposition: attachment;\r\n filename*0*=utf-8''%C3%A4%20b.txt\r\n");
    const QByteArray longName = mime::parameterHeader(head, "filename", QString(150, QLatin1Char('n')));
    EXPECT_TRUE(longName.contains("filename*0*=utf-8''nnn") && longName.contains("filename*2*=nnn"));
    for (const QByteArray& l : physicalLines(longName))
        EXPECT_LE(l.size(), mime::kFoldAt + 1);
}

TEST(HeaderEncoding, DateAndMessageId)
{
    const QDateTime when(QDate(2026, 12, 8), QTime(17, 5, 9), Qt::OffsetFromUTC, 3600);
    EXPECT_EQ(mime::dateHeader(when), "Date: 08 Dec 2026 17:05:09 +0100\r\n");
    const QByteArray id = mime::messageIdHeader("sam@mail.x.org");
    EXPECT_TRUE(QRegularExpression("^Message-ID: <[0-9a-f-]{36}@mail\\.x\\.org>\r\n$").match(QString::fromLatin1(id)).hasMatch())
        << id.constData();
    EXPECT_NE(id, mime::messageIdHeader("sam@mail.x.org"));
    EXPECT_TRUE(mime::messageIdHeader("no domain").endsWith("@localhost>\r\n"));
    EXPECT_TRUE(mime::messageIdHeader("a@b c>").endsWith("@localhost>\r\n"));
}

TEST(QuotedPrintable, Utf8TextInShortLines)
{
    using L = QList<QByteArray>;
    EXPECT_EQ(mime::quotedPrintableLines(QStringLiteral("Gr\u00fc\u00dfe aus K\u00f6ln\n.\nx = 1 \n")),
              (L{"Gr=C3=BC=C3=9Fe aus K=C3=B6ln\r\n", "..\r\n", "x =3D 1=20\r\n"}));
    const QString longLine = QString(100, QChar(0x00e9));
    const L lines = mime::quotedPrintableLines(longLine);
    QByteArray joined;
    for (const QByteArray& l : lines) {
        EXPECT_LE(l.size(), 76 + 2);
        joined += l.chopped(2);
    }
    // Soft breaks never cut an escape.
    EXPECT_EQ(joined.replace("=\r\n", "").replace("=", "").size(), 400);
    EXPECT_EQ(joined.count("C3A9"), 100);
}

TEST(Boundary, ChosenSoThatNoTextLineHoldsIt)
{
    const QByteArray described = "=========_zarez==_";
    EXPECT_EQ(mime::chooseBoundary(described, {"plain\r\n"}), described);
    EXPECT_EQ(mime::chooseBoundary(described, {"--=========_zarez==_\r\n", "--=========_zarez==__1\r\n"}),
              described + "_2");

    // The whole message: the text's own delimiter line stays text.
    QTemporaryDir dir;
    QStringList files{mailtest::writeFile(dir, "f.bin", 20)};
    CollectingSink sink;
    mime::writeContent(sink, "To: <b@x.org>\r\n", "a@x.org", "S", "before\n--=========_zarez==_\nafter", files);
    EXPECT_TRUE(sink.all.contains("boundary=\"=========_zarez==__1\""));
    EXPECT_EQ(sink.all.count("\r\n--=========_zarez==__1\r\n"), 2);
    EXPECT_TRUE(sink.all.endsWith("\r\n--=========_zarez==__1--\r\n"));
}

TEST(MessageContent, AFileThatCannotBeOpenedIsNotSentEmpty)
{
    CollectingSink sink;
    QStringList files{QStringLiteral("/nonexistent/file.bin")};
    EXPECT_EQ(mime::writeContent(sink, "To: <b@x.org>\r\n", "a@x.org", "S", "T", files), mime::End::Unreadable);
    EXPECT_FALSE(sink.all.contains("file.bin"));
    EXPECT_EQ(files.size(), 1);
}

} // namespace
