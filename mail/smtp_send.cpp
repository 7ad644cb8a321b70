#include "smtp_send.h"

#include "Socket.h"
#include "mail_app.h"
#include "mail_resources.h"
#include "message_box.h"
#include "mime.h"
#include "progress_dialog.h"
#include "tick_clock.h"
#include "window_link.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

constexpr int kSendEndedMessage = 1145;

// What one send has come to, beyond the record itself.
struct SendState {
    bool connectFailed = false;
    bool delivered = false;
    bool endReported = false;
};
SendState g_send;
bool g_running = false;

CMailApp& app() { return CMailApp::instance(); }
MailMessage& msg() { return app().message(); }

void tell(int id) { messageBox(nullptr, app().text(id), app().text(res::Caption), mb::Ok); }
void tell(int id, const QString& detail)
{
    messageBox(nullptr, app().text(id) + QLatin1Char('\n') + detail, app().text(res::Caption), mb::Ok);
}

// A file that would go out empty or cut short is no attachment: it is checked
// before anything reaches the server.
bool readable(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    QFile f(path);
    return f.open(QIODevice::ReadOnly);
}

// The host hears of the end of every send exactly once, whether or not a
// progress window got as far as being shown.
void reportEnd()
{
    if (g_send.endReported)
        return;
    g_send.endReported = true;
    if (QObject* target = msg().notifyWindow.data()) {
        WindowMessageEvent ev(kSendEndedMessage, 0, 0);
        QCoreApplication::sendEvent(target, &ev);
    }
}

class SocketSink : public mime::Sink {
public:
    explicit SocketSink(CMailSocket& socket) : socket_(socket), lastEvents_(tick::now()) {}
    // Lines go out in batches: the bytes on the wire are the same, and the
    // work per line is a copy. A cancel drops the connection, batch and all.
    bool send(const QByteArray& text) override
    {
        if (socket_.state() != CMailSocket::Connected)
            return false;
        pending_ += text;
        if (pending_.size() >= kBatchBytes && !flush())
            return false;
        // Let the progress window repaint and its Cancel button work even
        // when the peer takes everything at once.
        const uint32_t now = tick::now();
        if (now - lastEvents_ >= 50) {
            lastEvents_ = now;
            QCoreApplication::processEvents();
        }
        return socket_.state() == CMailSocket::Connected;
    }
    // Hands what is batched to the connection; false when it is gone.
    bool flush()
    {
        if (!pending_.isEmpty() && socket_.state() == CMailSocket::Connected) {
            socket_.SendString(pending_);
            pending_ = QByteArray();
            pending_.reserve(kBatchBytes + 1024);
        }
        return socket_.state() == CMailSocket::Connected;
    }
    void progress(int value, int code) override { ReportProgress(value, code); }
    bool cancelled() override { return app().cancelled(); }

private:
    static constexpr qsizetype kBatchBytes = 64 * 1024;
    CMailSocket& socket_;
    uint32_t lastEvents_;
    QByteArray pending_;
};

bool starts(const QByteArray& reply, const char* prefix) { return reply.startsWith(prefix); }

