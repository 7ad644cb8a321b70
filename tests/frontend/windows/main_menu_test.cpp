// The main menu window driven with real mouse events: its buttons' looks and
// clicks, the game menu, the about box, help, and the single running copy.

#include "about_box.h"
#include "desktop_opener.h"
#include "game_menu.h"
#include "main_menu.h"
#include "message_box.h"
#include "puzzle_maker.h"
#include "vorlin_app.h"
#include "wizard_frame.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "window_link.h"

namespace {

struct MenuFixture : ::testing::Test {
    QTemporaryDir dir;
    SuiteFolders folders = SuiteFolders::fromProgramPath(dir.path() + QStringLiteral("/Bin/Vorlin"));
    CVorlinApp app{folders};
    CMainMenuDlg menu{app};

    void SetUp() override
    {
        menu.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));
    }
    QPoint centre(CMainMenuDlg::ButtonId b) const { return CMainMenuDlg::rectOf(b).center(); }
    QImage grab() { return menu.grab().toImage(); }
};

} // namespace

TEST_F(MenuFixture, TheDataFolderIsMadeAtStart)
{
    EXPECT_TRUE(QFileInfo(folders.data).isDir());
    EXPECT_EQ(menu.size(), QSize(800, 600));
    EXPECT_EQ(menu.windowTitle(), QStringLiteral("Snapp'It"));
}

TEST_F(MenuFixture, PressMoveOffReleaseElsewhereDoesNothing)
{
    MessageBoxScript boxes;
    QTest::mouseMove(&menu, centre(CMainMenuDlg::LoadGame));
    EXPECT_EQ(menu.lookOf(CMainMenuDlg::LoadGame), skin::Hot);
    QTest::mousePress(&menu, Qt::LeftButton, {}, centre(CMainMenuDlg::LoadGame));
    EXPECT_EQ(menu.lookOf(CMainMenuDlg::LoadGame), skin::Pressed);
    QTest::mouseMove(&menu, QPoint(400, 300));
    EXPECT_EQ(menu.lookOf(CMainMenuDlg::LoadGame), skin::Normal);
    QTest::mouseRelease(&menu, Qt::LeftButton, {}, QPoint(400, 300));
    EXPECT_TRUE(boxes.calls().empty());
    EXPECT_TRUE(menu.isVisible());
}

TEST_F(MenuFixture, AButtonLitWhenADialogOpenedGoesOutIfTheMouseLeftItMeanwhile)
{
    // Straight to the window: the platform drops a move to where an earlier
    // test's window last had the mouse.
    const QPoint over = centre(CMainMenuDlg::LoadGame);
    QMouseEvent move(QEvent::MouseMove, over, menu.mapToGlobal(over), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&menu, &move);
    ASSERT_EQ(menu.lookOf(CMainMenuDlg::LoadGame), skin::Hot);
    QEvent unblocked(QEvent::WindowUnblocked);
    QCursor::setPos(menu.mapToGlobal(centre(CMainMenuDlg::LoadGame)));
    QApplication::sendEvent(&menu, &unblocked);
    EXPECT_EQ(menu.lookOf(CMainMenuDlg::LoadGame), skin::Hot) << "still under the mouse";
    QCursor::setPos(menu.mapToGlobal(QPoint(400, 300)));
    QApplication::sendEvent(&menu, &unblocked);
    EXPECT_EQ(menu.lookOf(CMainMenuDlg::LoadGame), skin::Normal);
}

TEST_F(MenuFixture, TheLooksArePaintedFromTheStrips)
{
    const QRect r = CMainMenuDlg::rectOf(CMainMenuDlg::Help);
    const QImage normal = grab().copy(r);
    QTest::mouseMove(&menu, r.center());
    const QImage hot = grab().copy(r);
    QTest::mousePress(&menu, Qt::LeftButton, {}, r.center());
    const QImage pressed = grab().copy(r);
    QTest::mouseMove(&menu, QPoint(400, 300));
    QTest::mouseRelease(&menu, Qt::LeftButton, {}, QPoint(400, 300));
    const QImage strip = app.sharedBitmap(QStringLiteral("BAR_HELP")).convertToFormat(normal.format());
    EXPECT_EQ(normal, strip.copy(0, 0, 51, 27));
    EXPECT_EQ(hot, strip.copy(0, 27, 51, 27));
    EXPECT_EQ(pressed, strip.copy(0, 54, 51, 27));
}

