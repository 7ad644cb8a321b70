#include "mail_test_support.h"

#include "mail_app.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace mailtest {

SinkServer::SinkServer()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python)) {
        error_ = QStringLiteral("no /usr/bin/python3");
        return;
    }
    process_ = new QProcess;
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    process_->start(python, {QStringLiteral(MAIL_SINK_SCRIPT), dir_.path()});
    if (!process_->waitForStarted(10000)) {
        error_ = process_->errorString();
        return;
    }
    QByteArray out;
    const QDeadlineTimer deadline(20000);
    while (!out.contains('\n') && !deadline.hasExpired()) {
        if (!process_->waitForReadyRead(200) && process_->state() != QProcess::Running)
            break;
        out += process_->readAllStandardOutput();
    }
    if (out.startsWith("PORT "))
        port_ = quint16(out.mid(5).trimmed().toUInt());
    else
        error_ = QString::fromUtf8(process_->readAllStandardError());
}

SinkServer::~SinkServer()
{
    if (!process_)
        return;
    process_->closeWriteChannel();
    if (!process_->waitForFinished(5000)) {
        process_->kill();
        process_->waitForFinished(2000);
    }
    delete process_;
}

QJsonObject SinkServer::message(int n) const
{
    const QString path = dir_.filePath(QStringLiteral("%1.json").arg(n));
    const QDeadlineTimer deadline(5000);
    while (!QFile::exists(path) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

QByteArray SinkServer::raw(int n) const
{
    QFile f(dir_.filePath(QStringLiteral("%1.eml").arg(n)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray SinkServer::attachment(int n, int k) const
{
    QFile f(dir_.filePath(QStringLiteral("%1.%2.bin").arg(n).arg(k)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ScriptedServer::ScriptedServer(std::string greeting, Script script, int dataReadDelayMs)
    : greeting_(std::move(greeting)), script_(std::move(script)), delayMs_(dataReadDelayMs)
{
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listen_, 1);
    socklen_t len = sizeof a;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { run(); });
}

ScriptedServer::~ScriptedServer()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listen_ >= 0)
        ::close(listen_);
}

void ScriptedServer::finish()
{
    if (thread_.joinable())
        thread_.join();
}

void ScriptedServer::run()
{
    pollfd p{listen_, POLLIN, 0};
    // Give the client up to 30 s to come.
    for (int waited = 0; !stop_ && waited < 30000; waited += 50)
        if (::poll(&p, 1, 50) > 0)
            break;
    if (!(p.revents & POLLIN))
        return;
    const int c = ::accept(listen_, nullptr, nullptr);
    if (c < 0)
        return;
    auto sendText = [&](const std::string& s) { (void)!::send(c, s.data(), s.size(), MSG_NOSIGNAL); };
    if (!greeting_.empty())
        sendText(greeting_ + "\r\n");

    std::string buffer;
    bool inData = false;
    bool quit = false;
    char chunk[65536];
    int idleMs = 0;
    while (!quit) {
        if (inData && delayMs_ < 0) {
            // Stops reading the message altogether, then hangs up.
            for (int waited = 0; waited < -delayMs_ && !stop_; waited += 50)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            break;
        }
        pollfd q{c, POLLIN, 0};
        const int r = ::poll(&q, 1, 100);
        if (r == 0) {
            // A client that neither talks nor goes is given up on.
            idleMs += 100;
            if (stop_ || idleMs > 15000)
                break;
            continue;
        }
        idleMs = 0;
        // Slow only at first, so that what is still under way after a
        // cancel drains quickly.
        const bool slow = inData && delayMs_ > 0 && data_.size() < 1024 * 1024;
        const ssize_t n = ::recv(c, chunk, slow ? 8192 : sizeof chunk, 0);
        if (n <= 0) {
            clientClosed_ = true;
            break;
        }
        buffer.append(chunk, std::size_t(n));
        if (slow)
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
        std::size_t lf;
        while (!quit && (lf = buffer.find('\n')) != std::string::npos) {
            std::string line = buffer.substr(0, lf + 1);
            buffer.erase(0, lf + 1);
            if (inData) {
                if (line == ".\r\n") {
                    inData = false;
                    dataEnd_ = true;
                } else {
                    data_ += line;
                    continue;
                }
                line = ".";
            } else {
                while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
                    line.pop_back();
            }
            commands_.push_back(line);
            const std::string reply = script_(line);
            if (reply == "<close>") {
                quit = true;
                break;
            }
            if (!reply.empty())
                sendText(reply + "\r\n");
            if (line.rfind("DATA", 0) == 0 && reply.rfind("354", 0) == 0)
                inData = true;
            if (line == "QUIT")
                quit = true;
        }
    }
    if (quit && !clientClosed_) {
        // Wait briefly for the client to close its end.
        pollfd q{c, POLLIN, 0};
        for (int i = 0; i < 20 && ::poll(&q, 1, 100) > 0; ++i) {
            if (::recv(c, chunk, sizeof chunk, 0) <= 0) {
                clientClosed_ = true;
                break;
            }
        }
    }
    ::close(c);
}

ScriptedServer::Script standardScript(std::vector<std::pair<std::string, std::string>> special)
{
    return [special](const std::string& line) -> std::string {
        for (const auto& [prefix, reply] : special)
            if (line.rfind(prefix, 0) == 0)
                return reply;
        if (line.rfind("DATA", 0) == 0)
            return "354 go ahead";
        if (line == "QUIT")
            return "221 bye";
        return "250 ok";
    };
}

void prepareMessage(const QString& server, const QString& sender, const QStringList& recipients,
                    const QString& subject, const QString& body, const QStringList& attachments)
{
    MailMessage& m = CMailApp::instance().message();
    m.reset();
    m.server = server;
    m.sender = sender;
    m.recipients = recipients;
    m.subject = subject;
    m.body = body;
    m.attachments = attachments;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, qint64 n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    uint32_t s = 12345;
    for (qint64 i = 0; i < n; ++i) {
        s = s * 214013u + 2531011u;
        bytes[i] = char(s >> 16);
    }
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace mailtest
