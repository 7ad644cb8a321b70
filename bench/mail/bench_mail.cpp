// Mail library speed: base64 encoding throughput, and one 10 MB attachment
// sent to a local aiosmtpd next to curl sending the same encoded message.
#include "mail_app.h"
#include "message_box.h"
#include "mime.h"
#include "smtp_send.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QByteArray randomBytes(qsizetype n)
{
    QByteArray b(n, Qt::Uninitialized);
    std::mt19937_64 rng(42);
    for (qsizetype i = 0; i + 8 <= n; i += 8) {
        const uint64_t v = rng();
        std::memcpy(b.data() + i, &v, 8);
    }
    return b;
}

void benchBase64()
{
    const qsizetype size = 64 * 1024 * 1024;
    const QByteArray in = randomBytes(size);
    std::vector<char> out(std::size_t(size / 3 * 4 + 8));
    const auto* src = reinterpret_cast<const uint8_t*>(in.constData());

    struct Row {
        const char* what;
        std::function<void()> run;
    };
    const Row rows[] = {
        {"ours, 510-byte lines (as sent)",
         [&] {
             char* o = out.data();
             for (qsizetype i = 0; i < size; i += mime::kLineBytes)
                 o += mime::base64Encode(src + i, std::size_t(std::min<qsizetype>(mime::kLineBytes, size - i)), o);
         }},
        {"ours, one block", [&] { mime::base64Encode(src, std::size_t(size), out.data()); }},
        {"QByteArray::toBase64", [&] { volatile auto n = in.toBase64().size(); (void)n; }},
    };
    std::printf("\nbase64 encoding, %lld MB of random input, median of 5 runs\n", (long long)(size >> 20));
    std::printf("| %-32s | %10s | %10s |\n", "encoder", "ms", "GB/s");
    std::printf("|%s|%s|%s|\n", std::string(34, '-').c_str(), std::string(12, '-').c_str(), std::string(12, '-').c_str());
    for (const Row& r : rows) {
        std::vector<double> ms;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            r.run();
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        const double m = median(ms);
        std::printf("| %-32s | %10.1f | %10.2f |\n", r.what, m, double(size) / (m / 1e3) / 1e9);
    }
}

class FileSink : public mime::Sink {
public:
    QByteArray all;
    bool send(const QByteArray& text) override
    {
        all += text;
        return true;
    }
    void progress(int, int) override {}
    bool cancelled() override { return false; }
};

void benchSend()
{
    std::printf("\none 10 MB attachment to a local aiosmtpd (127.0.0.1), median of 5 runs each, alternating\n");
    if (!QFile::exists("/usr/bin/python3") || !QFile::exists("/usr/bin/curl")) {
        std::printf("skipped: needs /usr/bin/python3 with aiosmtpd and /usr/bin/curl\n");
        return;
    }
    QProcess server;
    server.start("/usr/bin/python3", {MAIL_SINK_SCRIPT, "--discard"});
    QByteArray line;
    const QDeadlineTimer deadline(20000);
    while (!line.contains('\n') && !deadline.hasExpired() && server.waitForReadyRead(500))
        line += server.readAllStandardOutput();
    if (!line.startsWith("PORT ")) {
        std::printf("skipped: aiosmtpd did not start\n");
        return;
    }
    const QString port = QString::fromLatin1(line.mid(5).trimmed());
    const QString address = "127.0.0.1:" + port;

    QTemporaryDir dir;
    const QString file = dir.filePath("picture.bin");
    {
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(randomBytes(10 * 1024 * 1024));
    }
    const QString sender = "alice@example.org", rcpt = "bob@example.com";
    const QString subject = "Ten megabytes", text = "The file is attached.";

    // The very message our library writes, for curl to send as it is.
    const QString eml = dir.filePath("message.eml");
    {
        FileSink sink;
        QStringList files{file};
        mime::writeContent(sink, mime::addToHeader({}, rcpt, false), sender, subject, text, files);
        QFile f(eml);
        f.open(QIODevice::WriteOnly);
        f.write(sink.all);
        std::printf("message: %.1f MB on the wire\n", double(sink.all.size()) / 1e6);
    }

    MessageBoxScript quiet;
    std::vector<double> ours, curls;
    int failures = 0;
    for (int i = 0; i < 5; ++i) {
        MailMessage& m = CMailApp::instance().message();
        m.reset();
        m.server = address;
        m.sender = sender;
        m.recipients = {rcpt};
        m.subject = subject;
        m.body = text;
        m.attachments = {file};
        QElapsedTimer t;
        t.start();
        if (SendMail() != 1)
            ++failures;
        ours.push_back(double(t.nsecsElapsed()) / 1e6);

        QProcess curl;
        t.start();
        curl.start("/usr/bin/curl", {"-s", "--url", "smtp://" + address, "--mail-from", sender, "--mail-rcpt", rcpt,
                                     "--upload-file", eml});
        curl.waitForFinished(120000);
        curls.push_back(double(t.nsecsElapsed()) / 1e6);
        if (curl.exitCode() != 0)
            ++failures;
    }
    const double o = median(ours), c = median(curls);
    std::printf("| %-24s | %10s |\n", "sender", "ms");
    std::printf("|%s|%s|\n", std::string(26, '-').c_str(), std::string(12, '-').c_str());
    std::printf("| %-24s | %10.1f |\n", "libmail (SendMail)", o);
    std::printf("| %-24s | %10.1f |\n", "curl (same message)", c);
    std::printf("| %-24s | %10.2f |\n", "ours / curl", o / c);
    if (failures)
        std::printf("warning: %d sends failed\n", failures);
    CMailApp::instance().exitInstance();
    server.closeWriteChannel();
    server.waitForFinished(5000);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchBase64();
    benchSend();
    return 0;
}