TEST_F(MenuFixture, LargeButtonsLetTheBackgroundShowAroundThem)
{
    const QImage shot = grab();
    const QImage strip = QImage(QStringLiteral(":/frontend/01_NEWGAME.png")).convertToFormat(QImage::Format_RGB32);
    const QImage back = QImage(QStringLiteral(":/frontend/01_MAIN.png")).convertToFormat(QImage::Format_RGB32);
    const QRect r = CMainMenuDlg::rectOf(CMainMenuDlg::NewGame);
    int keyed = 0, opaque = 0;
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) {
            const QRgb s = strip.pixel(x, y);
            const QRgb seen = shot.pixel(r.x() + x, r.y() + y);
            if (s == qRgb(0, 0, 255)) {
                EXPECT_EQ(seen, back.pixel(r.x() + x, r.y() + y));
                ++keyed;
            } else {
                EXPECT_EQ(seen, s);
                ++opaque;
            }
            if (::testing::Test::HasFailure())
                return;
        }
    EXPECT_GT(keyed, 0);
    EXPECT_GT(opaque, 0);
}

TEST_F(MenuFixture, GameMenuRowsSendTheirCommands)
{
    QTest::mouseClick(&menu, Qt::LeftButton, {}, centre(CMainMenuDlg::GameMenu));
    CGameMenu* games = menu.gameMenu();
    ASSERT_NE(games, nullptr);
    EXPECT_TRUE(games->isVisible());
    EXPECT_EQ(games->pos(), QPoint(10, 27));
    EXPECT_EQ(games->height(), 3 * 41);
    EXPECT_EQ((games->width() - 60) % 20, 0);
    EXPECT_EQ(CGameMenu::widthFor(61), 140);
    EXPECT_EQ(CGameMenu::widthFor(60), 120);
    EXPECT_EQ(CGameMenu::rowAt(40), 0);
    EXPECT_EQ(CGameMenu::rowAt(41), 1);
    EXPECT_EQ(CGameMenu::rowAt(500), 2);
    // The row under the mouse is drawn bright green.
    QTest::mouseMove(games, QPoint(30, 41 + 20));
    EXPECT_EQ(games->hotRow(), 1);
    // Moving onto another button of the main menu hides the game menu.
    QTest::mouseMove(&menu, centre(CMainMenuDlg::About));
    EXPECT_FALSE(games->isVisible());
    QTest::mouseMove(&menu, QPoint(400, 300));
    QTest::mouseClick(&menu, Qt::LeftButton, {}, centre(CMainMenuDlg::GameMenu));
    ASSERT_TRUE(games->isVisible());
    // The last row is Exit: it ends the main menu.
    QTest::mouseClick(games, Qt::LeftButton, {}, QPoint(30, 2 * 41 + 5));
    EXPECT_FALSE(menu.isVisible());
    EXPECT_EQ(menu.result(), QDialog::Accepted);
}

TEST_F(MenuFixture, AboutBoxClosesOnAnyPress)
{
    bool sawAbout = false;
    QTimer::singleShot(50, [&] {
        QWidget* seen = QApplication::activeModalWidget();
        sawAbout = dynamic_cast<CAboutDlg*>(seen) != nullptr;
        if (seen) {
            EXPECT_EQ(seen->size(), QSize(332, 207));
            QTest::mouseClick(seen, Qt::RightButton, {}, QPoint(5, 5));
        }
    });
    QTest::mouseClick(&menu, Qt::LeftButton, {}, centre(CMainMenuDlg::About));
    EXPECT_TRUE(sawAbout);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // The button that opened it is drawn normal again.
    EXPECT_EQ(menu.lookOf(CMainMenuDlg::About), skin::Normal);
}

TEST_F(MenuFixture, HelpWithoutTheManualSaysSo)
{
    MessageBoxScript boxes;
    QTest::mouseClick(&menu, Qt::LeftButton, {}, centre(CMainMenuDlg::Help));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, QStringLiteral("Unable to locate the Help file !"));
    EXPECT_EQ(boxes.calls()[0].caption, QStringLiteral("Snapp'It"));
    // Twice works the same.
    QTest::mouseClick(&menu, Qt::LeftButton, {}, centre(CMainMenuDlg::Help));
    EXPECT_EQ(boxes.calls().size(), 2u);
}

