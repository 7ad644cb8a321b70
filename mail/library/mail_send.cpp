#include "mail_send.h"

#include "mail_app.h"
#include "mail_resources.h"
#include "message_box.h"
#include "mime.h"
#include "progress_dialog.h"
#include "send_reporter.h"
#include "smtp_send.h"
#include "window_link.h"

#include <QCoreApplication>

namespace {

constexpr int kSendEndedMessage = 1145;

// A send's notices are the library's strings of the same numbers.
constexpr bool same(SendNotice n, res::String s) { return int(n) == int(s); }
static_assert(same(NoticeHostUnreachable, res::HostUnreachable) && same(NoticeTimedOut, res::TimedOut)
              && same(NoticeServerRejects, res::ServerRejects) && same(NoticeNoRecipient, res::NoRecipient)
              && same(NoticeNoRecipientAccepted, res::NoRecipientAccepted)
              && same(NoticeMessageRefused, res::MessageRefused) && same(NoticeConnectionLost, res::ConnectionLost)
              && same(NoticeUnreadableFile, res::UnreadableFile)
              && same(NoticeRecipientsRefused, res::RecipientsRefused));

// Shows a send to the user: message boxes, the progress window and its
// Cancel button, and the end message to the host's window.
class DialogReporter : public SendReporter {
public:
    explicit DialogReporter(MailMessage& m) : m_(m) {}
    // The window lives no longer than its send.
    ~DialogReporter() override { closeWindow(); }

    void started() override
    {
        m_.progress = new CProgressDialog();
        m_.progress->show();
        m_.progress->repaint();
    }
    void tell(SendNotice notice, const QString& detail) override
    {
        const CMailApp& app = CMailApp::instance();
        QString text = app.text(notice);
        if (!detail.isEmpty())
            text += QLatin1Char('\n') + detail;
        messageBox(nullptr, text, app.text(res::Caption), mb::Ok);
    }
    void progress(int value, int step) override
    {
        CProgressDialog* p = m_.progress.data();
        if (!p)
            return;
        switch (step) {
        case StepRange: p->setRange(value); break;
        case StepPosition: p->setPosition(value); break;
        case StepStartData: p->setStatus(CMailApp::instance().text(res::StartSendData)); break;
        case StepSendFile:
            if (value >= 0 && value < m_.attachments.size())
                p->setStatus(CMailApp::instance().text(res::SendFile) + mime::fileNameOf(m_.attachments[value])
                             + QStringLiteral("\" ..."));
            break;
        default: break;
        }
    }
    bool cancelled() override { return CMailApp::instance().cancelled(); }
    void resetCancel() override { CMailApp::instance().setCancelled(false); }
    void ended(bool) override
    {
        if (QObject* target = m_.notifyWindow.data()) {
            WindowMessageEvent ev(kSendEndedMessage, 0, 0);
            QCoreApplication::sendEvent(target, &ev);
        }
        if (CProgressDialog* p = m_.progress.data()) {
            m_.progress = nullptr;
            p->hide();
            p->deleteLater();
        }
    }

private:
    void closeWindow()
    {
        if (CProgressDialog* p = m_.progress.data()) {
            m_.progress = nullptr;
            delete p;
        }
    }
    MailMessage& m_;
};

} // namespace

bool SendRunning() { return CMailApp::instance().message().socket != nullptr; }

int SendMail()
{
    if (SendRunning())
        return 0;
    MailMessage& m = CMailApp::instance().message();
    DialogReporter reporter(m);
    SmtpSession session(m, reporter);
    // Seen from outside while the send runs, and the sign that one does.
    m.socket = session.socket();
    const int result = session.run();
    m.socket = nullptr;
    return result;
}
