// The player's frame driven with real mouse events: its caption buttons and
// their looks, the clock in the caption band, the drop-down menus, the hint
// and its flash, turning the current piece, help, and closing.

#include "game_fixture.h"

#include "bitmaps.h"
#include "crt_random.h"
#include "desktop_opener.h"
#include "popup_menu.h"

#include <gtest/gtest.h>

#include <QTest>

#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QPainter>
#include <QTimer>

#include <functional>

namespace {

using Button = CMainFrame::CaptionButton;

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()>& done, int ms = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        wait(10);
    }
    return true;
}

void deferredDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QImage shot(QWidget* w, const QRect& r)
{
    return w->grab(r).toImage().convertToFormat(QImage::Format_RGB32);
}

void move(QWidget* w, QPoint at, Qt::MouseButtons held = Qt::NoButton)
{
    Game::send(w, QEvent::MouseMove, at, Qt::NoButton, held);
}
void press(QWidget* w, QPoint at) { Game::send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
void release(QWidget* w, QPoint at) { Game::send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
// A menu may be gone after the press (its command deletes it).
void click(QWidget* w, QPoint at)
{
    QPointer<QWidget> alive(w);
    press(w, at);
    if (alive)
        release(w, at);
}

// The caption buttons as the layout places them: rectangle, bitmap, row height.
struct CaptionButtonLayout {
    QRect rect;
    int bitmap;
    int rowHeight;
};
CaptionButtonLayout layoutOf(Button b)
{
    switch (b) {
    case Button::Game: return {QRect(QPoint(10, 0), QPoint(70, 26)), 159, 27};
    case Button::Options: return {QRect(QPoint(82, 0), QPoint(164, 26)), 160, 27};
    case Button::Help: return {QRect(QPoint(682, 0), QPoint(732, 26)), 161, 27};
    case Button::Minimize: return {QRect(QPoint(744, 1), QPoint(771, 24)), 162, 24};
    case Button::Close: return {QRect(QPoint(772, 1), QPoint(799, 24)), 169, 24};
    default: return {};
    }
}

// The caption button shows exactly the row of its bitmap for that look, as
// far as it shows: the client area's windows cover it from y 22 on.
::testing::AssertionResult showsLook(CMainFrame* f, Button b, int look)
{
    const CaptionButtonLayout l = layoutOf(b);
    const QRect visible = l.rect & QRect(0, 0, 800, 22);
    const QImage want = playerBitmap(l.bitmap).copy(0, look * l.rowHeight, visible.width(), visible.height());
    if (shot(f, visible) == want)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "button " << int(b) << " does not show look " << look;
}

// The clock as it must look: yellow text on black from (350, 2). Its cell
// reaches below the caption band, where the client area's windows cover it,
// so only the rows above them are compared.
constexpr int kClockRows = 20;
QImage clockPicture(Game& g, const QString& text)
{
    const QFontMetrics fm(g.app.largeFont);
    QImage img(fm.horizontalAdvance(text), kClockRows, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setFont(g.app.largeFont);
    p.setPen(QColor(200, 200, 0));
    p.drawText(QPoint(0, fm.ascent()), text);
    return img;
}
QImage clockShown(Game& g, const QString& like)
{
    return shot(g.frame, QRect(QPoint(350, 2), clockPicture(g, like).size()));
}

int countColour(const QImage& img, const QRect& r, QRgb c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF);
    return n;
}

CPopupMenuWnd* openMenuBy(Game& g, Button b)
{
    click(g.frame, layoutOf(b).rect.center());
    return g.frame->openMenu();
}

// Takes a piece out of the box and lets it go on the board with its origin at a board point.
CPiece* putOnBoard(Game& g, int c, int r, QPoint boardPoint)
{
    auto piece = g.doc->boxList().take(g.doc->boxList().find(c, r));
    CPiece* raw = piece.get();
    g.strip->refresh();
    g.view->dropSinglePiece(std::move(piece), g.view->mapToGlobal(boardPoint));
    return raw;
}

// Records the levels a piece's outline goes through, one entry per change.
class LevelRecorder : public QObject {
public:
    explicit LevelRecorder(CPiece* p) : piece(p) {}
    CPiece* piece;
    std::vector<int> levels;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Timer)
            note();
        return false;
    }
    void note()
    {
        if (levels.empty() || levels.back() != piece->hintLevel)
            levels.push_back(piece->hintLevel);
    }
};

} // namespace

