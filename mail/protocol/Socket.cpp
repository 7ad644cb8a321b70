#include "Socket.h"

#include "send_reporter.h"
#include "tick_clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

namespace {
// How much we hand to the system at a time; the rest waits in our queue.
constexpr qint64 kWriteHighWater = 256 * 1024;
// One turn of a wait: short enough that a scripted clock moves quickly.
constexpr int kSliceMs = 10;
constexpr qint64 kReadSize = 1024;

std::function<void()> g_idleHook;
} // namespace

namespace mailwait {
void setIdleHook(std::function<void()> hook) { g_idleHook = std::move(hook); }
void idle()
{
    if (g_idleHook)
        g_idleHook();
}
} // namespace mailwait

void splitLines(const QByteArray& data, QByteArray& partial, std::deque<QByteArray>& lines)
{
    qsizetype start = 0;
    while (start < data.size()) {
        const qsizetype lf = data.indexOf('\n', start);
        if (lf < 0) {
            partial += data.mid(start);
            // A peer that never ends its line does not get to fill our memory.
            if (partial.size() > kMaxLineBytes) {
                lines.push_back(partial);
                partial.clear();
            }
            return;
        }
        QByteArray line = data.mid(start, lf + 1 - start);
        if (!partial.isEmpty()) {
            line.prepend(partial);
            partial.clear();
        }
        lines.push_back(std::move(line));
        start = lf + 1;
    }
}

CMailSocket::CMailSocket(Conversation conversation, SendReporter& reporter, QObject* parent)
    : QObject(parent), socket_(new QTcpSocket(this)), conversation_(std::move(conversation)), reporter_(reporter)
{
    connect(socket_, &QTcpSocket::connected, this, &CMailSocket::onConnected);
    connect(socket_, &QTcpSocket::disconnected, this, &CMailSocket::onDisconnected);
    connect(socket_, &QTcpSocket::readyRead, this, &CMailSocket::onReadyRead);
    connect(socket_, &QTcpSocket::bytesWritten, this, &CMailSocket::onBytesWritten);
    connect(socket_, &QTcpSocket::errorOccurred, this, &CMailSocket::onError);
    // What we have not read stays with the system, which then stops the peer.
    socket_->setReadBufferSize(64 * 1024);
    state_ = Created;
}

CMailSocket::~CMailSocket()
{
    // No more events to anyone: the conversation may be gone already.
    socket_->disconnect(this);
    socket_->abort();
}

void CMailSocket::SetNotifyMode(bool on)
{
    notifyMode_ = on;
    lines_.clear();
    queuedBytes_ = 0;
    partial_.clear();
}

bool CMailSocket::Connect(const QString& host, quint16 port)
{
    if (host.trimmed().isEmpty() || port == 0) {
        handleError(QStringLiteral("no host"));
        return false;
    }
    state_ = Connecting;
    socket_->connectToHost(host.trimmed(), port);
    return socket_->state() != QAbstractSocket::UnconnectedState || state_ == Connecting;
}

void CMailSocket::enter(int event, const QByteArray& data)
{
    if (notifyMode_ && conversation_)
        conversation_(event, data);
}

void CMailSocket::onConnected()
{
    if (state_ != Connecting) {
        // Only ever read by a developer, so it needs no translation.
        errorText_ = QStringLiteral("FD_CONNECT received when not in status CONNECTING");
        return;
    }
    state_ = Connected;
    enter(-100);
}

void CMailSocket::onDisconnected()
{
    // A failed connection reports its error first; keep that state.
    if (state_ != Failed)
        state_ = Created;
    enter(-100);
}

void CMailSocket::onError()
{
    // Our own bounded waits report their expiry as an error; it is not one.
    if (socket_->error() == QAbstractSocket::SocketTimeoutError)
        return;
    if (socket_->error() == QAbstractSocket::RemoteHostClosedError && state_ == Connected) {
        // The close notification follows and tells the conversation.
        return;
    }
    handleError(socket_->errorString());
}

void CMailSocket::handleError(const QString& text)
{
    errorText_ = text;
    state_ = Failed;
    enter(-100);
}

void CMailSocket::onReadyRead()
{
    if (notifyMode_) {
        while (socket_->bytesAvailable() > 0) {
            const QByteArray data = socket_->read(kReadSize);
            if (data.isEmpty())
                break;
            enter(int(data.size()), data);
            if (!notifyMode_)
                break;
        }
        return;
    }
    readAvailable();
}

