#include "display_check.h"

#include <QByteArrayList>
#include <cstddef>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace display {
namespace {

// A socket that connects within a second, or false.
bool connects(int fd, const sockaddr* address, socklen_t length)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    bool ok = ::connect(fd, address, length) == 0;
    if (!ok && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int error = 0;
        socklen_t len = sizeof error;
        ok = ::poll(&p, 1, 1000) == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
    }
    ::close(fd);
    return ok;
}

bool unixSocketReachable(const QByteArray& path, bool abstract)
{
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const int offset = abstract ? 1 : 0;
    if (path.size() + offset >= int(sizeof a.sun_path))
        return false;
    std::memcpy(a.sun_path + offset, path.constData(), std::size_t(path.size()));
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    return fd >= 0 && connects(fd, reinterpret_cast<sockaddr*>(&a), length);
}

bool tcpReachable(const QByteArray& host, int port)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.constData(), QByteArray::number(port).constData(), &hints, &found) != 0)
        return false;
    bool ok = false;
    for (addrinfo* a = found; a && !ok; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        ok = fd >= 0 && connects(fd, a->ai_addr, a->ai_addrlen);
    }
    freeaddrinfo(found);
    return ok;
}

bool waylandReachable()
{
    QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    if (!name.startsWith('/'))
        name = qgetenv("XDG_RUNTIME_DIR") + '/' + name;
    return unixSocketReachable(name, false);
}

} // namespace

bool xServerReachable(const QByteArray& displayValue)
{
    const int colon = int(displayValue.lastIndexOf(':'));
    if (colon < 0)
        return false;
    QByteArray host = displayValue.left(colon);
    QByteArray number = displayValue.mid(colon + 1);
    if (const int dot = int(number.indexOf('.')); dot >= 0)
        number.truncate(dot);
    bool ok = false;
    const int n = number.toInt(&ok);
    if (!ok || n < 0 || n > 65535 - 6000)
        return false;
    if (host.isEmpty() || host == "unix") {
        const QByteArray path = "/tmp/.X11-unix/X" + number;
        return unixSocketReachable(path, false) || unixSocketReachable(path, true);
    }
    return tcpReachable(host, 6000 + n);
}

bool usable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    const bool waylandSession = qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (platform.isEmpty())
        return xServerReachable(qgetenv("DISPLAY")) || (waylandSession && waylandReachable());
    // Qt tries the platforms of the list in order.
    for (const QByteArray& entry : platform.split(';')) {
        const qsizetype options = entry.indexOf(':');
        const QByteArray name = (options < 0 ? entry : entry.left(options)).trimmed();
        if (name == "xcb") {
            if (xServerReachable(qgetenv("DISPLAY")))
                return true;
        } else if (name.startsWith("wayland")) {
            if (waylandReachable())
                return true;
        } else if (!name.isEmpty()) {
            return true;
        }
    }
    return false;
}

} // namespace display
