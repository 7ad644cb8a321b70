#include "message_box.h"
#include "paths.h"
#include "tick_clock.h"
#include "window_link.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QUuid>

namespace {
class Echo : public QObject {
public:
    std::vector<int> seen;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() <= QEvent::User)
            return QObject::event(e);
        auto* m = static_cast<WindowMessageEvent*>(e);
        seen.push_back(int(e->type()));
        m->result = m->wParam * 10 + m->lParam;
        return true;
    }
};

QString uniqueTitle() { return QStringLiteral("Test window ") + QUuid::createUuid().toString(); }
} // namespace

TEST(WindowLink, FindsAndMessagesAWindowOfThisProgram)
{
    Echo echo;
    const QString title = uniqueTitle();
    EXPECT_FALSE(WindowLink::exists(title));
    {
        WindowLink link(title, &echo);
        EXPECT_TRUE(WindowLink::exists(title));
        qint32 result = 0;
        ASSERT_TRUE(WindowLink::send(title, 1124, 4, 2, &result));
        EXPECT_EQ(result, 42);
        EXPECT_EQ(echo.seen, std::vector<int>({1124}));
    }
    EXPECT_FALSE(WindowLink::exists(title));
    EXPECT_FALSE(WindowLink::send(title, 1124, 0, 0, nullptr, 200));
}

TEST(WindowLink, FindsAndMessagesAWindowOfAnotherProgram)
{
    const QString title = uniqueTitle();
    QProcess peer;
    peer.start(QCoreApplication::applicationDirPath() + "/window_link_peer", {title});
    ASSERT_TRUE(peer.waitForStarted(5000));
    QElapsedTimer wait;
    wait.start();
    while (!WindowLink::exists(title) && wait.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(WindowLink::exists(title));

    qint32 result = 0;
    ASSERT_TRUE(WindowLink::send(title, 1027, 30, 12, &result));
    EXPECT_EQ(result, 42);
    ASSERT_TRUE(WindowLink::send(title, 1124, 1, 1, &result));
    EXPECT_EQ(result, 2);
    ASSERT_TRUE(peer.waitForFinished(5000));
    EXPECT_EQ(peer.exitCode(), 0);
    EXPECT_FALSE(WindowLink::exists(title));
}

TEST(MessageBoxScript, RecordsBoxesAndAnswersFromItsQueue)
{
    MessageBoxScript script;
    script.answer(mb::IdNo);
    EXPECT_EQ(messageBox(nullptr, "Sure?", "Vorlin", mb::YesNo | mb::IconQuestion), mb::IdNo);
    EXPECT_EQ(messageBox(nullptr, "Again?", "Vorlin", mb::YesNo), mb::IdYes) << "empty queue: first button";
    EXPECT_EQ(messageBox(nullptr, "Done", "Vorlin", mb::Ok), mb::IdOk);
    ASSERT_EQ(script.calls().size(), 3u);
    EXPECT_EQ(script.calls()[0].text, "Sure?");
    EXPECT_EQ(script.calls()[0].caption, "Vorlin");
    EXPECT_EQ(script.calls()[0].flags, mb::YesNo | mb::IconQuestion);
}

TEST(Platform, TickClockAndFolders)
{
    tick::setForTest(1000);
    EXPECT_EQ(tick::now(), 1000u);
    tick::advanceForTest(5000);
    EXPECT_EQ(tick::now(), 6000u);
    tick::releaseTestClock();
    const uint32_t a = tick::now();
    EXPECT_GE(tick::now() - a, 0u);

    EXPECT_EQ(paths::parentFolder("/opt/suite/Bin/"), "/opt/suite/");
    EXPECT_EQ(paths::parentFolder("/opt/suite/Bin"), "/opt/suite/");
    EXPECT_EQ(paths::folderOf("/a/b/c.puz"), "/a/b/");
    EXPECT_TRUE(paths::programFolder().endsWith('/'));
    EXPECT_EQ(paths::moduleFolder(reinterpret_cast<const void*>(&paths::folderOf)), paths::programFolder());
}