void dialogue(CMailSocket& socket)
{
    MailMessage& m = msg();
    m.done = true;
    socket.SetNotifyMode(false);

    auto lost = [&] { return socket.state() != CMailSocket::Connected; };
    // After a time-out or a lost connection there is no reply to wait for.
    auto quit = [&] {
        if (lost())
            return;
        socket.SendString(QByteArrayLiteral("QUIT\r\n"));
        if (socket.timedOut())
            socket.Flush(2000);
        else
            socket.ReceiveReply();
    };
    // A time-out has been reported already, and a cancelled send needs no
    // words.
    auto complain = [&](int id) {
        if (!socket.timedOut() && !app().cancelled())
            tell(lost() ? res::ConnectionLost : id);
    };
    auto rejected = [&] {
        complain(res::ServerRejects);
        quit();
    };

    socket.ReceiveReply(); // greeting

    const QString sender = mime::oneLine(m.sender);
    const QString domain = sender.mid(sender.lastIndexOf(QLatin1Char('@')) + 1);
    socket.SendString("HELO " + domain.toUtf8() + "\r\n");
    if (!starts(socket.ReceiveReply(), "2"))
        return rejected();
    socket.SendString("MAIL FROM: <" + sender.toUtf8() + ">\r\n");
    if (!starts(socket.ReceiveReply(), "25"))
        return rejected();

    bool accepted = false;
    QByteArray toHeader;
    QStringList refused;
    while (!m.recipients.isEmpty() && !lost() && !socket.timedOut()) {
        const QString r = m.recipients.first();
        socket.SendString("RCPT TO: <" + mime::oneLine(r).toUtf8() + ">\r\n");
        toHeader = mime::addToHeader(toHeader, r, accepted);
        m.recipients.removeFirst();
        if (starts(socket.ReceiveReply(), "25"))
            accepted = true;
        else if (!lost() && !socket.timedOut())
            refused << mime::oneLine(r);
    }
    if (!accepted) {
        complain(res::NoRecipientAccepted);
        quit();
        return;
    }

    ReportProgress(0, 4);
    socket.SendString(QByteArrayLiteral("DATA \r\n"));
    // Anything but "go ahead" means our content would be read as commands.
    if (!starts(socket.ReceiveReply(), "3")) {
        complain(res::MessageRefused);
        quit();
        return;
    }

    SocketSink sink(socket);
    const mime::End end = mime::writeContent(sink, toHeader, m.sender, m.subject, m.body, m.attachments);
    if (end == mime::End::Cancelled || app().cancelled()) {
        // Ending the connection before the final "." makes the server drop
        // the half-sent message instead of delivering it.
        m.reset();
        socket.abort();
        return;
    }
    if (end == mime::End::Unreadable) {
        // It could be read a moment ago; leaving without the final "." makes
        // the server drop what it has.
        tell(res::UnreadableFile, m.attachments.value(0));
        socket.abort();
        return;
    }
    if (end == mime::End::Failed || !sink.flush()) {
        complain(res::ConnectionLost);
        socket.abort();
        return;
    }
    socket.SendString(QByteArrayLiteral(".\r\n"));
    const QByteArray reply = socket.ReceiveReply();
    if (starts(reply, "2"))
        g_send.delivered = true;
    else
        complain(res::MessageRefused);
    quit();
    if (g_send.delivered && !refused.isEmpty())
        tell(res::RecipientsRefused, refused.join(QLatin1Char('\n')));
}

// Ends a send that never reached its dialogue. Nothing went out, so the
// record stays as the user left it, server included, to correct and send again.
void abandon(const QString& server)
{
    if (CMailSocket* s = msg().socket) {
        // Nothing that still arrives may start a conversation now.
        s->SetNotifyMode(false);
        s->abort();
    }
    ReportProgress(0, 3);
    reportEnd();
    msg().server = server;
}

struct RunningFlag {
    RunningFlag() { g_running = true; }
    ~RunningFlag()
    {
        // The connection is not needed after its send, and a host may unload
        // the library or end the process at any time after this.
        delete msg().socket;
        msg().socket = nullptr;
        g_running = false;
    }
};

} // namespace

bool splitServer(const QString& server, QString& host, quint16& port)
{
    const QString s = server.trimmed();
    port = 25;
    QString portText;
    if (s.startsWith(QLatin1Char('['))) {
        const int close = s.indexOf(QLatin1Char(']'));
        if (close < 0) {
            host = s;
            return true;
        }
        host = s.mid(1, close - 1);
        const QString rest = s.mid(close + 1);
        if (rest.isEmpty())
            return true;
        if (!rest.startsWith(QLatin1Char(':')))
            return false;
        portText = rest.mid(1);
    } else if (s.count(QLatin1Char(':')) == 1) {
        const int colon = s.indexOf(QLatin1Char(':'));
        host = s.left(colon);
        portText = s.mid(colon + 1);
    } else {
        // No port, or a bare IPv6 address.
        host = s;
        return true;
    }
    bool ok = false;
    const uint p = portText.toUInt(&ok);
    if (!ok || p == 0 || p > 65535)
        return false;
    port = quint16(p);
    return true;
}