// --- the clock ---------------------------------------------------------------

TEST(FrameClock, ShowsHoursPaddedWithASpaceNeverWrapsAndStandsStillWhenFinished)
{
    Game g(3, 3, 48, true);
    tick::setForTest(1000 + 5000);
    EXPECT_EQ(clockShown(g, " 0:00:05"), clockPicture(g, " 0:00:05"));
    EXPECT_NE(clockShown(g, " 0:00:05"), clockPicture(g, " 0:00:04"));
    EXPECT_NE(clockShown(g, " 0:00:05"), clockPicture(g, "0:00:05 "));

    tick::setForTest(1000 + 25u * 3600 * 1000);
    EXPECT_EQ(clockShown(g, "25:00:00"), clockPicture(g, "25:00:00"));

    g.frame->stopClock();
    g.doc->finished = 1;
    tick::advanceForTest(3 * 3600 * 1000);
    EXPECT_EQ(clockShown(g, "25:00:00"), clockPicture(g, "25:00:00"));
}

TEST(FrameClock, TheTimerRepaintsOnlyTheClockAndOnlyWhenItChanges)
{
    Game g(3, 3, 48, true);
    wait(50);
    struct PaintLog : QObject {
        QRegion painted;
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) {
                painted += static_cast<QPaintEvent*>(e)->region();
                ++paints;
            }
            return false;
        }
    } log;
    g.frame->installEventFilter(&log);
    wait(350);
    EXPECT_EQ(log.paints, 0) << "the time did not move, so nothing is painted";

    tick::advanceForTest(1000);
    ASSERT_TRUE(waitFor([&] { return log.paints > 0; }, 2000));
    EXPECT_TRUE(QRect(350, 0, 250, 27).contains(log.painted.boundingRect()));
    g.frame->removeEventFilter(&log);
}

// --- caption buttons -----------------------------------------------------------

TEST(FrameCaption, HoverAndPressShowTheirBitmapRowsWithinExactHitRectangles)
{
    Game g(3, 3, 48, true);
    CMainFrame* f = g.frame;
    for (Button b : {Button::Game, Button::Options, Button::Help, Button::Minimize, Button::Close})
        EXPECT_TRUE(showsLook(f, b, 0));

    move(f, QPoint(10, 0)); // left and top edges belong to the button
    EXPECT_EQ(f->highlightedCaptionButton(), Button::Game);
    EXPECT_TRUE(showsLook(f, Button::Game, 1));
    move(f, QPoint(71, 5)); // the right edge does not
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
    EXPECT_TRUE(showsLook(f, Button::Game, 0));
    move(f, QPoint(744, 0)); // above minimise's top
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
    move(f, QPoint(760, 25)); // on its bottom edge
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
    move(f, QPoint(772, 10)); // minimise's right edge is close's left one
    EXPECT_EQ(f->highlightedCaptionButton(), Button::Close);

    // With the button held the look is pressed; the one lit before goes out.
    move(f, QPoint(700, 10), Qt::LeftButton);
    EXPECT_TRUE(showsLook(f, Button::Help, 2));
    EXPECT_TRUE(showsLook(f, Button::Close, 0));
    press(f, QPoint(100, 10));
    EXPECT_TRUE(showsLook(f, Button::Options, 2));
    EXPECT_TRUE(showsLook(f, Button::Help, 0));
    release(f, QPoint(300, 10));
    EXPECT_EQ(f->openMenu(), nullptr) << "released away from the button: no click";
    press(f, QPoint(700, 10));
    release(f, QPoint(30, 10));
    EXPECT_EQ(f->openMenu(), nullptr) << "pressed on Help, released on Game: no click";

    // Leaving the window, or reaching the board view, puts the light out.
    move(f, QPoint(20, 10));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f, &leave);
    EXPECT_TRUE(showsLook(f, Button::Game, 0));
    move(f, QPoint(20, 10));
    Game::send(g.view, QEvent::MouseMove, QPoint(300, 200), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
}

