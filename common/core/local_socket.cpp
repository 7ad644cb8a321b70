#include "local_socket.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

bool addressOf(const QString& path, sockaddr_un& addr)
{
    const QByteArray native = QFile::encodeName(path);
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (native.isEmpty() || size_t(native.size()) >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path, native.constData(), size_t(native.size()));
    return true;
}

// Waits for `events` on fd until the deadline; false on a time-out or error.
bool waitFor(int fd, short events, const QDeadlineTimer& deadline)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, int(qMax<qint64>(0, deadline.remainingTime())));
        if (r > 0)
            return (p.revents & (events | POLLHUP)) != 0;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

namespace local_socket {

int connectTo(const QString& path, int timeoutMs)
{
    sockaddr_un addr;
    if (!addressOf(path, addr))
        return -1;
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0)
            return -1;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0)
            return fd;
        const int error = errno;
        ::close(fd);
        // EAGAIN: the listener's queue is full for now; anything else is final.
        if (error != EAGAIN && error != EINTR)
            return -1;
        if (deadline.hasExpired())
            return -1;
        ::usleep(10000);
    }
}

bool writeAll(int fd, const QByteArray& bytes, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && waitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

bool readExactly(int fd, char* out, int n, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    int done = 0;
    while (done < n) {
        const ssize_t r = ::recv(fd, out + done, size_t(n - done), 0);
        if (r > 0) {
            done += int(r);
            continue;
        }
        if (r == 0)
            return false;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN && waitFor(fd, POLLIN, deadline))
            continue;
        return false;
    }
    return true;
}

} // namespace local_socket

LocalListener::LocalListener(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {}

LocalListener::~LocalListener()
{
    while (!connections_.empty())
        drop(connections_.begin()->first);
    if (fd_ >= 0) {
        ::close(fd_);
        // Our socket file goes with us, so nobody mistakes it for a window.
        ::unlink(QFile::encodeName(path_).constData());
    }
}

bool LocalListener::listen(const QString& path)
{
    if (fd_ >= 0)
        return false;
    sockaddr_un addr;
    if (!addressOf(path, addr))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // The socket file is the user's alone from the moment it exists.
    const mode_t old = ::umask(0077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::umask(old);
    if (!bound || ::listen(fd, 16) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { acceptAll(); });
    return true;
}

void LocalListener::acceptAll()
{
    for (;;) {
        const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (c < 0)
            return;
        auto* n = new QSocketNotifier(c, QSocketNotifier::Read, this);
        connections_[c] = Connection{n, QByteArray()};
        connect(n, &QSocketNotifier::activated, this, [this, c] { readFrom(c); });
    }
}

void LocalListener::readFrom(int fd)
{
    auto it = connections_.find(fd);
    if (it == connections_.end())
        return;
    char buffer[4096];
    bool closed = false;
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            it->second.pending.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        closed = n == 0 || errno != EAGAIN;
        break;
    }
    // The handler may run an event loop (a message box): the connection is
    // not read again meanwhile, and is looked up again after each request.
    it->second.notifier->setEnabled(false);
    while (true) {
        it = connections_.find(fd);
        if (it == connections_.end())
            return;
        QByteArray reply;
        const qsizetype used = handler_(it->second.pending, reply);
        it = connections_.find(fd);
        if (it == connections_.end())
            return;
        if (used < 0) {
            drop(fd);
            return;
        }
        if (!reply.isEmpty() && !local_socket::writeAll(fd, reply, 1000)) {
            drop(fd);
            return;
        }
        if (used == 0)
            break;
        it->second.pending.remove(0, used);
    }
    if (closed)
        drop(fd);
    else
        it->second.notifier->setEnabled(true);
}

void LocalListener::drop(int fd)
{
    auto it = connections_.find(fd);
    if (it == connections_.end())
        return;
    it->second.notifier->setEnabled(false);
    it->second.notifier->deleteLater();
    connections_.erase(it);
    ::close(fd);
}
