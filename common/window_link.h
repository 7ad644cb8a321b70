#pragma once
// Finding a top-level window by its title and sending it a numbered message,
// across programs: each window that may be found listens on a per-user local
// socket named after its title. A send waits until the receiver has handled it.

#include <QEvent>
#include <QObject>
#include <QString>

class QLocalServer;

// A message as the receiving window sees it: its number is the event type.
class WindowMessageEvent : public QEvent {
public:
    WindowMessageEvent(int message, qint32 wParam, qint32 lParam)
        : QEvent(QEvent::Type(message)), wParam(wParam), lParam(lParam) {}
    qint32 wParam;
    qint32 lParam;
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

private:
    void onConnection();
    QString title_;
    QObject* receiver_;
    QLocalServer* server_;
};
