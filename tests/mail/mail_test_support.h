#pragma once
// Servers for the mail tests: aiosmtpd started as a child process, and a
// scripted server of our own for answers a real server will not give.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class QProcess;

namespace mailtest {

// aiosmtpd on 127.0.0.1 keeping every message it receives.
class SinkServer {
public:
    SinkServer();
    ~SinkServer();
    bool running() const { return port_ != 0; }
    quint16 port() const { return port_; }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    // What the standard MIME parser read from message n; waits for it briefly.
    QJsonObject message(int n) const;
    QByteArray raw(int n) const;
    QByteArray attachment(int n, int k) const;
    QString folder() const { return dir_.path(); }
    QString error() const { return error_; }

private:
    QTemporaryDir dir_;
    QProcess* process_ = nullptr;
    quint16 port_ = 0;
    QString error_;
};

// One connection on 127.0.0.1, answered line by line by a script. The script
// gets each command line (without CR LF) and returns the reply to send (which
// may hold several lines), "" for no reply at all, or "<close>" to hang up.
// The DATA content is collected up to its final "." and the script then gets
// the line ".". With dataReadDelayMs, the first megabyte of DATA is read
// slowly; with a negative one, DATA is not read at all for that long, and
// then the server hangs up.
class ScriptedServer {
public:
    using Script = std::function<std::string(const std::string& line)>;
    ScriptedServer(std::string greeting, Script script, int dataReadDelayMs = 0);
    ~ScriptedServer();
    quint16 port() const { return port_; }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    // Each waits for the client to go, then tells what it sent.
    std::vector<std::string> commands() { return finish(), commands_; }
    std::string data() { return finish(), data_; }
    bool sawDataEnd() { return finish(), dataEnd_; }
    bool clientClosed() { return finish(), clientClosed_; }

private:
    void run();
    void finish();
    std::string greeting_;
    Script script_;
    int delayMs_;
    int listen_ = -1;
    quint16 port_ = 0;
    std::thread thread_;
    std::vector<std::string> commands_;
    std::string data_;
    bool dataEnd_ = false;
    bool clientClosed_ = false;
    std::atomic<bool> stop_{false};
};

// A server script in the usual shape: 250 to everything, 354 to DATA, and
// the replies of `special` (by command prefix) where given.
ScriptedServer::Script standardScript(std::vector<std::pair<std::string, std::string>> special = {});

// Fills the library's message record for a send.
void prepareMessage(const QString& server, const QString& sender, const QStringList& recipients,
                    const QString& subject, const QString& body, const QStringList& attachments = {});

// A file of n bytes of a repeating but not periodic-by-3 pattern.
QString writeFile(const QTemporaryDir& dir, const QString& name, qint64 n);

} // namespace mailtest
