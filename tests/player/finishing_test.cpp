// A puzzle can always be finished: pieces that come to lie joined to a fixed
// piece are fixed with it, and nothing moves a group that holds a fixed piece.

#include "command_ids.h"
#include "game_fixture.h"

#include <gtest/gtest.h>

namespace {

// Places every piece still in the column at its home, in row order.
void placeTheRest(Game& g)
{
    for (int r = 0; r < g.doc->rows(); ++r)
        for (int c = 0; c < g.doc->columns(); ++c)
            if (g.boxPiece(c, r))
                g.placeFromStrip(c, r);
}

void expectFinished(Game& g)
{
    const int all = g.doc->columns() * g.doc->rows();
    EXPECT_EQ(g.view->fixedCount(), all);
    for (const auto& p : g.view->boardList())
        EXPECT_TRUE(p->fixed) << p->column << "," << p->row;
    EXPECT_EQ(g.doc->finished, 1);
    const int32_t played = g.frame->playTime();
    tick::advanceForTest(5000);
    EXPECT_EQ(g.frame->playTime(), played) << "the clock stands still";
}

// Takes a piece out of the column, turned q times.
std::unique_ptr<CPiece> takeTurned(Game& g, int c, int r, int q)
{
    auto p = g.doc->boxList().take(g.doc->boxList().find(c, r));
    p->rotation = q;
    g.doc->rebuildPiece(*p);
    return p;
}

} // namespace

TEST(Finishing, ALooseHomePieceIsFixedWhenACornerSnapsBesideIt)
{
    Game g(4, 3, 48, true);
    // A loose piece far from home, lying on top of the board list.
    CPiece* away = g.boxPiece(2, 2);
    g.strip->scrollToPiece(away);
    Game::drag(g.strip, g.stripCentreOf(away), g.globalForOrigin(QPoint(480, 400)));
    // Let go exactly at home with no neighbour yet: it stays loose.
    g.placeFromStrip(1, 0);
    CPiece* loose = g.view->grid().at(1, 0);
    ASSERT_TRUE(loose);
    ASSERT_FALSE(loose->fixed);
    ASSERT_EQ(QPoint(loose->x, loose->y), g.home(1, 0));

    g.placeFromStrip(0, 0);
    EXPECT_TRUE(g.view->grid().at(0, 0)->fixed);
    EXPECT_TRUE(loose->fixed) << "joined to a fixed corner, so fixed with it";
    EXPECT_EQ(g.view->fixedCount(), 2);
    EXPECT_EQ(g.view->boardList()[g.view->boardList().size() - 1], away) << "fixed pieces lie under the loose ones";

    placeTheRest(g);
    EXPECT_EQ(g.doc->finished, 0);
    const QPoint grab = QPoint(away->x, away->y) + QPoint(24, 24);
    while (away->rotation != 0)
        Game::rightClick(g.view, grab);
    Game::drag(g.view, grab, g.view->mapToGlobal(g.home(2, 2) + QPoint(24, 24)));
    expectFinished(g);
}

