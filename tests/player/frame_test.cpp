// The player's frame driven with real mouse events: its caption buttons and
// their looks, the clock in the caption band, the drop-down menus, the hint
// and its flash, turning the current piece, help, and closing.

#include "game_fixture.h"

#include "bitmaps.h"
#include "command_ids.h"
#include "crt_random.h"
#include "frame_caption.h"
#include "popup_menu.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPainter>
#include <QTimer>
#include <QUrl>

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

// What a clock text looks like: yellow on its own black cell at (350, 2).
QImage clockPicture(const QFont& font, const QString& text)
{
    const QFontMetrics fm(font);
    QImage img(fm.horizontalAdvance(text), fm.height(), QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(QColor(200, 200, 0));
    p.drawText(QPoint(0, fm.ascent()), text);
    return img;
}
// The clock's cell reaches below the caption band, where the client area's
// windows cover it; the rows above them are compared.
constexpr int kClockRows = 20;
QImage clockPicture(Game& g, const QString& text)
{
    return clockPicture(g.app.largeFont, text).copy(0, 0, QFontMetrics(g.app.largeFont).horizontalAdvance(text), kClockRows);
}
QImage clockShown(Game& g, const QString& like)
{
    return shot(g.frame, QRect(350, 2, QFontMetrics(g.app.largeFont).horizontalAdvance(like), kClockRows));
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

TEST(FrameClock, ShowsHoursPaddedWithASpaceAndNeverWraps)
{
    Game g(3, 3, 48, true);
    tick::setForTest(1000 + 5000);
    EXPECT_EQ(clockShown(g, " 0:00:05"), clockPicture(g, " 0:00:05"));
    EXPECT_NE(clockShown(g, " 0:00:05"), clockPicture(g, " 0:00:04"));
    EXPECT_NE(clockShown(g, " 0:00:05"), clockPicture(g, "0:00:05 "));
    const QImage cell = clockShown(g, " 0:00:05");
    EXPECT_GT(countColour(cell, cell.rect(), qRgb(200, 200, 0)), 20);
    EXPECT_EQ(cell.pixel(0, 0) & 0xFFFFFF, 0u) << "the text sits on black";

    tick::setForTest(1000 + 25u * 3600 * 1000);
    EXPECT_EQ(clockShown(g, "25:00:00"), clockPicture(g, "25:00:00"));
}

TEST(FrameClock, StandsStillOnceThePuzzleIsFinished)
{
    Game g(3, 3, 48, true);
    tick::setForTest(1000 + 65 * 1000);
    g.frame->stopClock();
    g.doc->finished = 1;
    tick::advanceForTest(3 * 3600 * 1000);
    EXPECT_EQ(clockShown(g, " 0:01:05"), clockPicture(g, " 0:01:05"));
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
    EXPECT_TRUE(QRegion(QRect(350, 0, 250, 27)).contains(log.painted.boundingRect()))
        << "painted " << log.painted.boundingRect().x() << "," << log.painted.boundingRect().width();
    g.frame->removeEventFilter(&log);
}

// --- caption buttons -----------------------------------------------------------

TEST(FrameCaption, HoverAndPressShowTheBitmapRowsAndEdgesCountAsTheyShould)
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

    move(f, QPoint(744, 1));
    EXPECT_EQ(f->highlightedCaptionButton(), Button::Minimize);
    move(f, QPoint(744, 0)); // above the minimise button's top
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
    move(f, QPoint(760, 25)); // its bottom edge is outside
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
    move(f, QPoint(772, 10)); // minimise's right edge is close's left one
    EXPECT_EQ(f->highlightedCaptionButton(), Button::Close);

    // Moving with the button held shows the pressed look; moving on to
    // another button puts the first one back to normal.
    move(f, QPoint(700, 10), Qt::LeftButton);
    EXPECT_EQ(f->highlightedCaptionButton(), Button::Help);
    EXPECT_TRUE(showsLook(f, Button::Help, 2));
    EXPECT_TRUE(showsLook(f, Button::Close, 0));

    press(f, QPoint(100, 10));
    EXPECT_EQ(f->highlightedCaptionButton(), Button::Options);
    EXPECT_TRUE(showsLook(f, Button::Options, 2));
    EXPECT_TRUE(showsLook(f, Button::Help, 0));
    release(f, QPoint(300, 10));
    EXPECT_EQ(f->openMenu(), nullptr) << "released away from the button: no click";

    // Leaving the window from the caption puts the button out.
    move(f, QPoint(20, 10));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(f, &leave);
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
    EXPECT_TRUE(showsLook(f, Button::Game, 0));

    // The board view clears the caption's highlight when the mouse reaches it.
    move(f, QPoint(20, 10));
    Game::send(g.view, QEvent::MouseMove, QPoint(300, 200), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(f->highlightedCaptionButton(), Button::NoCaptionButton);
    EXPECT_TRUE(showsLook(f, Button::Game, 0));
}

TEST(FrameCaption, AClickIsAReleaseOverTheButtonThePressWentDownOn)
{
    Game g(3, 3, 48, true);
    press(g.frame, QPoint(700, 10)); // Help
    release(g.frame, QPoint(30, 10)); // over Game
    EXPECT_EQ(g.frame->openMenu(), nullptr);
    EXPECT_TRUE(g.boxes.calls().empty()) << "Help did not act either";

    click(g.frame, QPoint(30, 10));
    EXPECT_NE(g.frame->openMenu(), nullptr);
}

TEST(FrameCaption, CloseAndMinimise)
{
    Game g(3, 3, 48, true);
    click(g.frame, QPoint(750, 10));
    EXPECT_TRUE(g.frame->isMinimized());
    EXPECT_EQ(g.frame->highlightedCaptionButton(), Button::NoCaptionButton);
    g.frame->showNormal();

    click(g.frame, QPoint(785, 10));
    EXPECT_FALSE(g.frame->isVisible());
    EXPECT_TRUE(g.boxes.calls().empty()) << "nothing changed, nothing asked";
}

TEST(FrameCaption, TheCaptionBandMovesTheWindowButTheButtonsDoNot)
{
    Game g(3, 3, 48, true);
    const QPoint start = g.frame->pos();
    press(g.frame, QPoint(300, 10));
    move(g.frame, QPoint(330, 30), Qt::LeftButton);
    release(g.frame, QPoint(330, 30));
    EXPECT_EQ(g.frame->pos(), start + QPoint(30, 20));

    const QPoint now = g.frame->pos();
    press(g.frame, QPoint(30, 10)); // on Game
    move(g.frame, QPoint(60, 15), Qt::LeftButton);
    release(g.frame, QPoint(60, 15));
    EXPECT_EQ(g.frame->pos(), now);
}

TEST(FrameCaption, DrawsTheStripThumbInTheLeftBorderAndAPressThereDragsIt)
{
    Game g(6, 6, 48, true); // 36 rows of 72 pixels: the column scrolls
    ASSERT_GT(g.strip->maximumScroll(), 0);
    g.strip->scroll(CPieceStrip::Bottom);
    const int top = 110 + 368; // the thumb at the end of its track
    const QImage border = shot(g.frame, QRect(0, top, 3, 42));
    EXPECT_EQ(border, playerBitmap(153).copy(0, 0, 3, 42));

    press(g.frame, QPoint(1, top + 20));
    EXPECT_EQ(QWidget::mouseGrabber(), g.strip);
    Game::send(g.strip, QEvent::MouseButtonRelease, QPoint(5, 100), Qt::LeftButton, Qt::NoButton);
    EXPECT_NE(QWidget::mouseGrabber(), g.strip);

    press(g.frame, QPoint(1, top - 1)); // just above the thumb: the border, nothing else
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    release(g.frame, QPoint(1, top - 1));
}

TEST(FrameCaption, BottomBorderCarriesTheViewsButtonsAndAMissingPictureGivesPlainColour)
{
    Game g(3, 3, 48, true);
    // The Rotate button is drawn at (460, 530), 70 high: its last 3 rows lie in the border.
    EXPECT_EQ(shot(g.frame, QRect(460, 597, 68, 3)), playerBitmap(156).copy(0, 67, 68, 3));

    g.app.background.reset();
    g.frame->update();
    const QImage all = shot(g.frame, g.frame->rect());
    EXPECT_EQ(all.pixel(600, 10), all.pixel(798, 300));
    EXPECT_EQ(all.pixel(600, 10), all.pixel(300, 598));
    EXPECT_TRUE(showsLook(g.frame, Button::Help, 0)) << "buttons still drawn";
}

// --- drop-down menus ------------------------------------------------------------

TEST(FrameMenus, TheGameMenuOpensUnderTheCaptionAndHoldsTheMouse)
{
    Game g(3, 3, 48, true);
    CPopupMenuWnd* menu = openMenuBy(g, Button::Game);
    ASSERT_NE(menu, nullptr);
    const QFontMetrics fm(g.app.largeFont);
    const int widest = std::max({fm.horizontalAdvance("Load"), fm.horizontalAdvance("Save"), fm.horizontalAdvance("Exit")});
    EXPECT_EQ(menu->geometry(), QRect(3, 22, widest + 40, 3 * 41)) << "client (0, 0)";
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(QWidget::mouseGrabber(), menu);
    ASSERT_EQ(menu->items().size(), 3u);
    EXPECT_EQ(menu->items()[0].command, cmd::kLoadGame);
    EXPECT_EQ(menu->items()[1].command, cmd::kFileSave);
    EXPECT_EQ(menu->items()[2].command, cmd::kAppExit);

    // The rows' background tiles: left end, middle, right end.
    const QImage img = shot(menu, menu->rect());
    const QImage tiles = playerBitmap(164);
    EXPECT_EQ(img.copy(0, 41, 5, 41), tiles.copy(0, 0, 5, 41));
    EXPECT_EQ(img.copy(menu->width() - 20, 82, 20, 41), tiles.copy(0, 82, 20, 41));
    EXPECT_EQ(img.copy(20, 0, 20, 7), tiles.copy(0, 41, 20, 7));

    // A second Game click while it is open lands on the menu (it holds the
    // mouse) above its rows, and only closes it.
    Game::send(menu, QEvent::MouseButtonPress, menu->mapFromGlobal(g.frame->mapToGlobal(QPoint(30, 10))),
               Qt::LeftButton, Qt::LeftButton);
    deferredDeletes();
    EXPECT_EQ(g.frame->openMenu(), nullptr);
    EXPECT_TRUE(g.frame->isVisible());
}

TEST(FrameMenus, ExitFromTheGameMenuClosesAndAsksFirstWhenTheGameChanged)
{
    Game g(3, 3, 48, true);
    g.app.state.modified = 1;
    g.boxes.answer(mb::IdCancel);
    CPopupMenuWnd* menu = openMenuBy(g, Button::Game);
    ASSERT_NE(menu, nullptr);
    click(menu, QPoint(30, 2 * 41 + 20));
    deferredDeletes();
    ASSERT_EQ(g.boxes.calls().size(), 1u);
    EXPECT_EQ(g.boxes.calls()[0].text, "Would you like to save your current game?");
    EXPECT_EQ(g.boxes.calls()[0].caption, "Vorlin");
    EXPECT_EQ(g.boxes.calls()[0].flags & 0xF, mb::YesNoCancel);
    EXPECT_TRUE(g.frame->isVisible()) << "Cancel keeps the window";
    EXPECT_EQ(g.frame->openMenu(), nullptr) << "the menu is gone all the same";
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    g.boxes.answer(mb::IdNo);
    menu = openMenuBy(g, Button::Game);
    click(menu, QPoint(30, 2 * 41 + 20));
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
    EXPECT_EQ(menu->pos(), QPoint(3 + 61, 22));
    EXPECT_EQ(menu->height(), 2 * 41);
    move(menu, QPoint(-50, -50));

    const QImage check = playerBitmap(171).copy(0, 0, 14, 14);
    const QImage cross = playerBitmap(171).copy(14, 0, 14, 14);
    QImage img = shot(menu, menu->rect());
    EXPECT_EQ(img.copy(6, 13, 14, 14), check) << "Sound is on";
    EXPECT_EQ(img.copy(6, 41 + 13, 14, 14), cross) << "Background is off";

    // Under the cursor the row takes the bright icons and the bright text.
    move(menu, QPoint(30, 20));
    EXPECT_EQ(menu->hotRow(), 0);
    img = shot(menu, menu->rect());
    EXPECT_EQ(img.copy(6, 13, 14, 14), playerBitmap(170).copy(0, 0, 14, 14));
    EXPECT_EQ(img.copy(6, 41 + 13, 14, 14), cross);
    EXPECT_GT(countColour(img, QRect(20, 0, menu->width() - 40, 41), qRgb(0, 255, 0)), 10);
    EXPECT_EQ(countColour(img, QRect(20, 41, menu->width() - 40, 41), qRgb(0, 255, 0)), 0);
    EXPECT_GT(countColour(img, QRect(20, 41, menu->width() - 40, 41), qRgb(0, 175, 0)), 10);

    // Choosing Sound turns it off; the next menu shows the cross.
    click(menu, QPoint(30, 20));
    deferredDeletes();
    EXPECT_EQ(g.frame->openMenu(), nullptr);
    EXPECT_EQ(g.app.state.soundOption, 0);
    EXPECT_EQ(g.app.state.modified, 1);
    menu = openMenuBy(g, Button::Options);
    move(menu, QPoint(-50, -50));
    EXPECT_EQ(shot(menu, menu->rect()).copy(6, 13, 14, 14), cross);

    // Choosing Background turns the guide picture on.
    click(menu, QPoint(30, 41));
    deferredDeletes();
    EXPECT_EQ(g.app.state.backgroundOption, 1);
}

TEST(FrameMenus, AClickOutsideTheRowsClosesTheMenuWithoutACommand)
{
    Game g(3, 3, 48, true);
    // Beside the menu on the left, on its right edge, above it, below the last row.
    for (QPoint outside : {QPoint(-2, 20), QPoint(-1, 60), QPoint(0, -1), QPoint(0, 82), QPoint(10, 300)}) {
        CPopupMenuWnd* menu = openMenuBy(g, Button::Options);
        ASSERT_NE(menu, nullptr);
        const QPoint at = outside;
        move(menu, at);
        EXPECT_EQ(menu->hotRow(), -1) << "no row looks chosen at " << at.x() << "," << at.y();
        click(menu, at);
        deferredDeletes();
        EXPECT_EQ(g.frame->openMenu(), nullptr);
        EXPECT_EQ(g.app.state.soundOption, 1);
        EXPECT_EQ(g.app.state.backgroundOption, 0);
        EXPECT_EQ(g.app.state.modified, 0);
    }
    CPopupMenuWnd* menu = openMenuBy(g, Button::Options);
    click(menu, QPoint(menu->width(), 20)); // the right edge is outside as well
    deferredDeletes();
    EXPECT_EQ(g.app.state.soundOption, 1);
    menu = openMenuBy(g, Button::Options);
    click(menu, QPoint(menu->width() - 1, 40)); // last pixel of the first row
    deferredDeletes();
    EXPECT_EQ(g.app.state.soundOption, 0);
}

// --- help ------------------------------------------------------------------------

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& u) { urls << u; }
};