void ReportProgress(int value, int code)
{
    MailMessage& m = msg();
    if (code == 3)
        reportEnd();
    CProgressDialog* p = m.progress.data();
    if (!p)
        return;
    switch (code) {
    case 1: p->setRange(value); break;
    case 2: p->setPosition(value); break;
    case 3:
        m.progress = nullptr;
        p->hide();
        p->deleteLater();
        break;
    case 4: p->setStatus(app().text(res::StartSendData)); break;
    case 5:
        if (value >= 0 && value < m.attachments.size())
            p->setStatus(app().text(res::SendFile) + mime::fileNameOf(m.attachments[value])
                         + QStringLiteral("\" ..."));
        break;
    default: break;
    }
}

void RunConversation(int event, const QByteArray& data)
{
    MailMessage& m = msg();
    if (event > 0) {
        // Bytes before the dialogue began: nothing sensible can follow.
        g_send.connectFailed = true;
        return;
    }
    app().setCancelled(false);
    CMailSocket* socket = m.socket;
    if (m.done)
        return;
    if (event == -100 && socket && socket->state() == CMailSocket::Connected) {
        dialogue(*socket);
        ReportProgress(0, 3);
        m.reset();
    } else {
        // The connection failed before the dialogue: SendMail ends the send.
        g_send.connectFailed = true;
    }
}

bool SendRunning() { return g_running; }

int SendMail()
{
    if (g_running)
        return 0;
    const RunningFlag running;
    MailMessage& m = msg();
    g_send = SendState{};
    delete m.socket;
    m.socket = nullptr;
    // A window left open by a cancelled wait goes now.
    if (CProgressDialog* old = m.progress.data()) {
        m.progress = nullptr;
        delete old;
    }

    if (m.recipients.isEmpty()) {
        tell(res::NoRecipient);
        ReportProgress(0, 3);
        return 0;
    }
    for (const QString& path : m.attachments) {
        if (!readable(path)) {
            tell(res::UnreadableFile, path);
            reportEnd();
            return 0;
        }
    }

    const QString typedServer = m.server;
    m.server.clear();
    QString server = typedServer;
    if (server.trimmed().isEmpty())
        server = m.sender.mid(m.sender.lastIndexOf(QLatin1Char('@')) + 1);

    m.socket = new CMailSocket(&RunConversation);
    m.progress = new CProgressDialog();
    m.progress->show();
    m.progress->repaint();

    app().setCancelled(false);
    m.socket->SetNotifyMode(true);
    m.done = false;

    QString host;
    quint16 port = 25;
    if (!splitServer(mime::oneLine(server), host, port) || !m.socket->Connect(host, port) || g_send.connectFailed) {
        tell(res::HostUnreachable);
        abandon(typedServer);
        return 0;
    }

    // The dialogue itself runs inside the connection event that this loop
    // dispatches; the loop only waits for it to have happened.
    QTimer wake;
    wake.start(10);
    const uint32_t start = tick::now();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        mailwait::idle();
        if (m.done)
            return g_send.delivered ? 1 : 0;
        if (g_send.connectFailed) {
            tell(res::HostUnreachable);
            abandon(typedServer);
            return 0;
        }
        if (tick::now() - start >= mailwait::kLimitMs) {
            tell(res::TimedOut);
            abandon(typedServer);
            return 0;
        }
        if (app().cancelled()) {
            abandon(typedServer);
            return 0;
        }
    }
}
