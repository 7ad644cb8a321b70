#pragma once
// Sending one message: connect, run the SMTP dialogue, write the MIME
// content, and tell a SendReporter how it goes. Nothing here shows a window.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class CMailSocket;
class SendReporter;

// What the user entered for one message.
struct OutgoingMail {
    QString subject;
    QString server; // "host" or "host:port"; survives a reset
    QString body;
    QString sender;
    QStringList recipients;
    QStringList attachments;

    // Empties what one send consumes; the server field is kept.
    void reset();
};

// One send, from its checks to its end. It owns its connection and
// everything it learns on the way; a new send is a new session.
class SmtpSession {
public:
    // Both must outlive the session.
    SmtpSession(OutgoingMail& mail, SendReporter& reporter);
    ~SmtpSession();
    SmtpSession(const SmtpSession&) = delete;
    SmtpSession& operator=(const SmtpSession&) = delete;

    // Runs the send once: 1 when the server accepted the message, 0
    // otherwise. Recipients and attachments are consumed as they go out and
    // the record is reset after a dialogue; a send that never reached its
    // dialogue leaves the record as the user left it, server included.
    int run();

    CMailSocket* socket() const { return socket_.get(); }

private:
    void conversation(int event, const QByteArray& data);
    void dialogue();
    void abandon(const QString& server);
    void end();

    OutgoingMail& mail_;
    SendReporter& reporter_;
    std::unique_ptr<CMailSocket> socket_;
    bool connectFailed_ = false;
    bool delivered_ = false;
    bool ended_ = false;
    // The dialogue has begun: later connection events change nothing.
    bool done_ = false;
};

// "host:port" or "[v6]:port" with port 25 when none is given. False when the
// port is not a number from 1 to 65535.
bool splitServer(const QString& server, QString& host, quint16& port);
