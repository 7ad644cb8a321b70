// mailsend FILE...: lets the user write a message in the mail library's
// dialog and sends it with the files attached. Exit status 0 when the server
// took the message, 1 when nothing was sent, 2 when the library is unusable.
//
// The library is loaded by name at run time, the way any host loads it.

#include "mail.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QObject>

#include <cstdio>
#include <string>
#include <vector>

#include <dlfcn.h>

namespace {
class EndListener : public QObject {
public:
    bool ended = false;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::Type(MAIL_SEND_ENDED_EVENT)) {
            ended = true;
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        const QFileInfo info(QString::fromLocal8Bit(argv[i]));
        if (!info.isFile()) {
            std::fprintf(stderr, "mailsend: %s: no such file\n", argv[i]);
            return 1;
        }
        paths.push_back(info.absoluteFilePath().toStdString());
    }

    void* lib = dlopen("libmail.so", RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        std::fprintf(stderr, "mailsend: %s\n", dlerror());
        return 2;
    }
    using ContentFn = int32_t (*)();
    using SendFn = int32_t (*)(const char* const*, void*);
    auto content = reinterpret_cast<ContentFn>(dlsym(lib, "MailContent"));
    auto send = reinterpret_cast<SendFn>(dlsym(lib, "MailStartSend"));
    if (!content || !send) {
        std::fprintf(stderr, "mailsend: libmail.so lacks its entry points\n");
        return 2;
    }

    if (!content()) {
        // The library makes its application when it can show windows at all.
        if (!QCoreApplication::instance()) {
            std::fprintf(stderr, "mailsend: the mail library cannot show its windows here\n");
            return 2;
        }
        std::fprintf(stderr, "mailsend: no recipient, nothing sent\n");
        return 1;
    }
    std::vector<const char*> files;
    for (const std::string& p : paths)
        files.push_back(p.c_str());
    files.push_back(nullptr);
    EndListener listener;
    const int32_t sent = send(files.data(), &listener);
    if (!listener.ended)
        std::fprintf(stderr, "mailsend: the library did not report the end of the send\n");
    std::fprintf(stderr, sent ? "mailsend: sent\n" : "mailsend: not sent\n");
    return sent ? 0 : 1;
}
