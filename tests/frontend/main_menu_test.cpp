// The main menu window driven with real mouse events: its buttons' looks and
// clicks, the game menu, the about box, help, and the single running copy.

#include "about_box.h"
#include "game_menu.h"
#include "main_menu.h"
#include "message_box.h"
#include "vorlin_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

TEST(SingleInstance, ASecondStartOnlyBringsTheFirstForward)
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("Bin"));
    const QString program = root.path() + QStringLiteral("/Bin/Vorlin");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORLIN_PROGRAM), program));
    QFile::setPermissions(program, QFile::ExeOwner | QFile::ReadOwner | QFile::WriteOwner);
    // The test's own windows must not be mistaken for the program's.
    ASSERT_FALSE(WindowLink::exists(QStringLiteral("Snapp'It")));

    QProcess first;
    first.start(program, {QStringLiteral("-nosplash")});
    ASSERT_TRUE(first.waitForStarted());
    QElapsedTimer t;
    t.start();
    while (!WindowLink::exists(QStringLiteral("Snapp'It")) && t.elapsed() < 10000)
        QTest::qWait(20);
    ASSERT_TRUE(WindowLink::exists(QStringLiteral("Snapp'It")));

    QProcess second;
    second.start(program, {QStringLiteral("-nosplash")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    // The data folder came from the first copy's place.
    EXPECT_TRUE(QFileInfo(root.path() + QStringLiteral("/Data")).isDir());

    first.kill();
    first.waitForFinished();
}
