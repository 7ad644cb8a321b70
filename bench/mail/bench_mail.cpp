// Mail library speed: base64 encoding throughput, and attachments of 3 MB and
// 20 MB sent through libmail.so to a local aiosmtpd next to curl sending the
// same encoded message.
#include "address_book_file.h"
#include "mime.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include <dlfcn.h>

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

// The address book as the dialog uses it: one load when it opens, one save on OK.
void benchAddressBook()
{
    const int entries = 16000;
    QTemporaryDir dir;
    const QString book = dir.filePath("Vudirade.ini");
    QStringList addresses;
    for (int i = 0; i < entries; ++i)
        addresses << QStringLiteral("person.number%1@example.org").arg(i);
    {
        QFile f(book);
        f.open(QIODevice::WriteOnly);
        f.write("[Other]\r\nKeep=1\r\n");
    }
    std::vector<double> saves, loads;
    bool right = true;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        right = addressbook::save(book, addresses) && right;
        saves.push_back(double(t.nsecsElapsed()) / 1e6);
        t.start();
        right = addressbook::load(book).entries.size() == entries && right;
        loads.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("\naddress book of %d entries, median of 5 runs%s\n", entries, right ? "" : " (WRONG RESULT)");
    std::printf("| %-10s | %10s |\n", "operation", "ms");
    std::printf("|%s|%s|\n", std::string(12, '-').c_str(), std::string(12, '-').c_str());
    std::printf("| %-10s | %10.1f |\n", "load", median(loads));
    std::printf("| %-10s | %10.1f |\n", "save", median(saves));
}

using ContentFn = int32_t (*)();
using SendFn = int32_t (*)(const char* const*, void*);

// The host's window: notes when the library says the send has ended.
class EndListener : public QObject {
public:
    QElapsedTimer* clock = nullptr;
    double endedMs = -1;
    bool event(QEvent* e) override
    {
        if (e->type() != QEvent::Type(1145))
            return QObject::event(e);
        endedMs = double(clock->nsecsElapsed()) / 1e6;
        return true;
    }
};

// Fills the library's message dialog as a user would, once it is up.
void answerDialog(const QString& server, const QString& sender, const QString& rcpt, const QString& subject,
                  const QString& text)
{
    QTimer::singleShot(0, [=] {
        QWidget* d = QApplication::activeModalWidget();
        if (!d)
            return;
        d->findChild<QLineEdit*>("1007")->setText(rcpt);
        d->findChild<QLineEdit*>("1021")->setText(sender);
        d->findChild<QLineEdit*>("1022")->setText(server);
        d->findChild<QLineEdit*>("1005")->setText(subject);
        d->findChild<QPlainTextEdit*>("1006")->setPlainText(text);
        d->findChild<QPushButton*>("1001")->click();
    });
}

// As a host sees it: libmail.so loaded by path, from MailStartSend to the
// host's window receiving message 1145 (progress window included), next to
// curl sending the very same message.
void benchSend()
{
    std::printf("\none attachment to a local aiosmtpd (127.0.0.1): MailStartSend to message 1145 against curl "
                "--upload-file of the same message, median of 5 runs each, alternating\n");
    if (!QFile::exists("/usr/bin/python3") || !QFile::exists("/usr/bin/curl")) {
        std::printf("skipped: needs /usr/bin/python3 with aiosmtpd and /usr/bin/curl\n");
        return;
    }
    void* lib = dlopen(MAIL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    auto content = lib ? reinterpret_cast<ContentFn>(dlsym(lib, "MailContent")) : nullptr;
    auto send = lib ? reinterpret_cast<SendFn>(dlsym(lib, "MailStartSend")) : nullptr;
    if (!content || !send) {
        std::printf("skipped: cannot load %s\n", MAIL_LIBRARY);
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
    const QString address = "127.0.0.1:" + QString::fromLatin1(line.mid(5).trimmed());
    const QString sender = "alice@example.org", rcpt = "bob@example.com";
    const QString subject = "A picture", text = "The file is attached.";

    std::printf("| %-8s | %-10s | %12s | %10s | %8s |\n", "file", "wire", "libmail (ms)", "curl (ms)", "ratio");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(10, '-').c_str(), std::string(12, '-').c_str(),
                std::string(14, '-').c_str(), std::string(12, '-').c_str(), std::string(10, '-').c_str());
    int failures = 0;
    for (const int mb : {3, 20}) {
        QTemporaryDir dir;
        const QString file = dir.filePath("picture.bin");
        {
            QFile f(file);
            f.open(QIODevice::WriteOnly);
            f.write(randomBytes(qsizetype(mb) * 1024 * 1024));
        }
        // The very message the library writes, for curl to send as it is.
        const QString eml = dir.filePath("message.eml");
        qsizetype wire = 0;
        {
            FileSink sink;
            QStringList files{file};
            mime::writeContent(sink, mime::addToHeader({}, rcpt, false), sender, subject, text, files);
            QFile f(eml);
            f.open(QIODevice::WriteOnly);
            f.write(sink.all);
            wire = sink.all.size();
        }
        const QByteArray path = file.toUtf8();
        const char* files[] = {path.constData(), nullptr};
        std::vector<double> ours, curls;
        for (int i = 0; i < 5; ++i) {
            answerDialog(address, sender, rcpt, subject, text);
            if (!content())
                ++failures;
            QElapsedTimer t;
            EndListener window;
            window.clock = &t;
            t.start();
            if (send(files, &window) != 1 || window.endedMs < 0)
                ++failures;
            ours.push_back(window.endedMs);

            QProcess curl;
            t.start();
            curl.start("/usr/bin/curl", {"-s", "--url", "smtp://" + address, "--mail-from", sender, "--mail-rcpt",
                                         rcpt, "--upload-file", eml});
            curl.waitForFinished(120000);
            curls.push_back(double(t.nsecsElapsed()) / 1e6);
            if (curl.exitCode() != 0)
                ++failures;
        }
        const double o = median(ours), c = median(curls);
        std::printf("| %5d MB | %7.1f MB | %12.1f | %10.1f | %8.2f |\n", mb, double(wire) / 1e6, o, c, o / c);
    }
    if (failures)
        std::printf("warning: %d sends failed\n", failures);
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
    benchAddressBook();
    benchSend();
    return 0;
}
