// Playing by keyboard alone: Tab picks the pieces, the arrows carry them,
// Return lets them go where a mouse would, Escape puts them back, R turns
// them, and every carried move is one step to take back.

#include "command_ids.h"
#include "finish_window.h"
#include "game_fixture.h"
#include "paths.h"
#include "tray_wnd.h"

#include <gtest/gtest.h>

#include <QTest>

namespace {

void key(CMainFrame* f, int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(f, Qt::Key(k), mods);
}

// Tabs until the current piece lies in the column (at most once round).
CPiece* tabToColumn(Game& g)
{
    for (int i = 0; i < 64; ++i) {
        key(g.frame, Qt::Key_Tab);
        if (g.frame->currentPiece() && g.frame->currentKind() == ContainerKind::Strip)
            return g.frame->currentPiece();
    }
    return nullptr;
}

// Carries the lifted piece by arrows from where it came down so that its origin lies at `to`.
void carryTo(Game& g, QPoint from, QPoint to)
{
    QPoint d = to - from;
    const int k = g.k();
    auto press = [&](int& n, int step, int plus, int minus) {
        for (; n >= step; n -= step)
            key(g.frame, plus, step > 1 ? Qt::ShiftModifier : Qt::NoModifier);
        for (; n <= -step; n += step)
            key(g.frame, minus, step > 1 ? Qt::ShiftModifier : Qt::NoModifier);
    };
    int dx = d.x(), dy = d.y();
    press(dx, k, Qt::Key_Right, Qt::Key_Left);
    press(dx, 1, Qt::Key_Right, Qt::Key_Left);
    press(dy, k, Qt::Key_Down, Qt::Key_Up);
    press(dy, 1, Qt::Key_Down, Qt::Key_Up);
}

// Places the piece Tab reaches in the column at its home cell, by keys only.
void placeNextByKeys(Game& g)
{
    CPiece* p = tabToColumn(g);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 4 && p->rotation != 0; ++i)
        key(g.frame, Qt::Key_R);
    ASSERT_EQ(p->rotation, 0);
    key(g.frame, Qt::Key_Right); // lifts it onto the board
    ASSERT_TRUE(g.view->keyCarrying());
    carryTo(g, QPoint(p->x, p->y), g.home(p->column, p->row));
    key(g.frame, Qt::Key_Return);
    EXPECT_FALSE(g.view->keyCarrying());
    EXPECT_EQ(QPoint(p->x, p->y), g.home(p->column, p->row));
    EXPECT_TRUE(p->fixed);
}

} // namespace

TEST(KeyboardPlay, FinishesAPuzzleByKeysAlone)
{
    Game g(2, 2, 40, false);
    for (int i = 0; i < 4 && !g.doc->finished; ++i)
        placeNextByKeys(g);
    EXPECT_EQ(g.doc->finished, 1);
    EXPECT_EQ(g.view->fixedCount(), 4);
    EXPECT_EQ(g.doc->boxList().size(), 0);
}

// A puzzle finished by keys is closed by keys: the finish window takes them.
TEST(KeyboardPlay, ReturnOrEscapeClosesTheFinishWindow)
{
    const QString path = paths::programFolder() + "finish.bmp";
    QImage pic(360, 240, QImage::Format_RGB32);
    pic.fill(Qt::darkGreen);
    ASSERT_TRUE(pic.save(path, "BMP"));
    for (int k : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        Game g(2, 2, 40, false);
        for (int i = 0; i < 4 && !g.doc->finished; ++i)
            placeNextByKeys(g);
        CFinishWnd* finish = g.view->finishWindow();
        ASSERT_NE(finish, nullptr);
        EXPECT_EQ(g.frame->window()->focusWidget(), finish) << "the keys go to it";
        QTest::keyClick(finish, Qt::Key(k));
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(g.view->finishWindow(), nullptr) << k;
    }
    QFile::remove(path);
}

TEST(KeyboardPlay, FinishesATurnedPuzzleTurningWithR)
{
    Game g(2, 2, 40, true);
    for (int i = 0; i < 4 && !g.doc->finished; ++i)
        placeNextByKeys(g);
    EXPECT_EQ(g.doc->finished, 1);
}

