#include "smtp_send.h"

#include "Socket.h"
#include "mime.h"
#include "send_reporter.h"
#include "tick_clock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace {

// A file that would go out empty or cut short is no attachment: it is checked
// before anything reaches the server.
bool readable(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    QFile f(path);
    return f.open(QIODevice::ReadOnly);
}

class SocketSink : public mime::Sink {
public:
    SocketSink(CMailSocket& socket, SendReporter& reporter)
        : socket_(socket), reporter_(reporter), lastEvents_(tick::now())
    {
    }
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
    void progress(int value, int code) override { reporter_.progress(value, code); }
    bool cancelled() override { return reporter_.cancelled(); }

private:
    static constexpr qsizetype kBatchBytes = 64 * 1024;
    CMailSocket& socket_;
    SendReporter& reporter_;
    uint32_t lastEvents_;
    QByteArray pending_;
};

bool starts(const QByteArray& reply, const char* prefix) { return reply.startsWith(prefix); }

} // namespace

void OutgoingMail::reset()
{
    subject.clear();
    body.clear();
    sender.clear();
    recipients.clear();
    attachments.clear();
}

SmtpSession::SmtpSession(OutgoingMail& mail, SendReporter& reporter)
    : mail_(mail), reporter_(reporter),
      socket_(std::make_unique<CMailSocket>([this](int event, const QByteArray& data) { conversation(event, data); },
                                            reporter))
{
}

// The connection is not needed after its send, and a host may unload the
// library or end the process at any time after this.
SmtpSession::~SmtpSession() = default;

// Whoever started the send hears of its end exactly once, whether or not a
// progress window got as far as being shown.
void SmtpSession::end()
{
    if (ended_)
        return;
    ended_ = true;
    reporter_.ended(delivered_);
}

void SmtpSession::dialogue()
{
    CMailSocket& socket = *socket_;
    OutgoingMail& m = mail_;
    done_ = true;
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
    auto complain = [&](SendNotice notice) {
        if (!socket.timedOut() && !reporter_.cancelled())
            reporter_.tell(lost() ? NoticeConnectionLost : notice);
    };
    auto rejected = [&] {
        complain(NoticeServerRejects);
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
        complain(NoticeNoRecipientAccepted);
        quit();
        return;
    }

    reporter_.progress(0, StepStartData);
    socket.SendString(QByteArrayLiteral("DATA \r\n"));
    // Anything but "go ahead" means our content would be read as commands.
    if (!starts(socket.ReceiveReply(), "3")) {
        complain(NoticeMessageRefused);
        quit();
        return;
    }

    SocketSink sink(socket, reporter_);
    const mime::End result = mime::writeContent(sink, toHeader, m.sender, m.subject, m.body, m.attachments);
    if (result == mime::End::Cancelled || reporter_.cancelled()) {
        // Ending the connection before the final "." makes the server drop
        // the half-sent message instead of delivering it.
        m.reset();
        socket.abort();
        return;
    }
    if (result == mime::End::Unreadable) {
        // It could be read a moment ago; leaving without the final "." makes
        // the server drop what it has.
        reporter_.tell(NoticeUnreadableFile, m.attachments.value(0));
        socket.abort();
        return;
    }
    if (result == mime::End::Failed || !sink.flush()) {
        complain(NoticeConnectionLost);
        socket.abort();
        return;
    }
    socket.SendString(QByteArrayLiteral(".\r\n"));
    const QByteArray reply = socket.ReceiveReply();
    if (starts(reply, "2"))
        delivered_ = true;
    else
        complain(NoticeMessageRefused);
    quit();
    if (delivered_ && !refused.isEmpty())
        reporter_.tell(NoticeRecipientsRefused, refused.join(QLatin1Char('\n')));
}

// Ends a send that never reached its dialogue. Nothing went out, so the
// record stays as the user left it, server included, to correct and send again.
void SmtpSession::abandon(const QString& server)
{
    // Nothing that still arrives may start a conversation now.
    socket_->SetNotifyMode(false);
    socket_->abort();
    end();
    mail_.server = server;
}

void SmtpSession::conversation(int event, const QByteArray& data)
{
    if (event > 0) {
        // Bytes before the dialogue began: nothing sensible can follow.
        connectFailed_ = true;
        return;
    }
    reporter_.resetCancel();
    if (done_)
        return;
    if (event == -100 && socket_->state() == CMailSocket::Connected) {
        dialogue();
        end();
        mail_.reset();
    } else {
        // The connection failed before the dialogue: run() ends the send.
        connectFailed_ = true;
    }
}

int SmtpSession::run()
{
    OutgoingMail& m = mail_;
    if (m.recipients.isEmpty()) {
        reporter_.tell(NoticeNoRecipient);
        end();
        return 0;
    }
    for (const QString& path : m.attachments) {
        if (!readable(path)) {
            reporter_.tell(NoticeUnreadableFile, path);
            end();
            return 0;
        }
    }

    const QString typedServer = m.server;
    m.server.clear();
    QString server = typedServer;
    if (server.trimmed().isEmpty())
        server = m.sender.mid(m.sender.lastIndexOf(QLatin1Char('@')) + 1);

    reporter_.started();
    reporter_.resetCancel();
    socket_->SetNotifyMode(true);
    done_ = false;

    QString host;
    quint16 port = 25;
    if (!splitServer(mime::oneLine(server), host, port) || !socket_->Connect(host, port) || connectFailed_) {
        reporter_.tell(NoticeHostUnreachable);
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
        if (done_)
            return delivered_ ? 1 : 0;
        if (connectFailed_) {
            reporter_.tell(NoticeHostUnreachable);
            abandon(typedServer);
            return 0;
        }
        if (tick::now() - start >= mailwait::kLimitMs) {
            reporter_.tell(NoticeTimedOut);
            abandon(typedServer);
            return 0;
        }
        if (reporter_.cancelled()) {
            abandon(typedServer);
            return 0;
        }
    }
}

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
