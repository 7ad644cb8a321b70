#include "window_link.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <unistd.h>

namespace {

QString socketName(const QString& title)
{
    const QByteArray h = QCryptographicHash::hash(title.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("puzzlesuite-%1-%2").arg(getuid()).arg(QString::fromLatin1(h));
}

// Windows of this program, so that a send to ourselves does not wait on our own socket.
QHash<QString, QPointer<QObject>>& localWindows()
{
    static QHash<QString, QPointer<QObject>> windows;
    return windows;
}

constexpr int kRequestBytes = 12;

qint32 deliver(QObject* receiver, int message, qint32 w, qint32 l)
{
    WindowMessageEvent ev(message, w, l);
    QCoreApplication::sendEvent(receiver, &ev);
    return ev.result;
}

QByteArray encode(qint32 a, qint32 b, qint32 c)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << a << b << c;
    return out;
}

} // namespace

WindowLink::WindowLink(const QString& title, QObject* receiver, QObject* parent)
    : QObject(parent), title_(title), receiver_(receiver), server_(new QLocalServer(this))
{
    localWindows().insert(title, receiver);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = socketName(title);
    if (!server_->listen(name)) {
        // A socket left behind by a program that died answers nobody: take its place.
        if (!exists(title)) {
            QLocalServer::removeServer(name);
            server_->listen(name);
        }
    }
    connect(server_, &QLocalServer::newConnection, this, &WindowLink::onConnection);
}

WindowLink::~WindowLink()
{
    auto it = localWindows().find(title_);
    if (it != localWindows().end() && it.value() == receiver_)
        localWindows().erase(it);
}

bool WindowLink::isListening() const { return server_->isListening(); }

void WindowLink::onConnection()
{
    while (QLocalSocket* s = server_->nextPendingConnection()) {
        connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        connect(s, &QLocalSocket::readyRead, this, [this, s] {
            while (s->bytesAvailable() >= kRequestBytes) {
                QDataStream in(s->read(kRequestBytes));
                in.setByteOrder(QDataStream::LittleEndian);
                qint32 msg, w, l;
                in >> msg >> w >> l;
                // Only our own private messages travel this way.
                qint32 result = 0;
                if (msg > QEvent::User && msg <= QEvent::MaxUser && receiver_)
                    result = deliver(receiver_, msg, w, l);
                s->write(encode(result, 0, 0).left(4));
                s->flush();
            }
        });
    }
}

bool WindowLink::exists(const QString& title)
{
    if (auto it = localWindows().find(title); it != localWindows().end() && it.value())
        return true;
    QLocalSocket s;
    s.connectToServer(socketName(title));
    const bool ok = s.waitForConnected(500);
    s.abort();
    return ok;
}

bool WindowLink::send(const QString& title, int message, qint32 wParam, qint32 lParam,
                      qint32* result, int timeoutMs)
{
    if (auto it = localWindows().find(title); it != localWindows().end() && it.value()) {
        const qint32 r = deliver(it.value(), message, wParam, lParam);
        if (result)
            *result = r;
        return true;
    }
    QLocalSocket s;
    s.connectToServer(socketName(title));
    if (!s.waitForConnected(timeoutMs))
        return false;
    s.write(encode(message, wParam, lParam));
    if (!s.waitForBytesWritten(timeoutMs))
        return false;
    while (s.bytesAvailable() < 4)
        if (!s.waitForReadyRead(timeoutMs))
            return false;
    QDataStream in(s.read(4));
    in.setByteOrder(QDataStream::LittleEndian);
    qint32 r = 0;
    in >> r;
    if (result)
        *result = r;
    s.disconnectFromServer();
    return true;
}
