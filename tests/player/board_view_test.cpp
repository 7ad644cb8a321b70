#include "drag_overlay.h"
#include "finish_window.h"
#include "game_fixture.h"
#include "paths.h"
#include "bitmaps.h"

#include <gtest/gtest.h>

#include <QFile>

namespace {
void solveInRowOrder(Game& g)
{
    for (int r = 0; r < g.doc->rows(); ++r)
        for (int c = 0; c < g.doc->columns(); ++c)
            g.placeFromStrip(c, r);
}

int congratulations(const MessageBoxScript& boxes)
{
    int n = 0;
    for (const auto& call : boxes.calls())
        n += call.text == "Congratulations! You have completed the puzzle.";
    return n;
}
} // namespace

class WholeGame : public ::testing::TestWithParam<std::tuple<int, int, bool>> {};

TEST_P(WholeGame, SolvedByDragsFromTheStripEndsOnceWithTheClockFrozen)
{
    const auto [columns, rows, rotation] = GetParam();
    Game g(columns, rows, 48, rotation);
    ASSERT_EQ(g.strip->list()->size(), columns * rows);
    tick::advanceForTest(7000);
    solveInRowOrder(g);

    EXPECT_TRUE(g.doc->boxList().empty());
    EXPECT_EQ(g.view->boardList().size(), columns * rows);
    EXPECT_EQ(g.view->fixedCount(), columns * rows);
    for (const auto& p : g.view->boardList()) {
        EXPECT_TRUE(p->fixed);
        EXPECT_EQ(QPoint(p->x, p->y), g.home(p->column, p->row));
    }
    EXPECT_EQ(g.doc->finished, 1);
    // The finish window, or the message box when there is no finish picture.
    EXPECT_EQ(congratulations(g.boxes) + (g.view->finishWindow() ? 1 : 0), 1);
    const int32_t played = g.frame->playTime();
    EXPECT_EQ(played, 7000);
    tick::advanceForTest(60000);
    EXPECT_EQ(g.frame->playTime(), played) << "the clock stands still once finished";
    EXPECT_EQ(g.app.state.modified, 1);
}

INSTANTIATE_TEST_SUITE_P(Puzzles, WholeGame,
                         ::testing::Values(std::make_tuple(2, 2, false), std::make_tuple(2, 2, true),
                                           std::make_tuple(6, 5, false), std::make_tuple(6, 5, true)));

TEST(BoardView, CornerSnapsAtThreePixelsButNotFour)
{
    Game g(3, 3, 48, false);
    auto take = [&](int c, int r) { return g.doc->boxList().take(g.doc->boxList().find(c, r)); };
    const QPoint corner = g.home(2, 0);
    g.view->dropSinglePiece(take(2, 0), g.view->mapToGlobal(corner + QPoint(4, 0)));
    CPiece* p = g.view->grid().at(2, 0);
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->fixed);
    EXPECT_EQ(QPoint(p->x, p->y), corner + QPoint(4, 0));

    g.view->dropSinglePiece(take(0, 2), g.view->mapToGlobal(g.home(0, 2) + QPoint(-3, 3)));
    CPiece* q = g.view->grid().at(0, 2);
    EXPECT_TRUE(q->fixed);
    EXPECT_EQ(QPoint(q->x, q->y), g.home(0, 2));
    EXPECT_EQ(g.view->fixedCount(), 1);
    EXPECT_EQ(g.view->boardList()[0], q) << "fixed pieces lie under the loose ones";
}

