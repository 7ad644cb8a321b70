#pragma once
// Finding a top-level window by its title and sending it a numbered message,
// across programs: each window that may be found listens on a local socket
// named after its title. A send waits until the receiver has handled it.
//
// A title is found only within one desktop session of one install: the same
// user, the same display, the same home and the same install root. A program
// on another display, of another install copy or under another home never
// mistakes a window of this one for its own.

#include <QEvent>
#include <QObject>
#include <QString>

class LocalListener;

// A message as the receiving window sees it: its number is the event type.
class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(int message, qint32 wParam, qint32 lParam)
        : QEvent(QEvent::Type(message)), wParam(wParam), lParam(lParam) {}
    qint32 wParam;
    qint32 lParam;
    // Text that came with the message (a file to open), empty for most.
    QString text;
    qint32 result = 0;
};

// Makes `receiver` findable under `title` for as long as this object lives.
class WindowLink : public QObject {
    Q_OBJECT
public:
    WindowLink(const QString& title, QObject* receiver, QObject* parent = nullptr);
    ~WindowLink() override;
    bool isListening() const;
    QString title() const { return title_; }

    // True when a window with this title exists, in this program or another.
    static bool exists(const QString& title);
    // Sends the message and waits for its result; false when no such window
    // answered within timeoutMs.
    static bool send(const QString& title, int message, qint32 wParam = 0, qint32 lParam = 0,
                     qint32* result = nullptr, int timeoutMs = 5000);
    // The same with a text for the receiver (at most kMaxText UTF-8 bytes).
    static bool sendText(const QString& title, int message, const QString& text, int timeoutMs = 5000);
    static constexpr int kMaxText = 16384;

    // The install root whose windows are found; by default the folder above
    // the running program's own. Tests that run programs from a copied
    // install tree name that tree.
    static void setInstallRoot(const QString& root);
    // The full path of the socket a title listens on, in this session.
    static QString socketPath(const QString& title);

private:
    QString title_;
    QObject* receiver_;
    LocalListener* server_;
};
