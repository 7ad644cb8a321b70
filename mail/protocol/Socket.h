#pragma once
// The SMTP connection: a TCP socket that turns the byte stream into lines,
// queues what is to be written, and waits for replies with a 90 s limit.
// Plain POSIX under socket notifiers: the library need not load Qt's network
// module (and with it a proxy library and more) for one SMTP dialogue.
//
// While notify mode is on (connecting), every connection event goes to the
// conversation entry given at construction; with it off (the dialogue), the
// owner reads lines synchronously with ReceiveLine.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

class QSocketNotifier;
class QTimer;
class SendReporter;
struct addrinfo;

// Cuts data after every line feed: complete lines go to `lines`, the rest
// waits in `partial` for the next piece (up to kMaxLineBytes, which then
// count as a line).
constexpr qsizetype kMaxLineBytes = 64 * 1024;
// Received lines nobody has read yet: a peer that sends far more than any
// reply fails the send as a time-out would.
constexpr qsizetype kMaxQueuedBytes = 1024 * 1024;
void splitLines(const QByteArray& data, QByteArray& partial, std::deque<QByteArray>& lines);

// Called on every turn of a wait so that tests can move a scripted clock.
namespace mailwait {
void setIdleHook(std::function<void()> hook);
void idle();
constexpr uint32_t kLimitMs = 90000;
} // namespace mailwait

class CMailSocket : public QObject {
    Q_OBJECT
public:
    enum State : int { New = 0, Created = 1, Connecting = 2, Connected = 5, Failed = 6 };
    // event -100 is a connection event; a positive event is the number of bytes
    // that arrived, with the bytes.
    using Conversation = std::function<void(int event, const QByteArray& data)>;

    // The reporter hears of a time-out and is asked about Cancel on every
    // turn of a wait; it must outlive the socket.
    CMailSocket(Conversation conversation, SendReporter& reporter, QObject* parent = nullptr);
    ~CMailSocket() override;

    void SetNotifyMode(bool on);
    // Starts connecting; false when that cannot even start.
    bool Connect(const QString& host, quint16 port);
    // Queues text for writing; 0 for empty text. While the queue is long it
    // waits for the peer, keeping the user interface alive.
    int SendString(const QByteArray& text);
    // The next line with its line feed; ".\r\n" after a 90 s time-out (with
    // a time-out notice); empty when the connection is gone or the user cancelled
    // (which drops it). Host timers and the Cancel button keep working.
    QByteArray ReceiveLine();
    // A whole reply: reads "250-..." continuation lines up to the last line
    // and returns that one.
    QByteArray ReceiveReply();
    // Hands everything queued to the system, waiting at most waitMs.
    void Flush(int waitMs);
    // Drops the connection at once, without a proper end.
    void abort();

    int state() const { return state_; }
    bool timedOut() const { return timedOut_; }
    QString errorText() const { return errorText_; }
    bool notifyMode() const { return notifyMode_; }

private:
    struct Lookup;

    void onConnected();
    void onLookupTurn();
    void tryNextAddress();
    void onWritable();
    void onReadable();
    void peerClosed();
    void handleError(const QString& text);
    void readAvailable();
    void pump();
    bool waitWritable(int ms);
    qint64 pendingBytes() const;
    void closeSocket();
    // The 90 s limit, or a peer that floods us: one time-out notice, and the end.
    void timeOut(bool drop);
    void dropLines(qsizetype bytes) { queuedBytes_ -= bytes; }
    void enter(int event, const QByteArray& data = QByteArray());

    Conversation conversation_;
    SendReporter& reporter_;
    int fd_ = -1;
    // The connection is made and the peer has not closed it.
    bool linked_ = false;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    // The name is looked up on a thread of its own, so that the windows stay
    // alive meanwhile; the timer looks for its answer.
    std::shared_ptr<Lookup> lookup_;
    QTimer* lookupTimer_;
    addrinfo* nextAddress_ = nullptr;
    int lastErrno_ = 0;
    bool timedOut_ = false;
    int state_ = New;
    QString errorText_;
    std::deque<QByteArray> lines_;
    qsizetype queuedBytes_ = 0;
    QByteArray partial_;
    std::deque<QByteArray> queue_;
    bool notifyMode_ = false;
};