TEST(FrameHelp, OpensTheManualOrSaysItIsMissing)
{
    Game g(3, 3, 48, true);
    g.app.helpPath = g.dir.filePath("Snapp'It.html");
    click(g.frame, QPoint(700, 10));
    ASSERT_EQ(g.boxes.calls().size(), 1u);
    EXPECT_TRUE(g.boxes.calls()[0].text.contains(g.app.helpPath));
    EXPECT_EQ(g.boxes.calls()[0].caption, "Vorlin");

    QFile manual(g.app.helpPath);
    ASSERT_TRUE(manual.open(QIODevice::WriteOnly));
    manual.write("<html><body>Help</body></html>");
    manual.close();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    click(g.frame, QPoint(700, 10));
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile(g.app.helpPath));
    EXPECT_EQ(g.boxes.calls().size(), 1u);
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
    EXPECT_EQ(left->hintLevel, 0);
    EXPECT_EQ(middle->hintLevel, 0);
    EXPECT_EQ(g.frame->hintLevel(), 0);

    // The middle piece's other neighbour still lies in the box: that one shows.
    CPiece* right = g.boxPiece(2, 0);
    g.frame->hint(middle);
    ASSERT_TRUE(waitFor([&] { return right->hintLevel > 0; }));
    EXPECT_EQ(left->hintLevel, 0);
}