TEST(FrameCaption, ALitButtonGoesOutWhenAMenuOrADialogHeldTheMouseWhileItLeft)
{
    Game g(3, 3, 48, true);
    CMainFrame* f = g.frame;
    const QPoint overBoard = f->mapToGlobal(g.view->geometry().center());

    // The menu took the mouse; its command ran with the cursor far from Options.
    CPopupMenuWnd* menu = openMenuBy(g, Button::Options);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(f->highlightedCaptionButton(), Button::Options);
    QCursor::setPos(overBoard);
    click(menu, QPoint(30, 20));
    deferredDeletes();
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
    EXPECT_TRUE(showsLook(f, Button::Options, 0));

    // A dialog closing over the frame: still over the button it stays lit,
    // elsewhere it goes out.
    move(f, QPoint(10, 0));
    QCursor::setPos(f->mapToGlobal(QPoint(10, 0)));
    QEvent unblocked(QEvent::WindowUnblocked);
    QApplication::sendEvent(f, &unblocked);
    EXPECT_EQ(f->highlightedCaptionButton(), Button::Game);
    QCursor::setPos(overBoard);
    QApplication::sendEvent(f, &unblocked);
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);

    // Straight from the caption into the view: the view's enter is enough.
    move(f, QPoint(10, 0));
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(g.view, &enter);
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
}

TEST(FrameCaption, CloseMinimiseAndMovingTheWindowByItsBand)
{
    Game g(3, 3, 48, true);
    const QPoint start = g.frame->pos();
    press(g.frame, QPoint(300, 10));
    move(g.frame, QPoint(330, 30), Qt::LeftButton);
    release(g.frame, QPoint(330, 30));
    EXPECT_EQ(g.frame->pos(), start + QPoint(30, 20));

    click(g.frame, QPoint(750, 10));
    EXPECT_TRUE(g.frame->isMinimized());
    g.frame->showNormal();
    click(g.frame, QPoint(785, 10));
    EXPECT_FALSE(g.frame->isVisible());
    EXPECT_TRUE(g.boxes.calls().empty()) << "nothing changed, nothing asked";
}

TEST(FrameCaption, BordersCarryTheStripThumbAndTheViewsButtons)
{
    Game g(6, 6, 48, true); // 36 rows of 72 pixels: the column scrolls
    g.strip->scroll(CPieceStrip::Bottom);
    const int top = 110 + 368; // the thumb at the end of its track
    EXPECT_EQ(shot(g.frame, QRect(0, top, 3, 42)), playerBitmap(153).copy(0, 0, 3, 42));
    press(g.frame, QPoint(1, top + 20));
    EXPECT_EQ(QWidget::mouseGrabber(), g.strip) << "a press there drags the thumb";
    Game::send(g.strip, QEvent::MouseButtonRelease, QPoint(5, 100), Qt::LeftButton, Qt::NoButton);
    press(g.frame, QPoint(1, top - 1));
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    // Rotate is drawn at (460, 530), 70 high: its last 3 rows lie in the border.
    EXPECT_EQ(shot(g.frame, QRect(460, 597, 68, 3)), playerBitmap(156).copy(0, 67, 68, 3));
}