TEST_F(MenuFixture, HelpWithoutABrowserNamesTheManual)
{
    MessageBoxScript boxes;
    QDir().mkpath(folders.root);
    QFile manual(folders.helpFile);
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("<html></html>");
    manual.close();
    // xdg-open says 3 when it found nothing to show the file with.
    const QString opener = dir.filePath(QStringLiteral("opener.sh"));
    QFile script(opener);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexit 3\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    const QString saved = desktop_opener::program();
    desktop_opener::program() = opener;

    QTest::mouseClick(&menu, Qt::LeftButton, {}, centre(CMainMenuDlg::Help));
    QElapsedTimer t;
    t.start();
    while (boxes.calls().empty() && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    desktop_opener::program() = saved;
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_TRUE(boxes.calls()[0].text.contains(folders.helpFile)) << boxes.calls()[0].text.toStdString();
    EXPECT_EQ(boxes.calls()[0].caption, QStringLiteral("Snapp'It"));
}

TEST_F(MenuFixture, CloseAndExitEndTheMenu)
{
    QTest::mouseClick(&menu, Qt::LeftButton, {}, centre(CMainMenuDlg::Exit));
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(MenuFixture, MinimisingRemembersItAndActivationShowsTheChildAgain)
{
    QWidget child;
    app.childWindow = &child;
    app.minimiseTogether(&child);
    EXPECT_TRUE(app.minimised);
    app.restoreMinimised();
    EXPECT_FALSE(app.minimised);
    EXPECT_TRUE(child.isVisible());
    app.childWindow = nullptr;
}

namespace {
// A copy of the real program in an install tree of its own, started with
// changes to the environment it inherits from this test.
struct InstallCopy {
    QTemporaryDir root;
    QString program = root.path() + QStringLiteral("/Bin/Vorlin");

    InstallCopy()
    {
        QDir(root.path()).mkpath(QStringLiteral("Bin"));
        QFile::copy(QStringLiteral(VORLIN_PROGRAM), program);
        QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    }
    void start(QProcess& p, const QStringList& args, const QList<QPair<QString, QString>>& env = {}) const
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        for (const auto& [k, v] : env)
            e.insert(k, v);
        p.setProcessEnvironment(e);
        p.start(program, args);
    }
};

// Waits (with a generous bound, never a fixed pause) for the program's
// window to be findable from a session with this environment.
bool findableWith(const InstallCopy& copy, const QList<QPair<QString, QString>>& env, QProcess& running)
{
    QList<QPair<QString, QByteArray>> saved;
    for (const auto& [k, v] : env) {
        saved.append({k, qgetenv(k.toLatin1())});
        qputenv(k.toLatin1(), v.toLocal8Bit());
    }
    WindowLink::setInstallRoot(copy.root.path());
    QElapsedTimer t;
    t.start();
    bool found = false;
    while (!(found = WindowLink::exists(QStringLiteral("Snapp'It"))) && t.elapsed() < 20000
           && running.state() != QProcess::NotRunning)
        QTest::qWait(20);
    for (const auto& [k, v] : saved)
        qputenv(k.toLatin1(), v);
    WindowLink::setInstallRoot(QString());
    return found;
}

void stop(QProcess& p)
{
    p.kill();
    p.waitForFinished();
}
} // namespace

TEST(SingleInstance, ASecondStartOnlyBringsTheFirstForward)
{
    InstallCopy copy;
    // The test's own windows must not be mistaken for the program's.
    WindowLink::setInstallRoot(copy.root.path());
    ASSERT_FALSE(WindowLink::exists(QStringLiteral("Snapp'It")));

    QProcess first;
    copy.start(first, {QStringLiteral("-nosplash")});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(findableWith(copy, {}, first));

    QProcess second;
    copy.start(second, {QStringLiteral("-nosplash")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    // The data folder came from the first copy's place.
    EXPECT_TRUE(QFileInfo(copy.root.path() + QStringLiteral("/Data")).isDir());
    stop(first);
}

TEST(SingleInstance, AnotherDisplayAnotherHomeOrAnotherInstallStartsItsOwn)
{
    InstallCopy copy, other;
    QProcess first;
    copy.start(first, {QStringLiteral("-nosplash")}, {{"DISPLAY", ":71"}});
    ASSERT_TRUE(findableWith(copy, {{"DISPLAY", ":71"}}, first));

    // ":71.0" is the same display: that start only brings the first forward.
    QProcess sameDisplay;
    copy.start(sameDisplay, {QStringLiteral("-nosplash")}, {{"DISPLAY", ":71.0"}});
    ASSERT_TRUE(sameDisplay.waitForFinished(10000));

    const QTemporaryDir home;
    struct Case {
        const char* what;
        const InstallCopy& tree;
        QList<QPair<QString, QString>> env;
    } cases[] = {
        {"another display", copy, {{"DISPLAY", ":72"}}},
        {"another home", copy, {{"DISPLAY", ":71"}, {"HOME", home.path()}}},
        {"another install", other, {{"DISPLAY", ":71"}}},
    };
    for (const Case& c : cases) {
        QProcess p;
        c.tree.start(p, {QStringLiteral("-nosplash")}, c.env);
        EXPECT_TRUE(findableWith(c.tree, c.env, p)) << c.what;
        EXPECT_EQ(p.state(), QProcess::Running) << c.what;
        stop(p);
    }
    EXPECT_EQ(first.state(), QProcess::Running);
    stop(first);
}

TEST(StartArguments, QtAndSessionOptionsStartTheWindowsAndOnlyOurOwnOptionsTheCommandLine)
{
    InstallCopy copy;
    const QStringList windowStarts[] = {
        {QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-nosplash")},
        {QStringLiteral("-session"), QStringLiteral("1234abcd_5678"), QStringLiteral("-nosplash")},
        {QStringLiteral("--platform=offscreen"), QStringLiteral("-nosplash")},
    };
    for (const QStringList& args : windowStarts) {
        QProcess p;
        copy.start(p, args);
        EXPECT_TRUE(findableWith(copy, {}, p)) << args.join(' ').toStdString() << ": "
                                               << p.readAllStandardError().toStdString();
        stop(p);
    }
    QProcess wrong;
    copy.start(wrong, {QStringLiteral("--frobnicate")});
    ASSERT_TRUE(wrong.waitForFinished(10000));
    EXPECT_EQ(wrong.exitCode(), 2);
    EXPECT_TRUE(wrong.readAllStandardError().contains("Unknown option"));
}

namespace {
// Runs `look` on the wizard once it is modal and on `page`, then closes it.
void whenWizardOnPage(int page, std::function<void(CWizardFrame*)> look)
{
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [=](int triesLeft) {
        auto* w = qobject_cast<CWizardFrame*>(QApplication::activeModalWidget());
        if (w && w->page() == page && !QApplication::activePopupWidget()) {
            look(w);
            w->reject();
            return;
        }
        if (triesLeft > 0)
            QTimer::singleShot(10, [poll, triesLeft] { (*poll)(triesLeft - 1); });
        else if (w)
            w->reject();
    };
    QTimer::singleShot(0, [poll] { (*poll)(1000); });
}
} // namespace

TEST_F(MenuFixture, APictureOpenedWithUsStartsTheWizardOnItsSecondPage)
{
    MessageBoxScript boxes;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Bin"))); // the maker's scratch picture goes there
    const QString picture = dir.filePath(QStringLiteral("harbour.png"));
    ASSERT_TRUE(testfiles::patternImage(320, 240).save(picture));
    int seenPage = 0;
    whenWizardOnPage(2, [&](CWizardFrame* w) { seenPage = w->page(); });
    menu.openPicture(picture);
    EXPECT_EQ(seenPage, 2);
    for (const auto& call : boxes.calls())
        ADD_FAILURE() << call.text.toStdString();
    EXPECT_EQ(app.maker().workingImage.image.size(), QSize(320, 240));
    EXPECT_EQ(app.childWindow, nullptr);
}

TEST_F(MenuFixture, APictureThatCannotBeReadIsSaidAndTheWizardStaysOnItsFirstPage)
{
    MessageBoxScript boxes;
    const QString notAPicture = dir.filePath(QStringLiteral("notes.jpg"));
    QFile f(notAPicture);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("just some text");
    f.close();
    int seenPage = 0;
    whenWizardOnPage(1, [&](CWizardFrame* w) { seenPage = w->page(); });
    menu.openPicture(notAPicture);
    EXPECT_EQ(seenPage, 1);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].caption, QStringLiteral("Snapp'It"));
}

TEST_F(MenuFixture, APictureSentByASecondStartOpensTheWizardOnlyWhenNoOtherWindowIsOpen)
{
    MessageBoxScript boxes;
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Bin"))); // the maker's scratch picture goes there
    const QString picture = dir.filePath(QStringLiteral("lake.png"));
    ASSERT_TRUE(testfiles::patternImage(200, 200).save(picture));
    QWidget other;
    app.childWindow = &other;
    menu.openPicture(picture);
    EXPECT_TRUE(app.maker().workingImage.isNull()) << "the open window keeps the user";
    app.childWindow = nullptr;

    int seenPage = 0;
    whenWizardOnPage(2, [&](CWizardFrame* w) { seenPage = w->page(); });
    WindowMessageEvent message(CMainMenuDlg::kOpenPicture, 0, 0);
    message.text = picture;
    QApplication::sendEvent(&menu, &message);
    EXPECT_EQ(seenPage, 0) << "the sender gets its answer before the wizard opens";
    QTest::qWait(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(seenPage, 2);
}
