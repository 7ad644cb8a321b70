#include "window_link.h"

#include "local_socket.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCryptographicHash>
#include <QDataStream>
#include <QHash>
#include <QPointer>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QString& installRootSetting()
{
    static QString root;
    return root;
}

QString installRoot()
{
    QString root = installRootSetting();
    if (root.isEmpty())
        root = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
    const QString canonical = QFileInfo(root).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(root) : canonical;
}

// ":0.0" and ":0" are one display; the screen number does not matter.
QString displayName(const QByteArray& display)
{
    QString d = QString::fromLocal8Bit(display);
    const qsizetype colon = d.lastIndexOf(QLatin1Char(':'));
    const qsizetype dot = d.indexOf(QLatin1Char('.'), colon + 1);
    if (colon >= 0 && dot > colon)
        d.truncate(dot);
    return d;
}

// Both variables, whichever the platform: a program of the session sees
// the same pair whether it has windows or not.
QString displayKey()
{
    return displayName(qgetenv("DISPLAY")) + QLatin1Char('|') + QString::fromLocal8Bit(qgetenv("WAYLAND_DISPLAY"));
}

// The session's runtime folder is private to the user and goes away at log
// out; the temporary folder stands in where there is none.
QString socketFolder()
{
    const QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
        struct stat st;
        if (::stat(QFile::encodeName(runtime).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid())
            return runtime;
    }
    return QDir::tempPath();
}

QString socketName(const QString& title)
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (const QString& part : {title, displayKey(), QDir::homePath(), installRoot()}) {
        h.addData(part.toUtf8());
        h.addData(QByteArrayView("\0", 1));
    }
    const QString name = QStringLiteral("puzzlesuite-%1-%2").arg(::getuid()).arg(QString::fromLatin1(h.result().toHex().left(16)));
    return socketFolder() + QLatin1Char('/') + name;
}

// Windows of this program, so that a send to ourselves does not wait on our own socket.
QHash<QString, QPointer<QObject>>& localWindows()
{
    static QHash<QString, QPointer<QObject>> windows;
    return windows;
}

// A request is four little-endian words (message, wParam, lParam, length of
// the text in bytes) and the text; the answer is the one word of the result.
constexpr int kHeaderBytes = 16;

qint32 deliver(QObject* receiver, int message, qint32 w, qint32 l, const QString& text)
{
    WindowMessageEvent ev(message, w, l);
    ev.text = text;
    QCoreApplication::sendEvent(receiver, &ev);
    return ev.result;
}

QByteArray encode(const QList<qint32>& words)
{
    QByteArray out;
    QDataStream s(&out, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    for (qint32 w : words)
        s << w;
    return out;
}

QList<qint32> decode(const QByteArray& bytes)
{
    QDataStream in(bytes);
    in.setByteOrder(QDataStream::LittleEndian);
    QList<qint32> words;
    while (!in.atEnd()) {
        qint32 w = 0;
        in >> w;
        words << w;
    }
    return words;
}

bool exchange(const QString& title, int message, qint32 w, qint32 l, const QString& text, qint32* result,
              int timeoutMs)
{
    if (auto it = localWindows().find(title); it != localWindows().end() && it.value()) {
        const qint32 r = deliver(it.value(), message, w, l, text);
        if (result)
            *result = r;
        return true;
    }
    const QByteArray utf8 = text.toUtf8();
    if (utf8.size() > WindowLink::kMaxText)
        return false;
    const int fd = local_socket::connectTo(socketName(title), timeoutMs);
    if (fd < 0)
        return false;
    char answer[4];
    const bool ok = local_socket::writeAll(fd, encode({message, w, l, qint32(utf8.size())}) + utf8, timeoutMs)
        && local_socket::readExactly(fd, answer, 4, timeoutMs);
    ::close(fd);
    if (!ok)
        return false;
    if (result)
        *result = decode(QByteArray(answer, 4)).value(0);
    return true;
}

} // namespace

WindowLink::WindowLink(const QString& title, QObject* receiver, QObject* parent)
    : QObject(parent), title_(title), receiver_(receiver)
{
    localWindows().insert(title, receiver);
    server_ = new LocalListener(
        [this](const QByteArray& in, QByteArray& reply) -> qsizetype {
            if (in.size() < kHeaderBytes)
                return 0;
            const QList<qint32> head = decode(in.left(kHeaderBytes));
            const qint32 msg = head[0], w = head[1], l = head[2], length = head[3];
            // Only our own private messages travel this way, and no peer
            // makes us hold more than a short text.
            if (length < 0 || length > kMaxText)
                return -1;
            if (in.size() < kHeaderBytes + length)
                return 0;
            const QString text = QString::fromUtf8(in.mid(kHeaderBytes, length));
            qint32 result = 0;
            if (msg > QEvent::User && msg <= QEvent::MaxUser && receiver_)
                result = deliver(receiver_, msg, w, l, text);
            reply += encode({result});
            return kHeaderBytes + length;
        },
        this);
    const QString name = socketName(title);
    if (!server_->listen(name)) {
        // A socket left behind by a program that died answers nobody: take
        // its place. Asked on the socket itself: this window is already
        // known here.
        const int fd = local_socket::connectTo(name, 500);
        if (fd >= 0)
            ::close(fd);
        else {
            ::unlink(QFile::encodeName(name).constData());
            server_->listen(name);
        }
    }
}

WindowLink::~WindowLink()
{
    auto it = localWindows().find(title_);
    if (it != localWindows().end() && it.value() == receiver_)
        localWindows().erase(it);
}

bool WindowLink::isListening() const { return server_->isListening(); }

bool WindowLink::exists(const QString& title)
{
    if (auto it = localWindows().find(title); it != localWindows().end() && it.value())
        return true;
    const int fd = local_socket::connectTo(socketName(title), 500);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

bool WindowLink::send(const QString& title, int message, qint32 wParam, qint32 lParam,
                      qint32* result, int timeoutMs)
{
    return exchange(title, message, wParam, lParam, QString(), result, timeoutMs);
}

bool WindowLink::sendText(const QString& title, int message, const QString& text, int timeoutMs)
{
    return exchange(title, message, 0, 0, text, nullptr, timeoutMs);
}

void WindowLink::setInstallRoot(const QString& root) { installRootSetting() = root; }

QString WindowLink::socketPath(const QString& title) { return socketName(title); }
