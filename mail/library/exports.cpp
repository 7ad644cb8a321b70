// The library's two entry points (the only symbols it exports).
#include "mail.h"

#include "display_check.h"
#include "mail_app.h"
#include "mail_dialog.h"
#include "mail_send.h"
#include "paths.h"

#include <QApplication>

#include <cstdio>

namespace {

// Hosts without Qt get an application of ours; it stays for the process.
bool ensureApplication()
{
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        if (!qobject_cast<QApplication*>(existing)) {
            std::fprintf(stderr, "libmail: the host runs a QCoreApplication; windows need a QApplication\n");
            return false;
        }
        return true;
    }
    // Qt would abort the host's whole process without a display.
    if (!display::usable()) {
        std::fprintf(stderr, "libmail: no display to show the mail windows on (DISPLAY, WAYLAND_DISPLAY or "
                             "QT_QPA_PLATFORM); nothing done\n");
        return false;
    }
    static int argc = 1;
    static char name[] = "libmail";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    return true;
}

CMailApp& ready()
{
    CMailApp& app = CMailApp::instance();
    app.initInstance(paths::moduleFolder(reinterpret_cast<const void*>(&MailContent)));
    return app;
}

// Runs at dlclose or at the process's exit, after the host's application and
// the process's statics may be gone: nothing of Qt's may be touched here.
__attribute__((destructor)) void unloadLibrary() { CMailApp::instance().exitInstance(); }

// The record belongs to the send under way; the host's window stays live
// meanwhile, so either entry point can be reached again from inside it.
bool refusedDuringSend(const char* entry)
{
    if (!SendRunning())
        return false;
    std::fprintf(stderr, "libmail: %s called while a send is under way; refused\n", entry);
    return true;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int32_t MailContent(void)
{
    if (refusedDuringSend("MailContent") || !ensureApplication())
        return 0;
    CMailApp& app = ready();
    MailMessage& m = app.message();

    CMailDialog dialog(nullptr);
    dialog.body = m.body;
    dialog.subject = m.subject;
    dialog.recipients = m.recipients;
    // Empty after a send; after one that could not connect they are what the
    // user typed, to correct and send again.
    dialog.from = m.sender;
    dialog.server = m.server;
    dialog.exec();

    m.sender = dialog.from;
    m.server = dialog.server;
    m.recipients = dialog.recipients;
    m.body = dialog.body;
    m.subject = dialog.subject;
    return m.recipients.isEmpty() ? 0 : 1;
}

extern "C" __attribute__((visibility("default"))) int32_t MailStartSend(const char* const* files, void* notifyWindow)
{
    if (refusedDuringSend("MailStartSend") || !ensureApplication())
        return 0;
    CMailApp& app = ready();
    MailMessage& m = app.message();
    m.attachments.clear();
    m.notifyWindow = static_cast<QObject*>(notifyWindow);
    if (files)
        for (const char* const* f = files; *f; ++f)
            m.attachments << QString::fromUtf8(*f);
    return SendMail();
}
