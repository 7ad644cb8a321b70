// A whole game played in a real X server (Xvfb): the player on the xcb
// platform, pieces dragged out of the column with mouse events, and
// screenshots of the screen at the start, mid-game and at the end, written to
// $SUITE_SCREENSHOTS when it is set.

#include "finish_window.h"
#include "game_fixture.h"
#include "paths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

namespace {
void settle() { QTest::qWait(150); }

void screenshot(const QString& name)
{
    const QString dir = qEnvironmentVariable("SUITE_SCREENSHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    settle();
    QGuiApplication::primaryScreen()->grabWindow(0).save(dir + "/" + name + ".png");
}
} // namespace

TEST(PlayerOnX, AWholePuzzleFromFirstPieceToLast)
{
    if (QGuiApplication::platformName() != "xcb")
        GTEST_SKIP() << "needs an X server";
    // The side files the build makes, beside this program for the game.
    QStringList copied;
    for (const char* name : {"TileMenderBk.JPG", "finish.bmp", "app.wav"}) {
        const QString to = paths::programFolder() + name;
        if (QFile::copy(QStringLiteral(SUITE_BIN_DIR "/") + name, to))
            copied << to;
    }

    Game g(4, 3, 72, true);
    g.frame->raise();
    g.frame->activateWindow();
    screenshot("1-start");

    int placed = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) {
            g.placeFromStrip(c, r);
            settle();
            if (++placed == 6)
                screenshot("2-mid-game");
        }
    EXPECT_EQ(g.view->fixedCount(), 12);
    EXPECT_EQ(g.doc->finished, 1);
    ASSERT_TRUE(g.view->finishWindow());
    EXPECT_TRUE(g.view->finishWindow()->isVisible());
    screenshot("3-finished");
    Game::send(g.view->finishWindow(), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    settle();
    EXPECT_FALSE(g.view->finishWindow());
    screenshot("4-after-finish");
    for (const QString& f : copied)
        QFile::remove(f);
}