TEST(Finishing, APieceJoiningALooseOneBesideAFixedOneFixesBoth)
{
    Game g(4, 3, 48, false);
    g.placeFromStrip(3, 0); // a corner: fixed
    g.placeFromStrip(1, 0); // at home, alone: loose
    CPiece* loose = g.view->grid().at(1, 0);
    ASSERT_FALSE(loose->fixed);
    // Its left neighbour is the loose piece, tried first; its right one the fixed corner.
    g.placeFromStrip(2, 0);
    EXPECT_TRUE(g.view->grid().at(2, 0)->fixed);
    EXPECT_TRUE(loose->fixed);
    EXPECT_EQ(g.view->fixedCount(), 3);

    // A loose group whose first piece snaps to a loose neighbour while the
    // group also lies beside fixed pieces: all of it is fixed, the neighbour too.
    g.placeFromStrip(0, 1); // at home, alone: loose
    const QPoint away(450, 380);
    for (int c : {1, 2}) {
        CPiece* p = g.boxPiece(c, 1);
        g.strip->scrollToPiece(p);
        Game::drag(g.strip, g.stripCentreOf(p), g.globalForOrigin(away + QPoint((c - 1) * 48, 0)));
    }
    CPiece* a = g.view->grid().at(1, 1);
    CPiece* b = g.view->grid().at(2, 1);
    ASSERT_EQ(QPoint(a->x, a->y), away);
    ASSERT_EQ(QPoint(b->x, b->y), away + QPoint(48, 0)) << "the pair is one group";
    Game::drag(g.view, away + QPoint(24, 24), g.view->mapToGlobal(g.home(1, 1) + QPoint(25, 23)));
    EXPECT_EQ(QPoint(a->x, a->y), g.home(1, 1));
    EXPECT_EQ(QPoint(b->x, b->y), g.home(2, 1));
    for (CPiece* p : {a, b, g.view->grid().at(0, 1)})
        EXPECT_TRUE(p->fixed) << p->column << "," << p->row;
    EXPECT_EQ(g.view->fixedCount(), 6);

    placeTheRest(g);
    expectFinished(g);
}

TEST(Finishing, AGroupHoldingAFixedPieceNeitherTurnsNorMoves)
{
    Game g(3, 3, 48, true);
    g.placeFromStrip(0, 0);
    CPiece* corner = g.view->grid().at(0, 0);
    ASSERT_TRUE(corner->fixed);
    // A piece lying joined to the fixed corner but loose, as a game saved by an
    // older build could hold it.
    auto p = takeTurned(g, 1, 0, 0);
    p->x = g.home(1, 0).x();
    p->y = g.home(1, 0).y();
    CPiece* stuck = p.get();
    g.view->placeOnBoard(std::move(p));
    ASSERT_FALSE(stuck->fixed);

    const QPoint at = g.home(1, 0) + QPoint(24, 24);
    Game::rightClick(g.view, at);
    EXPECT_EQ(corner->rotation, 0);
    EXPECT_EQ(stuck->rotation, 0);
    EXPECT_EQ(QPoint(corner->x, corner->y), g.home(0, 0));
    EXPECT_EQ(QPoint(stuck->x, stuck->y), g.home(1, 0));
    g.frame->turnCurrentPiece(); // the Rotate button's way
    EXPECT_EQ(stuck->rotation, 0);
    EXPECT_EQ(corner->rotation, 0);
    Game::send(g.view, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(g.view->dragging());
    Game::send(g.view, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);

    // Loading that game fixes the piece, and the puzzle can be finished.
    g.frame->OnCommand(cmd::kFileSave);
    g.frame->OnCommand(cmd::kLoadGame);
    CPiece* loaded = g.view->grid().at(1, 0);
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->fixed);
    EXPECT_EQ(g.view->fixedCount(), 2);
    placeTheRest(g);
    expectFinished(g);
}

TEST(Finishing, TurningAGroupHomeBesideAFixedPieceFixesIt)
{
    Game g(3, 3, 48, true);
    g.placeFromStrip(0, 0);
    // (1, 0) lies at its home place but turned three times: not joined yet.
    auto p = takeTurned(g, 1, 0, 3);
    CPiece* s = p.get();
    g.view->dropSinglePiece(std::move(p), g.view->mapToGlobal(g.home(1, 0)));
    ASSERT_FALSE(s->fixed);
    ASSERT_EQ(QPoint(s->x, s->y), g.home(1, 0));
    // One more quarter turn brings it upright where it belongs.
    Game::rightClick(g.view, g.home(1, 0) + QPoint(24, 24));
    EXPECT_EQ(s->rotation, 0);
    EXPECT_TRUE(s->fixed);
    EXPECT_EQ(g.view->fixedCount(), 2);
}