TEST(BoardView, ALiftedGroupShowsAboveEverythingAndJoinsAFixedNeighbourWhole)
{
    Game g(4, 3, 48, false);
    auto take = [&](int c, int r) { return g.doc->boxList().take(g.doc->boxList().find(c, r)); };
    g.view->dropSinglePiece(take(0, 0), g.view->mapToGlobal(g.home(0, 0)));
    ASSERT_TRUE(g.view->grid().at(0, 0)->fixed);
    // A loose group of two, far from home.
    const QPoint away(300, 300);
    g.view->dropSinglePiece(take(1, 0), g.view->mapToGlobal(away));
    g.view->dropSinglePiece(take(2, 0), g.view->mapToGlobal(away + QPoint(48, 0)));
    CPiece* a = g.view->grid().at(1, 0);
    CPiece* b = g.view->grid().at(2, 0);
    ASSERT_FALSE(a->fixed);
    ASSERT_EQ(QPoint(b->x, b->y), QPoint(a->x + 48, a->y)) << "the second joined the first";

    // Pick the group up by a and carry it next to the fixed corner.
    const QPoint grab = QPoint(a->x, a->y) + QPoint(24, 24);
    Game::send(g.view, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    ASSERT_TRUE(g.view->dragging());
    EXPECT_TRUE(g.frame->overlay()->active());
    EXPECT_EQ(g.view->grid().at(1, 0), nullptr) << "carried pieces leave the board";
    const QPoint target = g.home(1, 0) + QPoint(2, -1) + QPoint(24, 24);
    Game::send(g.view, QEvent::MouseMove, target, Qt::NoButton, Qt::LeftButton);
    // The overlay shows the lifted sprite where the group now is.
    const QImage shown = g.frame->grab(QRect(0, 0, 800, 600)).toImage();
    const QPoint aOnScreen = g.view->mapTo(g.frame, g.home(1, 0) + QPoint(2, -1) + QPoint(24, 24));
    EXPECT_EQ(shown.pixel(aOnScreen), a->image().pixel(QPoint(24, 24) - a->bounds().topLeft()));
    Game::send(g.view, QEvent::MouseButtonRelease, target, Qt::LeftButton, Qt::NoButton);

    EXPECT_FALSE(g.view->dragging());
    EXPECT_FALSE(g.frame->overlay()->active());
    EXPECT_TRUE(a->fixed);
    EXPECT_TRUE(b->fixed);
    EXPECT_EQ(QPoint(a->x, a->y), g.home(1, 0));
    EXPECT_EQ(QPoint(b->x, b->y), g.home(2, 0));
    EXPECT_EQ(g.view->fixedCount(), 3);

    // A group holding a fixed piece stays put: the press only selects.
    Game::send(g.view, QEvent::MouseButtonPress, g.home(2, 0) + QPoint(24, 24), Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(g.view->dragging());
    EXPECT_EQ(g.frame->currentPiece(), b);
    EXPECT_TRUE(b->selected);
}

TEST(BoardView, GroupsDroppedOnTheButtonCornerArePushedUp)
{
    Game g(3, 2, 48, false);
    auto take = [&](int c, int r) { return g.doc->boxList().take(g.doc->boxList().find(c, r)); };
    g.view->dropSinglePiece(take(1, 1), g.view->mapToGlobal(QPoint(200, 200)));
    CPiece* p = g.view->grid().at(1, 1);
    const QRect box = p->bounds();
    const QPoint grab = QPoint(p->x, p->y) + QPoint(24, 24);
    Game::drag(g.view, grab, g.view->mapToGlobal(QPoint(g.view->width() - 30, g.view->height() - 5)));
    // Its rectangle (with the shadow) ends 71 - cyDlg above the view's bottom.
    const int bottom = p->y + box.top() + box.height() + 3;
    EXPECT_EQ(bottom, g.view->height() + 3 - 71);
    EXPECT_LE(p->x + box.left() + box.width() + 3, g.view->width());
}

TEST(BoardView, TurningAGroupKeepsTheClickedPieceInPlace)
{
    Game g(3, 3, 48, true);
    auto take = [&](int c, int r) {
        auto p = g.doc->boxList().take(g.doc->boxList().find(c, r));
        p->rotation = 0;
        g.doc->rebuildPiece(*p);
        return p;
    };
    g.view->dropSinglePiece(take(1, 1), g.view->mapToGlobal(QPoint(200, 200)));
    g.view->dropSinglePiece(take(2, 1), g.view->mapToGlobal(QPoint(248, 200)));
    g.view->dropSinglePiece(take(1, 2), g.view->mapToGlobal(QPoint(200, 248)));
    CPiece* s = g.view->grid().at(1, 1);
    CPiece* right = g.view->grid().at(2, 1);
    CPiece* below = g.view->grid().at(1, 2);
    ASSERT_EQ(board_rules::group(g.view->grid(), *s, 48).size(), 3u);

    Game::rightClick(g.view, QPoint(s->x, s->y) + QPoint(24, 24));
    EXPECT_EQ(QPoint(s->x, s->y), QPoint(200, 200));
    EXPECT_EQ(s->rotation, 1);
    EXPECT_EQ(right->rotation, 1);
    EXPECT_EQ(QPoint(right->x, right->y), QPoint(200, 248)) << "the right neighbour swings below";
    EXPECT_EQ(QPoint(below->x, below->y), QPoint(152, 200)) << "the lower one swings left";
    EXPECT_EQ(board_rules::group(g.view->grid(), *s, 48).size(), 3u) << "still one group";
    EXPECT_EQ(g.frame->currentPiece(), s);
}

TEST(BoardView, PaintsTheButtonsAndTheBoardFrameWhereTheyBelong)
{
    Game g(4, 3, 48, false);
    const QImage view = g.view->grab().toImage();
    // Every button's normal look, at its place (window -> view: minus (141, 22)).
    for (auto b : {CTileMenderView::Rotate, CTileMenderView::Restart, CTileMenderView::Hint, CTileMenderView::AddTray}) {
        const QRect r = CTileMenderView::buttonDrawRect(b);
        const int id = b == CTileMenderView::Rotate ? 156 : b == CTileMenderView::Restart ? 155
                     : b == CTileMenderView::Hint ? 157 : 154;
        const QImage bmp = playerBitmap(id);
        ASSERT_FALSE(bmp.isNull());
        const QPoint probe(r.width() / 2, 30);
        EXPECT_EQ(view.pixel(r.topLeft() - QPoint(141, 22) + probe), bmp.pixel(probe)) << id;
    }
    // The board frame's top-left tile sits 4 pixels outside the board.
    const QImage tiles = playerBitmap(163);
    const QPoint f = g.view->boardOrigin() - QPoint(4, 4);
    EXPECT_EQ(view.pixel(f + QPoint(5, 5)), tiles.pixel(5, 5));
    EXPECT_EQ(g.view->boardOrigin(), QPoint((662 - 192) / 2, (503 - 144) / 2 + 5));

    // The faded guide shows only with the option on.
    const QPoint inside = g.view->boardOrigin() + QPoint(10, 10);
    const QRgb plain = view.pixel(inside);
    g.frame->OnCommand(32784);
    const QImage withGuide = g.view->grab().toImage();
    const QRgb guide = g.doc->guidePicture().image.pixel(10, 10);
    EXPECT_EQ(qRed(withGuide.pixel(inside)), (qRed(guide) + 255) / 2);
    EXPECT_NE(withGuide.pixel(inside), plain);
}

TEST(BoardView, ButtonsHighlightPressAndActOnlyInsideTheirRectangles)
{
    Game g(2, 2, 48, false);
    const QRect restart = CTileMenderView::buttonRect(CTileMenderView::Restart);
    Game::send(g.view, QEvent::MouseMove, restart.topLeft(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(g.view->highlightedButton(), CTileMenderView::Restart);
    Game::send(g.view, QEvent::MouseMove, restart.topLeft() + QPoint(restart.width(), 0), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(g.view->highlightedButton(), CTileMenderView::NoButton) << "the right edge is outside";

    // Restart asks first; No leaves the game alone, Yes deals again.
    g.boxes.answer(mb::IdNo);
    g.boxes.answer(mb::IdYes);
    auto click = [&] {
        Game::send(g.view, QEvent::MouseButtonPress, restart.center(), Qt::LeftButton, Qt::LeftButton);
        Game::send(g.view, QEvent::MouseButtonRelease, restart.center(), Qt::LeftButton, Qt::NoButton);
    };
    g.view->dropSinglePiece(g.doc->boxList().take(0), g.view->mapToGlobal(QPoint(100, 100)));
    click();
    EXPECT_EQ(g.view->boardList().size(), 1);
    click();
    EXPECT_EQ(g.view->boardList().size(), 0);
    EXPECT_EQ(g.doc->boxList().size(), 4);
    ASSERT_EQ(g.boxes.calls().size(), 2u);
    EXPECT_EQ(g.boxes.calls()[0].text,
              "Your current game will be lost. Are you sure you want to restart the puzzle?");
    EXPECT_EQ(g.boxes.calls()[0].caption, "Vorlin");

    // With turning off the Rotate button never lights up.
    g.app.state.rotationAllowed = 0;
    Game::send(g.view, QEvent::MouseMove, CTileMenderView::buttonRect(CTileMenderView::Rotate).center(),
               Qt::NoButton, Qt::NoButton);
    EXPECT_NE(g.view->highlightedButton(), CTileMenderView::Rotate);
}

TEST(FinishWindow, ShowsTheThumbnailCentredInItsBoxAndClosesOnAClick)
{
    // A finish picture of our own beside the program for this test.
    const QString path = paths::programFolder() + "finish.bmp";
    QImage pic(360, 240, QImage::Format_RGB32);
    pic.fill(Qt::darkGreen);
    ASSERT_TRUE(pic.save(path, "BMP"));
    {
        Game g(2, 2, 48, false);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c)
                g.view->dropSinglePiece(g.doc->boxList().take(g.doc->boxList().find(c, r)),
                                        g.view->mapToGlobal(g.home(c, r)));
        CFinishWnd* finish = g.view->finishWindow();
        ASSERT_TRUE(finish);
        EXPECT_TRUE(finish->isVisible());
        EXPECT_EQ(finish->size(), QSize(360, 240));
        EXPECT_EQ(finish->pos(), QPoint((800 - 360) / 2, (600 - 240) / 2));
        EXPECT_EQ(finish->thumbnail().image.size(), QSize(96, 96));
        EXPECT_EQ(finish->thumbnailPosition(), QPoint((190 - 96) / 2 + 85, (139 - 96) / 2 + 44));
        const QImage shown = finish->grab().toImage();
        EXPECT_EQ(shown.pixel(finish->thumbnailPosition() + QPoint(5, 5)),
                  g.doc->picture().image.pixel(5, 5));
        EXPECT_EQ(congratulations(g.boxes), 0);
        Game::send(finish, QEvent::MouseButtonPress, QPoint(3, 3), Qt::LeftButton, Qt::LeftButton);
        QCoreApplication::processEvents();
        EXPECT_EQ(g.view->finishWindow(), nullptr);
    }
    QFile::remove(path);
}

TEST(BoardView, SoundOffSilencesJoinsWithoutChangingThem)
{
    for (int sound : {1, 0}) {
        Game g(3, 2, 48, false);
        g.app.state.soundOption = sound;
        const int before = g.app.sound.joinPlays();
        auto take = [&](int c, int r) { return g.doc->boxList().take(g.doc->boxList().find(c, r)); };
        g.view->dropSinglePiece(take(0, 0), g.view->mapToGlobal(g.home(0, 0) + QPoint(1, 1)));
        g.view->dropSinglePiece(take(1, 0), g.view->mapToGlobal(g.home(1, 0) + QPoint(-2, 2)));
        g.view->dropSinglePiece(take(2, 1), g.view->mapToGlobal(QPoint(400, 300))); // joins nothing
        EXPECT_EQ(g.view->fixedCount(), 2) << "sound " << sound;
        EXPECT_EQ(g.app.sound.joinPlays() - before, sound ? 2 : 0);
    }
}
