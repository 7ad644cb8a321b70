#include "Socket.h"

#include "send_reporter.h"
#include "tick_clock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// One turn of a wait: short enough that a scripted clock moves quickly.
constexpr int kSliceMs = 10;
// Connection events carry at most this much; the dialogue reads more at once.
constexpr qint64 kReadSize = 1024;
constexpr qint64 kDialogueReadSize = 64 * 1024;

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

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

// Shared with the thread that looks the name up: whichever of the two ends
// last frees the answer.
struct CMailSocket::Lookup {
    std::atomic<bool> done{false};
    int status = 0;
    addrinfo* found = nullptr;
    ~Lookup()
    {
        if (found)
            freeaddrinfo(found);
    }
};

CMailSocket::CMailSocket(Conversation conversation, SendReporter& reporter, QObject* parent)
    : QObject(parent), conversation_(std::move(conversation)), reporter_(reporter), lookupTimer_(new QTimer(this))
{
    connect(lookupTimer_, &QTimer::timeout, this, &CMailSocket::onLookupTurn);
    state_ = Created;
}

CMailSocket::~CMailSocket()
{
    // No more events to anyone: the conversation may be gone already.
    lookupTimer_->stop();
    closeSocket();
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
    auto lookup = std::make_shared<Lookup>();
    try {
        std::thread([lookup, name = host.trimmed().toUtf8(), service = QByteArray::number(port)] {
            addrinfo hints{};
            hints.ai_socktype = SOCK_STREAM;
            lookup->status = getaddrinfo(name.constData(), service.constData(), &hints, &lookup->found);
            lookup->done.store(true, std::memory_order_release);
        }).detach();
    } catch (const std::system_error&) {
        state_ = Created;
        return false;
    }
    lookup_ = std::move(lookup);
    // Every outcome arrives as a connection event from the event loop, never
    // from inside this call.
    lookupTimer_->start(kSliceMs);
    return true;
}

void CMailSocket::onLookupTurn()
{
    if (!lookup_ || !lookup_->done.load(std::memory_order_acquire))
        return;
    lookupTimer_->stop();
    if (lookup_->status != 0) {
        handleError(QString::fromLocal8Bit(gai_strerror(lookup_->status)));
        return;
    }
    nextAddress_ = lookup_->found;
    tryNextAddress();
}

// Each address the name has, in the order given, until one takes the call.
void CMailSocket::tryNextAddress()
{
    while (nextAddress_) {
        const addrinfo* a = nextAddress_;
        nextAddress_ = a->ai_next;
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastErrno_ = errno;
            continue;
        }
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0 || errno == EINPROGRESS) {
            // Writable once the connection is made or has failed.
            fd_ = fd;
            writeNotifier_ = new QSocketNotifier(qintptr(fd), QSocketNotifier::Write, this);
            connect(writeNotifier_, &QSocketNotifier::activated, this, &CMailSocket::onWritable);
            return;
        }
        lastErrno_ = errno;
        ::close(fd);
    }
    handleError(errnoText(lastErrno_ ? lastErrno_ : ECONNREFUSED));
}

void CMailSocket::onWritable()
{
    if (state_ != Connecting || linked_) {
        pump();
        return;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        error = errno;
    if (error != 0) {
        lastErrno_ = error;
        closeSocket();
        tryNextAddress();
        return;
    }
    linked_ = true;
    writeNotifier_->setEnabled(false);
    readNotifier_ = new QSocketNotifier(qintptr(fd_), QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &CMailSocket::onReadable);
    onConnected();
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

// The peer hung up (or reset the connection): what it sent before stays
// readable, and the conversation hears of the end.
void CMailSocket::peerClosed()
{
    closeSocket();
    // A failed connection reports its error first; keep that state.
    if (state_ != Failed)
        state_ = Created;
    enter(-100);
}

void CMailSocket::handleError(const QString& text)
{
    closeSocket();
    errorText_ = text;
    state_ = Failed;
    enter(-100);
}

void CMailSocket::closeSocket()
{
    // Notifiers go later: this may run inside one of their own signals.
    for (QSocketNotifier** n : {&readNotifier_, &writeNotifier_}) {
        if (*n) {
            (*n)->setEnabled(false);
            (*n)->disconnect(this);
            (*n)->deleteLater();
            *n = nullptr;
        }
    }
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    linked_ = false;
}

void CMailSocket::onReadable()
{
    if (!notifyMode_) {
        readAvailable();
        return;
    }
    char buffer[kReadSize];
    while (notifyMode_ && linked_) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            enter(int(n), QByteArray(buffer, qsizetype(n)));
        } else if (n == 0 || errno == ECONNRESET) {
            peerClosed();
        } else if (errno != EINTR) {
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                handleError(errnoText(errno));
            break;
        }
    }
}

void CMailSocket::readAvailable()
{
    static thread_local char buffer[kDialogueReadSize];
    while (linked_ && !timedOut_) {
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n == 0 || (n < 0 && (errno == ECONNRESET || errno == EPIPE))) {
            peerClosed();
            break;
        }
        if (n < 0) {
            handleError(errnoText(errno));
            break;
        }
        const std::size_t before = lines_.size();
        splitLines(QByteArray(buffer, qsizetype(n)), partial_, lines_);
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

void CMailSocket::pump()
{
    while (!queue_.empty() && linked_) {
        QByteArray& front = queue_.front();
        const ssize_t n = ::send(fd_, front.constData(), std::size_t(front.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            if (errno == EPIPE || errno == ECONNRESET)
                peerClosed();
            else
                handleError(errnoText(errno));
            return;
        }
        if (n == front.size())
            queue_.pop_front();
        else
            front = front.mid(n);
    }
    // Told when the system takes more, for as long as something waits.
    if (writeNotifier_)
        writeNotifier_->setEnabled(!queue_.empty() && linked_);
}

bool CMailSocket::waitWritable(int ms)
{
    if (!linked_)
        return false;
    pollfd p{fd_, POLLOUT, 0};
    return ::poll(&p, 1, ms) > 0;
}

qint64 CMailSocket::pendingBytes() const
{
    qint64 n = 0;
    for (const QByteArray& b : queue_)
        n += b.size();
    return n;
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
    qint64 lastPending = pendingBytes();
    while (!queue_.empty() && state_ == Connected) {
        waitWritable(kSliceMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        mailwait::idle();
        if (reporter_.cancelled()) {
            abort();
            break;
        }
        pump();
        if (!linked_) {
            if (state_ == Connected)
                state_ = Created;
            break;
        }
        const qint64 pending = pendingBytes();
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
            if (!linked_) {
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
    while (!queue_.empty() && linked_ && t.elapsed() < waitMs) {
        waitWritable(kSliceMs);
        pump();
    }
}

void CMailSocket::abort()
{
    queue_.clear();
    // A name still being looked up is forgotten; its thread frees the answer.
    lookupTimer_->stop();
    lookup_.reset();
    nextAddress_ = nullptr;
    closeSocket();
    if (state_ == Connected || state_ == Connecting)
        state_ = Created;
}
