#pragma once
// Unix-domain stream sockets for short exchanges between the suite's own
// programs. Plain POSIX under a socket notifier: the player must not load
// Qt's network module (and with it Kerberos, a proxy library and more) for
// the one small message a second start sends it.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <map>

class QSocketNotifier;

namespace local_socket {

// A connected socket to `path`, or -1 when nothing there answers within
// timeoutMs. The caller closes it.
int connectTo(const QString& path, int timeoutMs);
// The whole of `bytes` written within timeoutMs.
bool writeAll(int fd, const QByteArray& bytes, int timeoutMs);
// Exactly `n` bytes read within timeoutMs; false when the peer closed first.
bool readExactly(int fd, char* out, int n, int timeoutMs);

} // namespace local_socket

// Listens on a socket file that only this user may use, and answers each
// connection through a handler run on the event loop.
class LocalListener : public QObject {
public:
    // Gets what a connection has sent and not yet been used; returns how many
    // bytes it used (0 when it needs more, -1 to drop the connection) and
    // appends its answer to `reply`.
    using Handler = std::function<qsizetype(const QByteArray& in, QByteArray& reply)>;

    LocalListener(Handler handler, QObject* parent = nullptr);
    ~LocalListener() override;

    // False when the path is taken or cannot be made.
    bool listen(const QString& path);
    bool isListening() const { return fd_ >= 0; }

private:
    void acceptAll();
    void readFrom(int fd);
    void drop(int fd);

    struct Connection {
        QSocketNotifier* notifier;
        QByteArray pending;
    };
    Handler handler_;
    int fd_ = -1;
    QString path_;
    QSocketNotifier* notifier_ = nullptr;
    std::map<int, Connection> connections_;
};
