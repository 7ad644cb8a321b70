// The skinned windows' shared parts without a window: the mouse rules of a
// button, the transparent copy, the radio marks' place and the progress fill.

#include "progress_bar.h"
#include "skin_buttons.h"
#include "suite_folders.h"

#include <gtest/gtest.h>

#include <QPainter>

using skin::ButtonTracker;
using skin::Effects;
using skin::kNone;
using skin::Redraw;

namespace {
constexpr int A = 0, B = 1;
}

TEST(ButtonRules, ClickIsReleaseOverTheButtonPressed)
{
    ButtonTracker t;
    EXPECT_EQ(t.move(A).redraws, (std::vector<Redraw>{{A, skin::Hot}}));
    EXPECT_EQ(t.press(A).redraws, (std::vector<Redraw>{{A, skin::Pressed}}));
    Effects up = t.release(A);
    EXPECT_EQ(up.clicked, A);
    // After the click the button stays hot until the mouse leaves it.
    EXPECT_EQ(up.redraws, (std::vector<Redraw>{{A, skin::Hot}}));
    EXPECT_EQ(t.lookOf(A), skin::Hot);
    EXPECT_EQ(t.move(kNone).redraws, (std::vector<Redraw>{{A, skin::Normal}}));
    EXPECT_EQ(t.lookOf(A), skin::Normal);
}

TEST(ButtonRules, MovingOffAndBackWhileHeld)
{
    ButtonTracker t;
    t.move(A);
    t.press(A);
    // Off the button: it looks normal while the press is still held.
    EXPECT_EQ(t.move(kNone).redraws, (std::vector<Redraw>{{A, skin::Normal}}));
    EXPECT_TRUE(t.down());
    // Onto another button: that one is only hot.
    EXPECT_EQ(t.move(B).redraws, (std::vector<Redraw>{{B, skin::Hot}}));
    // Back onto the pressed one: pressed again, and a release there clicks.
    EXPECT_EQ(t.move(A).redraws, (std::vector<Redraw>{{B, skin::Normal}, {A, skin::Pressed}}));
    EXPECT_EQ(t.release(A).clicked, A);
}

TEST(ButtonRules, ReleaseElsewhereClicksNothing)
{
    ButtonTracker t;
    t.move(A);
    t.press(A);
    t.move(kNone);
    EXPECT_EQ(t.release(kNone).clicked, kNone);
    t.move(B);
    t.press(B);
    t.move(A);
    EXPECT_EQ(t.release(A).clicked, kNone); // pressed on B, released on A
    EXPECT_FALSE(t.down());
    EXPECT_EQ(t.pressed(), kNone);
    // A press away from every button arms nothing: releasing on A is no click.
    t.move(kNone);
    t.press(kNone);
    t.move(A);
    EXPECT_EQ(t.release(A).clicked, kNone);
}

TEST(ButtonRules, ForgettingTheHotButtonOnRelease)
{
    ButtonTracker t;
    t.move(A);
    t.press(A);
    t.release(A, /*forgetHot=*/true);
    EXPECT_EQ(t.hot(), kNone);
    // The next move over the same button makes it hot again.
    EXPECT_EQ(t.move(A).redraws, (std::vector<Redraw>{{A, skin::Hot}}));
}

TEST(TransparentCopy, OnlyPureBlueLetsTheBackgroundThrough)
{
    QImage dest(4, 1, QImage::Format_RGB32);
    dest.fill(qRgb(10, 20, 30));
    QImage src(4, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, qRgb(0, 0, 255));
    src.setPixel(1, 0, qRgb(0, 0, 254));
    src.setPixel(2, 0, qRgb(1, 0, 255));
    src.setPixel(3, 0, qRgb(200, 100, 50));
    {
        QPainter p(&dest);
        skin::transparentCopy(p, QPoint(0, 0), src, src.rect());
    }
    EXPECT_EQ(dest.pixel(0, 0), qRgb(10, 20, 30));
    EXPECT_EQ(dest.pixel(1, 0), qRgb(0, 0, 254));
    EXPECT_EQ(dest.pixel(2, 0), qRgb(1, 0, 255));
    EXPECT_EQ(dest.pixel(3, 0), qRgb(200, 100, 50));
}