void CMailSocket::readAvailable()
{
    while (socket_->bytesAvailable() > 0 && !timedOut_) {
        const QByteArray data = socket_->read(kReadSize);
        if (data.isEmpty())
            break;
        const std::size_t before = lines_.size();
        splitLines(data, partial_, lines_);
        for (std::size_t i = before; i < lines_.size(); ++i)
            queuedBytes_ += lines_[i].size();
        if (queuedBytes_ > kMaxQueuedBytes)
            timeOut(true);
    }
}

void CMailSocket::timeOut(bool drop)
{
    if (timedOut_)
        return;
    timedOut_ = true;
    lines_.clear();
    queuedBytes_ = 0;
    // A peer that stopped reading or floods us gets nothing more; a silent
    // one still gets its QUIT.
    if (drop)
        abort();
    reporter_.tell(NoticeTimedOut);
}

void CMailSocket::onBytesWritten() { pump(); }

void CMailSocket::pump()
{
    while (!queue_.empty() && socket_->bytesToWrite() < kWriteHighWater
           && socket_->state() == QAbstractSocket::ConnectedState) {
        const QByteArray& front = queue_.front();
        const qint64 n = socket_->write(front);
        if (n < 0) {
            handleError(socket_->errorString());
            return;
        }
        if (n == front.size())
            queue_.pop_front();
        else
            queue_.front() = front.mid(n);
    }
}

int CMailSocket::SendString(const QByteArray& text)
{
    if (text.isEmpty())
        return 0;
    queue_.push_back(text);
    pump();
    // Back-pressure: wait for the peer while too much is pending, so a large
    // attachment never piles up in memory and Cancel stays clickable.
    const uint32_t start = tick::now();
    uint32_t lastMove = start;
    qint64 lastPending = socket_->bytesToWrite();
    while (!queue_.empty() && state_ == Connected) {
        socket_->waitForBytesWritten(kSliceMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        mailwait::idle();
        if (reporter_.cancelled()) {
            abort();
            break;
        }
        pump();
        if (socket_->state() != QAbstractSocket::ConnectedState) {
            if (state_ == Connected)
                state_ = Created;
            break;
        }
        const qint64 pending = socket_->bytesToWrite();
        const uint32_t now = tick::now();
        if (pending != lastPending) {
            lastPending = pending;
            lastMove = now;
        } else if (now - lastMove >= mailwait::kLimitMs) {
            timeOut(true);
            break;
        }
    }
    return 1;
}

QByteArray CMailSocket::ReceiveLine()
{
    if (notifyMode_)
        return QByteArray();
    if (state_ == Connected && lines_.empty()) {
        timedOut_ = false;
        const uint32_t start = tick::now();
        // Woken at least every slice, so that the time and Cancel are seen;
        // the host's own timers and windows run meanwhile.
        QTimer wake;
        wake.start(kSliceMs);
        for (;;) {
            readAvailable();
            if (!lines_.empty() || timedOut_)
                break;
            if (socket_->state() != QAbstractSocket::ConnectedState) {
                if (state_ == Connected)
                    state_ = Created;
                break;
            }
            if (reporter_.cancelled()) {
                abort();
                break;
            }
            if (tick::now() - start >= mailwait::kLimitMs) {
                timeOut(false);
                return QByteArrayLiteral(".\r\n");
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            mailwait::idle();
        }
    }
    if (timedOut_)
        return QByteArrayLiteral(".\r\n");
    if (lines_.empty())
        return QByteArray();
    QByteArray line = std::move(lines_.front());
    lines_.pop_front();
    dropLines(line.size());
    return line;
}

QByteArray CMailSocket::ReceiveReply()
{
    // "250-..." announces more lines; "250 ..." (or anything shorter) is the
    // last. Real replies have a handful of lines; an endless one is cut off.
    QByteArray line = ReceiveLine();
    for (int more = 0; line.size() >= 4 && line[3] == '-' && !timedOut_; ++more) {
        if (more == 1000) {
            // No server needs that many lines to say one thing.
            timeOut(true);
            return QByteArrayLiteral(".\r\n");
        }
        line = ReceiveLine();
    }
    return line;
}

void CMailSocket::Flush(int waitMs)
{
    QElapsedTimer t;
    t.start();
    pump();
    while ((!queue_.empty() || socket_->bytesToWrite() > 0) && socket_->state() == QAbstractSocket::ConnectedState
           && t.elapsed() < waitMs) {
        socket_->waitForBytesWritten(kSliceMs);
        pump();
    }
}

void CMailSocket::abort()
{
    queue_.clear();
    socket_->abort();
    if (state_ == Connected || state_ == Connecting)
        state_ = Created;
}