TEST(FrameHint, PicksAtRandomAmongBoxAndBoardNeighboursAndFlashesTwelveSteps)
{
    bool seen[2] = {false, false}; // a seed for each of the two choices is enough
    for (uint32_t seed = 1; seed < 50 && !(seen[0] && seen[1]); ++seed) {
        crt::srand(seed);
        const bool boxFirst = crt::rand() % 2 == 0; // candidates: the box's, then the board's
        if (seen[boxFirst ? 0 : 1])
            continue;
        seen[boxFirst ? 0 : 1] = true;
        Game g(3, 1, 48, false);
        CPiece* middle = putOnBoard(g, 1, 0, QPoint(300, 300));
        CPiece* left = putOnBoard(g, 0, 0, QPoint(60, 300));
        CPiece* right = g.boxPiece(2, 0);
        ASSERT_FALSE(left->fixed || middle->fixed);
        ASSERT_FALSE(board_rules::joined(*left, *middle, g.k()));

        crt::srand(seed);
        CPiece* chosen = boxFirst ? right : left;
        CPiece* other = boxFirst ? left : right;
        LevelRecorder rec(chosen);
        g.frame->installEventFilter(&rec);
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
        EXPECT_EQ(middle->hintLevel, 0);

        // The flash is over: nothing writes the level any more.
        chosen->hintLevel = 77;
        wait(250);
        EXPECT_EQ(chosen->hintLevel, 77);
        chosen->hintLevel = 0;
    }
}

