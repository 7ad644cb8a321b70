#include "mail_test_support.h"
#include "mime.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

class RecordingSink : public mime::Sink {
public:
    QList<QByteArray> sent;
    QList<std::pair<int, int>> progress_;
    int cancelAfterLines = -1;
    int dataLines = 0;
    bool send(const QByteArray& text) override
    {
        sent << text;
        return true;
    }
    void progress(int value, int code) override
    {
        progress_ << std::make_pair(value, code);
        if (code == 2)
            ++dataLines;
    }
    bool cancelled() override { return cancelAfterLines >= 0 && dataLines >= cancelAfterLines; }
    QByteArray all() const
    {
        QByteArray a;
        for (const QByteArray& s : sent)
            a += s;
        return a;
    }
    // The content without its Date and Message-ID lines (which differ on
    // every send), after checking that it has them, right after Subject.
    QByteArray fixedPart() const
    {
        const QByteArray a = all();
        const qsizetype date = a.indexOf("\r\nDate: ");
        const qsizetype id = a.indexOf("\r\nMessage-ID: <", date);
        const qsizetype end = a.indexOf("\r\n", id + 2);
        EXPECT_TRUE(date > 0 && id > date && end > id) << a.left(300).constData();
        if (date < 0 || id < 0 || end < 0)
            return a;
        EXPECT_EQ(a.indexOf("\r\n", date + 2), id);
        return a.left(date) + a.mid(end);
    }
};

QByteArray b64(const QByteArray& in)
{
    QByteArray out(int((in.size() + 2) / 3 * 4), '\0');
    const std::size_t n = mime::base64Encode(reinterpret_cast<const uint8_t*>(in.constData()), std::size_t(in.size()),
                                             out.data());
    out.resize(qsizetype(n));
    return out;
}

TEST(Base64, StandardAlphabetAndPadding)
{
    EXPECT_EQ(b64("abc"), "YWJj");
    // Every length and byte value agrees with Qt's encoder.
    std::mt19937 rng(7);
    for (int n = 0; n < 200; ++n) {
        QByteArray in(n, Qt::Uninitialized);
        for (char& c : in)
            c = char(rng());
        ASSERT_EQ(b64(in), in.toBase64()) << n;
    }
}

TEST(Base64, LinesOf510BytesAndTheEndOfTheFile)
{
    QTemporaryDir dir;
    char out[mime::kLineBufferSize];
    QFile f(mailtest::writeFile(dir, "511", 511));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(mime::encodeLine(f, out, mime::kLineBufferSize - 1), 3) << "a short buffer is refused";
    ASSERT_EQ(mime::encodeLine(f, out, sizeof out), 0);
    EXPECT_EQ(std::strlen(out), 680u);
    ASSERT_EQ(mime::encodeLine(f, out, sizeof out), 0);
    EXPECT_EQ(std::string(out).size(), 4u);
    EXPECT_EQ(std::string(out).substr(2), "==");
    EXPECT_EQ(mime::encodeLine(f, out, sizeof out), 2);
    EXPECT_FALSE(f.isOpen()) << "the end closes the file";
}

TEST(MessageText, LineBreaksPeriodsAndLongLines)
{
    using L = QList<QByteArray>;
    EXPECT_EQ(mime::textLines(""), L{});
    EXPECT_EQ(mime::textLines("one\ntwo"), (L{"one\r\n", "two\r\n"}));
    EXPECT_EQ(mime::textLines("one\r\ntwo\r\n"), (L{"one\r\n", "two\r\n"}));
    EXPECT_EQ(mime::textLines("a\n\nb\r"), (L{"a\r\n", "\r\n", "b\r\n"}));
    // Periods at the start of a line are doubled so that none ends the message.
    EXPECT_EQ(mime::textLines(".\n.x\nx.\n"), (L{"..\r\n", "..x\r\n", "x.\r\n"}));

    // A line longer than SMTP allows is broken, never mid-character, and a
    // piece starting with a period is doubled within the limit too.
    const QString longLine = QString(997, QLatin1Char('x')) + QStringLiteral("\u00e9") + QString(5, QLatin1Char('.'));
    const L pieces = mime::textLines(longLine);
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_EQ(pieces[0], QByteArray(997, 'x') + "\r\n");
    EXPECT_EQ(pieces[1], QString(QStringLiteral("\u00e9.....\r\n")).toUtf8());
    EXPECT_EQ(mime::textLines(QString(998, QLatin1Char('x')) + "..."),
              (L{QByteArray(998, 'x') + "\r\n", "....\r\n"}));
    for (const QByteArray& p : mime::textLines(QString(2500, QLatin1Char('.'))))
        EXPECT_LE(p.size(), mime::kMaxTextLine + 2);
}