// The bitmaps the windows are drawn from are the art's own, pixel for pixel:
// the raw copies embedded in the program say the same as the PNGs beside them.
TEST(PlayerBitmaps, EveryEmbeddedBitmapIsItsPngPixelForPixel)
{
    for (int id : {143, 144, 145, 146, 147, 149, 150, 151, 153, 154, 155, 156, 157, 159, 160, 161, 162, 163, 164,
                   165, 169, 170, 171}) {
        const QImage png = QImage(QStringLiteral(PLAYER_ART_DIR "/player/%1.png").arg(id))
                               .convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(png.isNull()) << id;
        EXPECT_EQ(playerBitmap(id), png) << id;
    }
    EXPECT_TRUE(playerBitmap(9999).isNull()) << "a missing bitmap is a gap, not a crash";
}

// --- drop-down menus ------------------------------------------------------------

TEST(FrameMenus, GameMenuOpensUnderTheCaptionAndExitAsksFirstWhenTheGameChanged)
{
    Game g(3, 3, 48, true);
    CPopupMenuWnd* menu = openMenuBy(g, Button::Game);
    ASSERT_NE(menu, nullptr);
    const QFontMetrics fm(g.app.largeFont);
    const int widest = std::max({fm.horizontalAdvance("Load"), fm.horizontalAdvance("Save"), fm.horizontalAdvance("Undo"),
                                 fm.horizontalAdvance("Redo"), fm.horizontalAdvance("Exit")});
    EXPECT_EQ(menu->geometry(), QRect(3, 22, widest + 40, 5 * 41)) << "client (0, 0)";
    EXPECT_EQ(QWidget::mouseGrabber(), menu);
    // Right end of a row from the background bitmap's third tile.
    EXPECT_EQ(shot(menu, QRect(menu->width() - 20, 82, 20, 41)), playerBitmap(164).copy(0, 82, 20, 41));

    g.app.state.modified = 1;
    g.boxes.answer(mb::IdCancel);
    click(menu, QPoint(30, 4 * 41 + 20)); // Exit, below Load, Save, Undo and Redo
    deferredDeletes();
    ASSERT_EQ(g.boxes.calls().size(), 1u);
    EXPECT_EQ(g.boxes.calls()[0].text, "Would you like to save your current game?");
    EXPECT_EQ(g.boxes.calls()[0].caption, "Vorlin");
    EXPECT_TRUE(g.frame->isVisible()) << "Cancel keeps the window";
    EXPECT_EQ(g.frame->openMenu(), nullptr) << "the menu is gone all the same";
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    g.boxes.answer(mb::IdNo);
    click(openMenuBy(g, Button::Game), QPoint(30, 4 * 41 + 20));
    deferredDeletes();
    EXPECT_FALSE(g.frame->isVisible()) << "No closes without saving";
}

TEST(FrameMenus, OptionsShowACheckWhenOnAndACrossWhenOff)
{
    Game g(3, 3, 48, true);
    g.app.state.soundOption = 1;
    g.app.state.backgroundOption = 0;
    CPopupMenuWnd* menu = openMenuBy(g, Button::Options);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->geometry().topLeft(), QPoint(3 + 61, 22));
    move(menu, QPoint(-50, -50));
    const QImage check = playerBitmap(171).copy(0, 0, 14, 14);
    const QImage cross = playerBitmap(171).copy(14, 0, 14, 14);
    QImage img = shot(menu, menu->rect());
    EXPECT_EQ(img.copy(6, 13, 14, 14), check) << "Sound is on";
    EXPECT_EQ(img.copy(6, 41 + 13, 14, 14), cross) << "Background is off";

    // Under the cursor the row takes the bright icon and the bright text.
    move(menu, QPoint(30, 20));
    img = shot(menu, menu->rect());
    EXPECT_EQ(img.copy(6, 13, 14, 14), playerBitmap(170).copy(0, 0, 14, 14));
    EXPECT_GT(countColour(img, QRect(20, 0, menu->width() - 40, 41), qRgb(0, 255, 0)), 10);
    EXPECT_EQ(countColour(img, QRect(20, 41, menu->width() - 40, 41), qRgb(0, 255, 0)), 0);
    EXPECT_GT(countColour(img, QRect(20, 41, menu->width() - 40, 41), qRgb(0, 175, 0)), 10);

    click(menu, QPoint(30, 20)); // Sound goes off
    deferredDeletes();
    EXPECT_EQ(g.frame->openMenu(), nullptr);
    EXPECT_EQ(g.app.state.soundOption, 0);
    EXPECT_EQ(g.app.state.modified, 1);
    menu = openMenuBy(g, Button::Options);
    move(menu, QPoint(-50, -50));
    EXPECT_EQ(shot(menu, menu->rect()).copy(6, 13, 14, 14), cross);
    click(menu, QPoint(30, 41)); // the first pixel row of Background
    deferredDeletes();
    EXPECT_EQ(g.app.state.backgroundOption, 1);
}