TEST(FrameHint, ANewHintPutsTheLastOneOutAndACarriedPieceStopsTheFlash)
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
    EXPECT_EQ(second->hintLevel, 0) << "the flash stopped when the piece was picked up";
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
    wait(350); // the old flash would now write into pieces that are gone
    EXPECT_EQ(g.frame->hintLevel(), 0);
}

// --- turning the current piece -------------------------------------------------

TEST(FrameTurn, TurnsTheCurrentPieceWhereItLiesOnlyWhileTurningIsAllowed)
{
    Game g(3, 3, 48, true);
    g.frame->turnCurrentPiece(); // no current piece: nothing
    EXPECT_EQ(g.app.state.modified, 0);

    CPiece* p = g.doc->boxList()[0];
    const int r = p->rotation;
    g.frame->select(p, ContainerKind::Strip, g.strip);
    g.frame->turnCurrentPiece();
    EXPECT_EQ(p->rotation, (r + 1) % 4);
    EXPECT_EQ(g.app.state.modified, 1);

    CPiece* b = putOnBoard(g, 1, 1, QPoint(300, 300));
    const QPoint at(b->x, b->y);
    g.frame->select(b, ContainerKind::Board, g.view);
    const int rb = b->rotation;
    g.frame->turnCurrentPiece();
    EXPECT_EQ(b->rotation, (rb + 1) % 4);
    EXPECT_EQ(QPoint(b->x, b->y), at);

    g.app.state.rotationAllowed = 0;
    g.app.state.modified = 0;
    g.frame->turnCurrentPiece();
    EXPECT_EQ(b->rotation, (rb + 1) % 4);
    EXPECT_EQ(g.app.state.modified, 0);
}

#include "frame_test.moc"