TEST(ProgressFill, EndStaysClearOfTheBarsEnds)
{
    EXPECT_EQ(progress_fill::fillEnd(0, 100), 28);
    EXPECT_EQ(progress_fill::fillEnd(15, 100), 28);  // 26 raised to the minimum
    EXPECT_EQ(progress_fill::fillEnd(50, 100), 89);
    EXPECT_EQ(progress_fill::fillEnd(92, 100), 163);
    EXPECT_EQ(progress_fill::fillEnd(93, 100), 178); // 165 jumps to full
    EXPECT_EQ(progress_fill::fillEnd(100, 100), 178);
}

TEST(ProgressFill, TilesAtStartMiddleAndEnd)
{
    using T = progress_fill::Tile;
    // e = 28: the start cap and the moving end right after it.
    EXPECT_EQ(progress_fill::tiles(0, 100), (std::vector<T>{{0, 9, 14}, {2, 23, 14}}));
    // e = 89, m = 5: 5 columns of the middle, then (75 - 19 + 13) / 14 = 4 middles.
    EXPECT_EQ(progress_fill::tiles(50, 100),
              (std::vector<T>{{0, 9, 14}, {1, 23, 5}, {1, 28, 14}, {1, 42, 14}, {1, 56, 14},
                              {1, 70, 14}, {2, 84, 14}}));
    // Full: the middles reach exactly the full end at 173.
    const auto full = progress_fill::tiles(100, 100);
    ASSERT_EQ(full.size(), 13u);
    EXPECT_EQ(full[1], (T{1, 23, 10}));
    EXPECT_EQ(full[11], (T{1, 159, 14}));
    EXPECT_EQ(full.back(), (T{3, 173, 14}));
}

TEST(ProgressBar, RefusesPositionsOutsideItsRange)
{
    CProgressBar bar;
    EXPECT_EQ(bar.range(), 100);
    EXPECT_FALSE(bar.setRange(-1));
    EXPECT_TRUE(bar.setRange(2140));
    EXPECT_FALSE(bar.setPosition(-1));
    EXPECT_FALSE(bar.setPosition(2141));
    EXPECT_TRUE(bar.setPosition(2140));
    EXPECT_FALSE(bar.advance(1));
    EXPECT_EQ(bar.position(), 2140);
}

TEST(ProgressBar, PaintsTheTilesOverTheBackground)
{
    CProgressBar bar;
    bar.setPosition(50);
    const QImage shot = bar.render();
    const QImage back(QStringLiteral(":/frontend/141.png"));
    const QImage tiles(QStringLiteral(":/frontend/140.png"));
    ASSERT_FALSE(back.isNull());
    ASSERT_FALSE(tiles.isNull());
    auto tilePixel = [&](int tile, int x, int y) { return tiles.pixel(tile * 14 + x, y); };
    // Start cap at x 9, middle columns from 23, moving end at e - 5 = 84.
    EXPECT_EQ(shot.pixel(9, 9), tilePixel(0, 0, 0));
    EXPECT_EQ(shot.pixel(22, 34), tilePixel(0, 13, 25));
    EXPECT_EQ(shot.pixel(27, 20), tilePixel(1, 4, 11));
    EXPECT_EQ(shot.pixel(28, 20), tilePixel(1, 0, 11));
    EXPECT_EQ(shot.pixel(97, 15), tilePixel(2, 13, 6));
    // Beyond the fill and outside the tile band the background shows.
    EXPECT_EQ(shot.pixel(120, 20), back.pixel(120, 20));
    EXPECT_EQ(shot.pixel(50, 5), back.pixel(50, 5));
}