// The keys work a menu too: Escape closes it with no command, the arrows
// walk its rows (wrapping), Return runs the row that is lit.
TEST(FrameMenus, EscapeClosesAMenuAndTheArrowsAndReturnChooseARow)
{
    Game g(3, 3, 48, true);
    g.app.state.soundOption = 1;
    CPopupMenuWnd* menu = openMenuBy(g, Button::Options);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(g.frame->window()->focusWidget(), menu) << "the keys go to the open menu";
    QTest::keyClick(menu, Qt::Key_Escape);
    deferredDeletes();
    EXPECT_EQ(g.frame->openMenu(), nullptr);
    EXPECT_EQ(g.app.state.soundOption, 1);

    menu = openMenuBy(g, Button::Options);
    move(menu, QPoint(-50, -50));
    ASSERT_EQ(menu->hotRow(), -1);
    QTest::keyClick(menu, Qt::Key_Up); // from none, up lands on the last row
    EXPECT_EQ(menu->hotRow(), 3);
    QTest::keyClick(menu, Qt::Key_Down); // and wraps round to the first
    EXPECT_EQ(menu->hotRow(), 0);
    QTest::keyClick(menu, Qt::Key_Return); // Sound
    deferredDeletes();
    EXPECT_EQ(g.frame->openMenu(), nullptr);
    EXPECT_EQ(g.app.state.soundOption, 0);
}

TEST(FrameMenus, AClickOutsideTheRowsClosesTheMenuWithoutACommand)
{
    Game g(3, 3, 48, true);
    // Left of the menu, above it, below its last row, far off, on its right edge.
    const int belowLastRow = 4 * CPopupMenuWnd::kRowHeight;
    for (QPoint at : {QPoint(-2, 20), QPoint(0, -1), QPoint(0, belowLastRow), QPoint(10, 300), QPoint(-1, 0)}) {
        CPopupMenuWnd* menu = openMenuBy(g, Button::Options);
        ASSERT_NE(menu, nullptr);
        move(menu, at);
        EXPECT_EQ(menu->hotRow(), -1) << "no row looks chosen at " << at.x() << "," << at.y();
        click(menu, at);
        deferredDeletes();
        EXPECT_EQ(g.frame->openMenu(), nullptr);
        EXPECT_EQ(g.app.state.soundOption, 1);
        EXPECT_EQ(g.app.state.backgroundOption, 0);
    }
    CPopupMenuWnd* menu = openMenuBy(g, Button::Options);
    click(menu, QPoint(menu->width(), 20));
    deferredDeletes();
    EXPECT_EQ(g.app.state.soundOption, 1) << "the right edge is outside";
    menu = openMenuBy(g, Button::Options);
    click(menu, QPoint(menu->width() - 1, 40));
    deferredDeletes();
    EXPECT_EQ(g.app.state.soundOption, 0) << "the first row's last pixel is inside";
}

// --- help ------------------------------------------------------------------------