TEST(KeyboardPlay, TabWalksTheColumnThenTheBoardsGroupsThenTheTrays)
{
    Game g(3, 2, 40, false);
    // One piece loose on the board, one in a tray.
    CPiece* loose = g.boxPiece(1, 1);
    g.drag(g.strip, g.stripCentreOf(loose), g.globalForOrigin(QPoint(5, 5)));
    ASSERT_EQ(g.view->boardList().indexOf(loose), 0);
    ASSERT_FALSE(loose->fixed);
    CTrayWnd* tray = g.view->openTray();
    ASSERT_NE(tray, nullptr);
    CPiece* inTray = g.doc->boxList()[0];
    g.drag(g.strip, g.stripCentreOf(inTray), tray->mapToGlobal(tray->clientOrigin() + QPoint(30, 30)));
    ASSERT_EQ(tray->pieces().indexOf(inTray), 0);

    std::vector<CPiece*> walk;
    for (int i = 0; i < 6; ++i) {
        key(g.frame, Qt::Key_Tab);
        walk.push_back(g.frame->currentPiece());
    }
    const PieceList& box = g.doc->boxList();
    ASSERT_EQ(box.size(), 4);
    EXPECT_EQ(walk, (std::vector<CPiece*>{box[0], box[1], box[2], box[3], loose, inTray}));
    EXPECT_EQ(g.frame->currentKind(), ContainerKind::Tray);
    // Round again, and back.
    key(g.frame, Qt::Key_Tab);
    EXPECT_EQ(g.frame->currentPiece(), box[0]);
    key(g.frame, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(g.frame->currentPiece(), inTray);
    key(g.frame, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(g.frame->currentPiece(), loose);
    EXPECT_EQ(g.frame->currentKind(), ContainerKind::Board);
}

TEST(KeyboardPlay, EscapePutsACarriedPieceBackAndLeavesNoStep)
{
    Game g(3, 3, 40, false);
    key(g.frame, Qt::Key_Tab);
    key(g.frame, Qt::Key_Tab);
    CPiece* p = g.frame->currentPiece();
    ASSERT_EQ(g.doc->boxList().indexOf(p), 1);
    key(g.frame, Qt::Key_Down);
    ASSERT_TRUE(g.view->keyCarrying());
    EXPECT_EQ(g.doc->boxList().indexOf(p), -1);
    // Undo waits while a piece is carried.
    EXPECT_FALSE(g.frame->undo());
    key(g.frame, Qt::Key_Down, Qt::ShiftModifier);
    key(g.frame, Qt::Key_Escape);
    EXPECT_FALSE(g.view->keyCarrying());
    EXPECT_EQ(g.doc->boxList().indexOf(p), 1);
    EXPECT_EQ(g.frame->currentPiece(), p);
    EXPECT_EQ(g.frame->currentKind(), ContainerKind::Strip);
    EXPECT_FALSE(g.frame->history().canUndo());
}

TEST(KeyboardPlay, EachCarryIsOneStepAndFixedPiecesStay)
{
    Game g(3, 3, 40, false);
    CPiece* p = g.boxPiece(1, 1);
    g.drag(g.strip, g.stripCentreOf(p), g.globalForOrigin(QPoint(100, 100)));
    ASSERT_EQ(QPoint(p->x, p->y), QPoint(100, 100));
    ASSERT_FALSE(p->fixed);
    g.frame->select(p, ContainerKind::Board, g.view);
    const size_t steps = g.frame->history().undoCount();

    key(g.frame, Qt::Key_Right);
    ASSERT_TRUE(g.view->keyCarrying());
    for (int i = 0; i < 7; ++i)
        key(g.frame, Qt::Key_Right);
    key(g.frame, Qt::Key_Down, Qt::ShiftModifier);
    key(g.frame, Qt::Key_Return);
    EXPECT_EQ(QPoint(p->x, p->y), QPoint(107, 140));
    EXPECT_EQ(g.frame->history().undoCount(), steps + 1);
    ASSERT_TRUE(g.frame->undo());
    EXPECT_EQ(QPoint(p->x, p->y), QPoint(100, 100));

    // A fixed corner never lifts.
    g.placeFromStrip(0, 0);
    CPiece* corner = g.view->boardList()[0];
    ASSERT_TRUE(corner->fixed);
    g.frame->select(corner, ContainerKind::Board, g.view);
    const QPoint at(corner->x, corner->y);
    key(g.frame, Qt::Key_Left);
    EXPECT_FALSE(g.view->keyCarrying());
    key(g.frame, Qt::Key_Return);
    EXPECT_EQ(QPoint(corner->x, corner->y), at);
}

TEST(KeyboardPlay, ATrayPieceLiftsOverItsPlaceAndGoesBackOnEscape)
{
    Game g(3, 3, 40, false);
    CTrayWnd* tray = g.view->openTray();
    ASSERT_NE(tray, nullptr);
    CPiece* p = g.boxPiece(2, 2);
    g.drag(g.strip, g.stripCentreOf(p), tray->mapToGlobal(tray->clientOrigin() + QPoint(60, 60)));
    ASSERT_EQ(tray->pieces().indexOf(p), 0);
    const QPoint inTray(p->x, p->y);

    // The dropped piece is current; round once more to it by Tab.
    for (int i = 0; i < 9; ++i)
        key(g.frame, Qt::Key_Tab);
    ASSERT_EQ(g.frame->currentPiece(), p);
    ASSERT_EQ(g.frame->currentKind(), ContainerKind::Tray);
    key(g.frame, Qt::Key_Up);
    ASSERT_TRUE(g.view->keyCarrying());
    EXPECT_TRUE(tray->pieces().empty());
    // It comes down just where it was seen in the tray.
    const QPoint seen = g.view->mapFromGlobal(tray->mapToGlobal(tray->clientOrigin() + inTray));
    EXPECT_EQ(QPoint(p->x, p->y), seen);
    key(g.frame, Qt::Key_Left, Qt::ShiftModifier);
    key(g.frame, Qt::Key_Escape);
    EXPECT_EQ(tray->pieces().indexOf(p), 0);
    EXPECT_EQ(QPoint(p->x, p->y), inTray);
    EXPECT_EQ(g.frame->currentKind(), ContainerKind::Tray);

    // Carried out of the tray a cell down and let go: it lies on the board.
    key(g.frame, Qt::Key_Down);
    key(g.frame, Qt::Key_Down, Qt::ShiftModifier);
    key(g.frame, Qt::Key_Down, Qt::ShiftModifier);
    key(g.frame, Qt::Key_Down, Qt::ShiftModifier);
    key(g.frame, Qt::Key_Down, Qt::ShiftModifier);
    key(g.frame, Qt::Key_Return);
    EXPECT_TRUE(tray->pieces().empty());
    EXPECT_EQ(g.view->boardList().indexOf(p), 0);
    EXPECT_EQ(g.frame->currentKind(), ContainerKind::Board);
    EXPECT_EQ(QPoint(p->x, p->y), seen + QPoint(0, 4 * g.k()));
    ASSERT_TRUE(g.frame->undo());
    EXPECT_EQ(tray->pieces().indexOf(p), 0);
}

TEST(KeyboardPlay, AJoinedGroupIsOneStopAndMovesWhole)
{
    Game g(3, 3, 40, false);
    CPiece* a = g.boxPiece(1, 1);
    CPiece* b = g.boxPiece(2, 1);
    g.drag(g.strip, g.stripCentreOf(a), g.globalForOrigin(QPoint(100, 100)));
    g.drag(g.strip, g.stripCentreOf(b), g.globalForOrigin(QPoint(140, 100)));
    ASSERT_EQ(QPoint(b->x, b->y), QPoint(140, 100));
    int stops = 0;
    for (int i = 0; i < 8; ++i) {
        key(g.frame, Qt::Key_Tab);
        stops += g.frame->currentKind() == ContainerKind::Board ? 1 : 0;
    }
    // Seven in the column and the group once.
    EXPECT_EQ(stops, 1);
    ASSERT_EQ(g.frame->currentKind(), ContainerKind::Board);
    key(g.frame, Qt::Key_Down);
    key(g.frame, Qt::Key_Down, Qt::ShiftModifier);
    key(g.frame, Qt::Key_Return);
    EXPECT_EQ(QPoint(a->x, a->y), QPoint(100, 140));
    EXPECT_EQ(QPoint(b->x, b->y), QPoint(140, 140));
}

// A lifted piece comes down on the first empty cell of the board, so Shift
// and the arrows alone bring it home, where Return snaps it.
TEST(KeyboardPlay, ALiftedPieceLandsOnAnEmptyCellAndWholeCellStepsReachItsHome)
{
    Game g(3, 3, 40, false);
    CPiece* p = tabToColumn(g);
    ASSERT_NE(p, nullptr);
    key(g.frame, Qt::Key_Down); // lifts it
    ASSERT_TRUE(g.view->keyCarrying());
    EXPECT_EQ(QPoint(p->x, p->y), g.home(0, 0)) << "the board's first cell";
    const QPoint home = g.home(p->column, p->row);
    for (int c = 0; c < p->column; ++c)
        key(g.frame, Qt::Key_Right, Qt::ShiftModifier);
    for (int r = 0; r < p->row; ++r)
        key(g.frame, Qt::Key_Down, Qt::ShiftModifier);
    key(g.frame, Qt::Key_Return);
    EXPECT_EQ(QPoint(p->x, p->y), home) << "whole cells, no pixel off";
    const bool corner = (p->column == 0 || p->column == 2) && (p->row == 0 || p->row == 2);
    if (corner) {
        EXPECT_TRUE(p->fixed) << "a corner at its home locks";
    }

    // The next one comes down on the first cell left empty.
    CPiece* q = tabToColumn(g);
    ASSERT_NE(q, nullptr);
    key(g.frame, Qt::Key_Down);
    EXPECT_EQ(QPoint(q->x, q->y), home == g.home(0, 0) ? g.home(1, 0) : g.home(0, 0));
}
