// libmail.so as a host sees it: loaded by path, two entry points, nothing else.
#include "mail_test_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

using ContentFn = int32_t (*)();
using SendFn = int32_t (*)(const char* const*, void*);

class EndCounter : public QObject {
public:
    int ends = 0;
    bool event(QEvent* e) override { return e->type() == QEvent::Type(1145) ? ++ends : QObject::event(e); }
};

// Fills the message dialog once it is up, then presses Send or Cancel.
void answerDialog(const QString& to, const QString& server, bool send)
{
    QTimer::singleShot(0, [=] {
        QWidget* d = QApplication::activeModalWidget();
        ASSERT_NE(d, nullptr);
        if (send) {
            d->findChild<QLineEdit*>("1007")->setText(to);
            d->findChild<QLineEdit*>("1021")->setText("alice@example.org");
            d->findChild<QLineEdit*>("1022")->setText(server);
            d->findChild<QLineEdit*>("1005")->setText("From the library");
            d->findChild<QPlainTextEdit*>("1006")->setPlainText("Sent through libmail.so");
        }
        d->findChild<QPushButton*>(send ? "1001" : "1000")->click();
    });
}

class Library : public ::testing::Test {
protected:
    void SetUp() override
    {
        handle = dlopen(MAIL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        content = reinterpret_cast<ContentFn>(dlsym(handle, "MailContent"));
        send = reinterpret_cast<SendFn>(dlsym(handle, "MailStartSend"));
    }
    // Never unloaded: its windows and sockets belong to this process's application.
    void* handle = nullptr;
    ContentFn content = nullptr;
    SendFn send = nullptr;
};

TEST_F(Library, ExportsOnlyItsTwoEntryPoints)
{
    EXPECT_NE(content, nullptr);
    EXPECT_NE(send, nullptr);
    for (const char* hidden : {"_ZN8CMailApp8instanceEv", "_Z8SendMailv", "_Z15RunConversationiRK10QByteArray",
                               "_ZN7profile10readStringERK7QStringS2_S2_S2_i", "MailLanguageText"})
        EXPECT_EQ(dlsym(handle, hidden), nullptr) << hidden;
}

TEST_F(Library, WriteThenSendWithAttachments)
{
    mailtest::SinkServer sink;
    if (!sink.running())
        GTEST_SKIP() << "aiosmtpd not available";
    QTemporaryDir dir;
    const QString file = mailtest::writeFile(dir, "picture.puz", 100000);

    answerDialog("bob@example.com", sink.server(), true);
    ASSERT_NE(content(), 0);
    // A cancelled second dialog keeps the recipients of the first.
    answerDialog({}, {}, false);
    EXPECT_NE(content(), 0);
    answerDialog("bob@example.com", sink.server(), true);
    ASSERT_NE(content(), 0);

    const QByteArray path = file.toUtf8();
    const char* files[] = {path.constData(), nullptr};
    EndCounter window;
    // The host's window stays live during the send; calls from it are refused.
    int again = -1, contentAgain = -1;
    QTimer::singleShot(0, [&] {
        EndCounter other;
        again = send(files, &other);
        contentAgain = content();
    });
    EXPECT_EQ(send(files, &window), 1);
    EXPECT_EQ(again, 0);
    EXPECT_EQ(contentAgain, 0);
    EXPECT_EQ(window.ends, 1);
    const QJsonObject m = sink.message(0);
    EXPECT_EQ(m.value("subject").toString(), "From the library");
    EXPECT_EQ(sink.attachment(0, 0).size(), 100000);

    // After a send the message starts empty.
    answerDialog({}, {}, false);
    EXPECT_EQ(content(), 0);
}

} // namespace