// A stand-in for the desktop's opener: a script that notes what it was asked
// to open and exits with the given status.
QString fakeOpener(const QTemporaryDir& dir, int status)
{
    const QString path = dir.filePath(QString("opener%1.sh").arg(status));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    // The note appears whole: a reader never sees it half written.
    f.write(QString("#!/bin/sh\necho \"$1\" > \"%1.part\" && mv \"%1.part\" \"%1\"\nexit %2\n")
                .arg(dir.filePath("opened"), QString::number(status))
                .toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return path;
}

// Runs the event loop until `n` boxes were shown or ten seconds passed.
bool waitForBoxes(const MessageBoxScript& boxes, size_t n)
{
    QElapsedTimer t;
    t.start();
    while (boxes.calls().size() < n && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return boxes.calls().size() >= n;
}

TEST(FrameHelp, OpensTheManualOrSaysWhyNot)
{
    Game g(3, 3, 48, true);
    const QString saved = desktop_opener::program();
    g.app.helpPath = g.dir.filePath("Snapp'It.html");
    click(g.frame, QPoint(700, 10));
    ASSERT_EQ(g.boxes.calls().size(), 1u);
    EXPECT_TRUE(g.boxes.calls()[0].text.contains(g.app.helpPath)) << "a missing manual is named";

    QFile manual(g.app.helpPath);
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("<html><body>Help</body></html>");
    manual.close();

    // The opener shows it: nothing to say.
    desktop_opener::program() = fakeOpener(g.dir, 0);
    click(g.frame, QPoint(700, 10));
    QElapsedTimer t;
    t.start();
    while (!QFile::exists(g.dir.filePath("opened")) && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QFile opened(g.dir.filePath("opened"));
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(opened.readAll()).trimmed(), g.app.helpPath);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(g.boxes.calls().size(), 1u);

    // No browser (xdg-open exits with 3), or no opener at all: the manual's path is given.
    desktop_opener::program() = fakeOpener(g.dir, 3);
    click(g.frame, QPoint(700, 10));
    ASSERT_TRUE(waitForBoxes(g.boxes, 2));
    EXPECT_TRUE(g.boxes.calls()[1].text.contains(g.app.helpPath));
    EXPECT_EQ(g.boxes.calls()[1].caption, "Vorlin");
    desktop_opener::program() = g.dir.filePath("no-such-opener");
    click(g.frame, QPoint(700, 10));
    ASSERT_TRUE(waitForBoxes(g.boxes, 3));
    EXPECT_TRUE(g.boxes.calls()[2].text.contains(g.app.helpPath));
    desktop_opener::program() = saved;
}

// --- hint ------------------------------------------------------------------------

TEST(FrameHint, NeighboursAlreadyJoinedOnTheBoardAreNoHint)
{
    Game g(3, 1, 48, false);
    CPiece* left = putOnBoard(g, 0, 0, g.home(0, 0));
    CPiece* middle = putOnBoard(g, 1, 0, g.home(1, 0));
    ASSERT_TRUE(left->fixed && middle->fixed) << "the two joined at home";

    const uint32_t before = crt::state();
    g.frame->hint(left);
    EXPECT_EQ(crt::state(), before) << "no candidate, no choice";
    wait(350);
    EXPECT_EQ(middle->hintLevel, 0);

    // The middle piece's other neighbour still lies in the box: that one shows.
    CPiece* right = g.boxPiece(2, 0);
    g.frame->hint(middle);
    ASSERT_TRUE(waitFor([&] { return right->hintLevel > 0; }));
    EXPECT_EQ(left->hintLevel, 0);
}

TEST(FrameHint, PicksAtRandomAmongBoxAndBoardNeighboursAndFlashesTwelveSteps)
{
    bool seen[2] = {false, false}; // one seed for each of the two choices
    for (uint32_t seed = 1; seed < 50 && !(seen[0] && seen[1]); ++seed) {
        crt::srand(seed);
        const bool boxFirst = crt::rand() % 2 == 0; // candidates: the box's, then the board's
        if (seen[boxFirst ? 0 : 1])
            continue;
        seen[boxFirst ? 0 : 1] = true;

        Game g(3, 1, 48, false);
        CPiece* middle = putOnBoard(g, 1, 0, QPoint(300, 300));
        CPiece* left = putOnBoard(g, 0, 0, QPoint(60, 300)); // loose, not joined
        CPiece* right = g.boxPiece(2, 0);
        CPiece* chosen = boxFirst ? right : left;
        CPiece* other = boxFirst ? left : right;
        LevelRecorder rec(chosen);
        g.frame->installEventFilter(&rec);
        crt::srand(seed);
        g.frame->hint(middle);
        if (!boxFirst) {
            EXPECT_EQ(g.view->boardList()[g.view->boardList().size() - 1], left) << "the hinted piece comes on top";
        }
        ASSERT_TRUE(waitFor([&] { return rec.levels.size() >= 13 && chosen->hintLevel == 0; }));
        rec.note();
        g.frame->removeEventFilter(&rec);
        const std::vector<int> expected{0, 20, 40, 60, 80, 100, 120, 140, 160, 180, 200, 220, 240, 0};
        EXPECT_EQ(rec.levels, expected) << "seed " << seed;
        EXPECT_EQ(other->hintLevel, 0);

        chosen->hintLevel = 77; // the flash is over: nothing writes the level any more
        wait(250);
        EXPECT_EQ(chosen->hintLevel, 77);
    }
}

TEST(FrameHint, ANewHintPutsTheLastOneOutAndPickingThePieceUpStopsTheFlash)
{
    Game g(3, 1, 48, false);
    CPiece* middle = putOnBoard(g, 1, 0, QPoint(300, 300));
    CPiece* right = g.boxPiece(2, 0);
    CPiece* left = g.boxPiece(0, 0);
    auto lit = [&]() -> CPiece* { return left->hintLevel > 0 ? left : right->hintLevel > 0 ? right : nullptr; };
    g.frame->hint(middle);
    ASSERT_TRUE(waitFor([&] { return lit() != nullptr; }));
    CPiece* first = lit();
    g.frame->hint(middle);
    EXPECT_EQ(first->hintLevel, 0) << "the last hint goes out at once";
    ASSERT_TRUE(waitFor([&] { return lit() != nullptr; }));

    CPiece* second = lit();
    second->carried = 1;
    ASSERT_TRUE(waitFor([&] { return second->hintLevel == 0; }));
    second->carried = 0;
    wait(250);
    EXPECT_EQ(second->hintLevel, 0) << "the flash stopped";
}

TEST(FrameHint, OpeningAnotherPuzzleForgetsTheHintedAndCurrentPieces)
{
    Game g(3, 1, 48, false);
    CPiece* middle = g.boxPiece(1, 0);
    g.frame->select(middle, ContainerKind::Strip, g.strip);
    g.frame->hint(middle);
    const QString other = g.dir.filePath("Other.puz");
    puzzle_file::writeFile(other, testfiles::makePuzzle(2, 2, 48, false));
    ASSERT_TRUE(g.app.openDocumentFile(other));
    EXPECT_EQ(g.frame->currentPiece(), nullptr);
    wait(350); // a flash still running would write into pieces that are gone
    EXPECT_EQ(g.frame->hintLevel(), 0);
}

// --- turning the current piece -------------------------------------------------

TEST(FrameTurn, TurnsTheCurrentPieceWhereItLiesWhileTurningIsAllowed)
{
    Game g(3, 3, 48, true);
    CPiece* b = putOnBoard(g, 1, 1, QPoint(300, 300));
    const QPoint at(b->x, b->y);
    const int rb = b->rotation;
    g.frame->select(b, ContainerKind::Board, g.view);
    g.frame->turnCurrentPiece();
    EXPECT_EQ(b->rotation, (rb + 1) % 4);
    EXPECT_EQ(QPoint(b->x, b->y), at);

    g.app.state.rotationAllowed = 0;
    g.frame->turnCurrentPiece();
    EXPECT_EQ(b->rotation, (rb + 1) % 4);
}