TEST(SuiteFolders, RootIsTheFolderAboveTheProgramsFolder)
{
    const SuiteFolders f = SuiteFolders::fromProgramPath(QStringLiteral("/home/u/My Puzzles/Bin/Vorlin"));
    EXPECT_EQ(f.root, QStringLiteral("/home/u/My Puzzles/"));
    EXPECT_EQ(f.data, QStringLiteral("/home/u/My Puzzles/Data/"));
    EXPECT_EQ(f.program, QStringLiteral("/home/u/My Puzzles/Bin/"));
    EXPECT_EQ(f.libraryFile, QStringLiteral("/home/u/My Puzzles/Bin/puzzle.ini"));
    EXPECT_EQ(f.scratchPicture(), QStringLiteral("/home/u/My Puzzles/Bin/Nuvark_Puzzle.JPG"));
}

// ---- Radio options and the splash, on real widgets ----

#include "about_box.h"
#include "skin_window.h"
#include "splash.h"
#include "vorlin_app.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

namespace {

class TwoOptions : public SkinWindow {
public:
    static constexpr QRect kFirst = skin::box(84, 82, 264, 111);
    static constexpr QRect kSecond = skin::box(86, 139, 286, 168);
    int clicks = 0;

    explicit TwoOptions(CVorlinApp& app) : SkinWindow(app, nullptr, QSize(300, 200))
    {
        QImage strip(180, 87, QImage::Format_RGB32);
        strip.fill(Qt::darkGreen);
        addRadio(strip, kFirst, 0, QStringLiteral("First"));
        addRadio(strip, kSecond, 1, QStringLiteral("Second"));
    }

protected:
    void onButtonClick(int) override { ++clicks; }
};

struct AppFixture : ::testing::Test {
    QTemporaryDir dir;
    CVorlinApp app{SuiteFolders::fromProgramPath(dir.path() + QStringLiteral("/Bin/Vorlin"))};
};

} // namespace

TEST_F(AppFixture, RadioOptionsReactLeftOfTheirPictureAndShowTheirMarks)
{
    TwoOptions w(app);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.radioValue(), 0);
    // The right end of the picture no longer reacts; its left neighbour does.
    EXPECT_EQ(w.hitTest(QPoint(248, 140)), 1);
    EXPECT_EQ(w.hitTest(QPoint(249, 140)), skin::kNone);
    EXPECT_EQ(w.hitTest(QPoint(86 - 37, 140)), 1);
    QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(60, 150));
    EXPECT_EQ(w.radioValue(), 1);
    EXPECT_EQ(w.clicks, 1);

    const QImage marks = app.sharedBitmap(QStringLiteral("02_RADIO")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(marks.size(), QSize(37, 72));
    const QImage shot = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Off mark beside the first option, on mark beside the second.
    EXPECT_EQ(shot.copy(84 - 37, 82, 37, 29), marks.copy(0, 0, 37, 29));
    EXPECT_EQ(shot.copy(86 - 37, 139, 37, 29), marks.copy(0, 36, 37, 29));
}

TEST(Splash, GoesAwayAtTheFirstKeyOrAfterItsTime)
{
    QPointer<CSplashWnd> splash = new CSplashWnd;
    splash->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(splash.data()));
    QWidget other;
    other.show();
    QTest::keyClick(&other, Qt::Key_A);
    QTest::qWait(10);
    EXPECT_TRUE(splash.isNull() || !splash->isVisible());

    QPointer<CSplashWnd> timed = new CSplashWnd;
    timed->show();
    QElapsedTimer t;
    t.start();
    // Never sooner than its time; how much later depends on the machine's load.
    while (timed && timed->isVisible() && t.elapsed() < 30000)
        QTest::qWait(10);
    EXPECT_TRUE(timed.isNull() || !timed->isVisible());
    EXPECT_GE(t.elapsed(), CSplashWnd::kShowMs - 50);
    EXPECT_FALSE(CSplashWnd::wanted({QStringLiteral("Vorlin"), QStringLiteral("/NOSPLASH")}));
    EXPECT_TRUE(CSplashWnd::wanted({QStringLiteral("Vorlin")}));
}