TEST(MessageContent, PlainTextMessage)
{
    RecordingSink sink;
    QStringList none;
    EXPECT_EQ(mime::writeContent(sink, "To: <b@x.org>\r\n", "a@x.org", "Hi", "Hello\n.\nBye", none),
              mime::End::Complete);
    EXPECT_EQ(sink.fixedPart(), "To: <b@x.org>\r\n"
                          "From: a@x.org\r\n"
                          "Subject: Hi\r\n"
                          "MIME-Version: 1.0\r\n"
                          "\r\n"
                          "Hello\r\n"
                          "..\r\n"
                          "Bye\r\n");
}

TEST(MessageContent, TwoAttachmentsEmptyAndOddSized)
{
    QTemporaryDir dir;
    const QString empty = mailtest::writeFile(dir, "empty.dat", 0);
    const QString odd = mailtest::writeFile(dir, "odd.dat", 511);
    QFile f(odd);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();

    RecordingSink sink;
    QStringList files{empty, odd};
    EXPECT_EQ(mime::writeContent(sink, "To: <b@x.org>\r\n", "a@x.org", "S", "T", files), mime::End::Complete);
    EXPECT_TRUE(files.isEmpty());

    auto part = [](const QByteArray& name) {
        return "\r\n--=========_zarez==_\r\n"
               "Content-Type: application/octet-stream; name=\"" + name + "\"\r\n"
               "Content-Transfer-Encoding: base64\r\n"
               "Content-Disposition: attachment; filename=\"" + name + "\"\r\n"
               "Content-Description: " + name + "\r\n"
               "\r\n";
    };
    const QByteArray expected =
        "To: <b@x.org>\r\n"
        "From: a@x.org\r\n"
        "Subject: S\r\n"
        "MIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"=========_zarez==_\"\r\n\r\n"
        "--=========_zarez==_\r\n"
        "Content-Type: text/plain; charset=\"us-ascii\"\r\n"
        "\r\n"
        "T\r\n"
        + part("empty.dat") + part("odd.dat") + bytes.left(510).toBase64() + "\r\n" + bytes.mid(510).toBase64()
        + "\r\n" + "\r\n--=========_zarez==_--\r\n";
    EXPECT_EQ(sink.fixedPart(), expected);

    // The empty file gets range 0 and no data line; the odd one two lines.
    using P = std::pair<int, int>;
    EXPECT_EQ(sink.progress_, (QList<P>{{0, 5}, {0, 1}, {0, 5}, {2, 1}, {1, 2}, {2, 2}}));
}

TEST(MessageContent, CancelStopsAfterTheCurrentLineAndDropsTheRest)
{
    QTemporaryDir dir;
    QStringList files{mailtest::writeFile(dir, "big", 510 * 10), mailtest::writeFile(dir, "next", 10)};
    RecordingSink sink;
    sink.cancelAfterLines = 3;
    EXPECT_EQ(mime::writeContent(sink, "To: <b@x.org>\r\n", "a@x.org", "S", "", files), mime::End::Cancelled);
    EXPECT_EQ(sink.dataLines, 3);
    // Nothing closes the multipart body: the sender abandons the message.
    EXPECT_FALSE(sink.all().contains("zarez==_--"));
    EXPECT_FALSE(sink.all().contains("next"));
}

TEST(MessageContent, LineBreaksInHeaderValuesNeverStartANewLine)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("x"));
    const QString evil = mailtest::writeFile(dir, "x/a\r\nBcc: c@evil\".txt", 3);
    RecordingSink sink;
    QStringList files{evil};
    mime::writeContent(sink, mime::addToHeader({}, "b@x.org>\r\nBcc: <c@evil", false), "a@x.org\nBcc: d@evil",
                       "Hi\r\nBcc: e@evil", "", files);
    const QByteArray all = sink.all();
    for (const QByteArray& line : all.split('\n'))
        EXPECT_FALSE(line.startsWith("Bcc")) << line.constData();
    EXPECT_TRUE(all.contains("Subject: Hi  Bcc: e@evil\r\n"));
    // A quote in a file name cannot end the quoted parameter.
    EXPECT_TRUE(all.contains("name=\"a  Bcc: c@evil\\\".txt\"\r\n"));
}

} // namespace
