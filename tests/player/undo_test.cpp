// Undo and redo on the running player: every kind of step done with real
// mouse events, taken back to exactly the game before it and brought again
// to exactly the game after it; the lock that keeps fixed pieces where they
// are; the Game menu's items and the keys. And a group turned into its place
// on the board, which snaps and joins as a drop there would.
#include "command_ids.h"
#include "game_fixture.h"
#include "popup_menu.h"
#include "tray_wnd.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

using undo_history::GameRecord;

namespace {

void click(QWidget* w, QPoint at)
{
    Game::send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    Game::send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// Lets closed trays' notices and deletions run.
void settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QPoint inClient(const CTrayWnd* t, QPoint p) { return t->mapToGlobal(t->clientOrigin() + p); }
QPoint onTrayPiece(const CTrayWnd* t, const CPiece* p, int k)
{
    return t->clientOrigin() + QPoint(p->x + k / 2, p->y + k / 2);
}
QPoint onBoardPiece(const CPiece* p, int k) { return QPoint(p->x + k / 2, p->y + k / 2); }

std::unique_ptr<CPiece> takeTurned(Game& g, int c, int r, int q)
{
    auto p = g.doc->boxList().take(g.doc->boxList().find(c, r));
    g.strip->refresh();
    p->rotation = q;
    g.doc->rebuildPiece(*p);
    return p;
}

// Puts a box piece on the board with its origin at a board point, as a drop there would.
CPiece* lay(Game& g, int c, int r, QPoint at, int q = 0)
{
    auto p = takeTurned(g, c, r, q);
    CPiece* raw = p.get();
    g.view->dropSinglePiece(std::move(p), g.view->mapToGlobal(at));
    return raw;
}

// Drags a piece out of the column, a step of its own, to lie at a board point.
CPiece* dragOut(Game& g, int c, int r, QPoint at)
{
    CPiece* p = g.boxPiece(c, r);
    g.strip->scrollToPiece(p);
    g.drag(g.strip, g.stripCentreOf(p), g.globalForOrigin(at));
    return p;
}

// The board's grid and fixed count agree with its list.
void expectBoardConsistent(Game& g)
{
    int fixed = 0;
    for (const auto& p : g.view->boardList()) {
        EXPECT_EQ(g.view->grid().at(p->column, p->row), p.get());
        fixed += p->fixed;
    }
    for (const auto& p : g.doc->boxList())
        EXPECT_EQ(g.view->grid().at(p->column, p->row), nullptr);
    EXPECT_EQ(g.view->fixedCount(), fixed);
}

// Where two records of the game part, for a failure's message.
std::string difference(const GameRecord& a, const GameRecord& b)
{
    std::string out;
    auto piece = [](const undo_history::PieceState& p) {
        return QString("(%1,%2) in %3/%4 #%5 at %6,%7 q%8 f%9")
            .arg(p.column).arg(p.row).arg(int(p.where)).arg(p.tray).arg(p.index).arg(p.x).arg(p.y)
            .arg(p.rotation).arg(p.fixed).toStdString();
    };
    if (a.pieces.size() != b.pieces.size())
        out += "piece counts differ; ";
    for (size_t i = 0; i < std::min(a.pieces.size(), b.pieces.size()); ++i)
        if (!(a.pieces[i] == b.pieces[i])) {
            out += piece(a.pieces[i]) + " vs " + piece(b.pieces[i]) + "; ";
            break;
        }
    if (!(a.trays == b.trays)) {
        out += "trays differ: " + std::to_string(a.trays.trays.size()) + " vs " + std::to_string(b.trays.trays.size());
        for (size_t i = 0; i < std::min(a.trays.trays.size(), b.trays.trays.size()); ++i) {
            const auto &x = a.trays.trays[i], &y = b.trays.trays[i];
            if (!(x == y))
                out += QString(" tray %1/%2 stack %3/%4 rect %5,%6,%7,%8/%9,%10,%11,%12 show %13/%14 flags %15/%16")
                           .arg(x.number).arg(y.number).arg(x.stacking).arg(y.stacking)
                           .arg(x.placement.left).arg(x.placement.top).arg(x.placement.right).arg(x.placement.bottom)
                           .arg(y.placement.left).arg(y.placement.top).arg(y.placement.right).arg(y.placement.bottom)
                           .arg(x.placement.showCmd).arg(y.placement.showCmd).arg(x.placement.flags).arg(y.placement.flags)
                           .toStdString();
        }
        if (a.trays.table != b.trays.table)
            out += " table";
        if (a.trays.nextTray != b.trays.nextTray || a.trays.nextMinimizedY != b.trays.nextMinimizedY)
            out += " cascade";
        out += "; ";
    }
    if (a.current != b.current)
        out += "current " + std::to_string(a.current) + " vs " + std::to_string(b.current);
    return out;
}

// The action just done is one step: undo gives back `before` exactly, redo the game after it.
void expectOneStep(Game& g, const GameRecord& before, const char* what)
{
    SCOPED_TRACE(what);
    settle();
    const GameRecord after = g.frame->recordGame();
    ASSERT_NE(after, before) << "the action changed nothing";
    ASSERT_TRUE(g.frame->history().canUndo());
    const size_t steps = g.frame->history().undoCount();
    ASSERT_TRUE(g.frame->undo());
    settle();
    EXPECT_TRUE(g.frame->recordGame() == before) << difference(g.frame->recordGame(), before);
    expectBoardConsistent(g);
    EXPECT_EQ(g.frame->history().undoCount(), steps - 1);
    ASSERT_TRUE(g.frame->redo());
    settle();
    EXPECT_TRUE(g.frame->recordGame() == after) << difference(g.frame->recordGame(), after);
    expectBoardConsistent(g);
    EXPECT_FALSE(g.frame->history().canRedo());
}

CTrayWnd* addTray(Game& g)
{
    g.frame->OnCommand(cmd::kAddTray);
    return g.view->trays().front();
}

} // namespace

TEST(Undo, MovesBetweenTheColumnTheBoardAndTheTrays)
{
    Game g(4, 4, 48, false);
    const int k = g.k();
    CPiece* a = g.boxPiece(2, 2);
    g.strip->scrollToPiece(a);
    GameRecord before = g.frame->recordGame();
    g.drag(g.strip, g.stripCentreOf(a), g.globalForOrigin(QPoint(420, 300)));
    ASSERT_GE(g.view->boardList().indexOf(a), 0);
    expectOneStep(g, before, "column to board");
    EXPECT_EQ(g.frame->currentPiece(), a);

    before = g.frame->recordGame();
    g.drag(g.view, onBoardPiece(a, k), g.strip->mapToGlobal(QPoint(60, 150)));
    ASSERT_GE(g.doc->boxList().indexOf(a), 0);
    expectOneStep(g, before, "board to column");

    CTrayWnd* t1 = addTray(g);
    CTrayWnd* t2 = addTray(g);
    WindowPlacement wp = t2->placement();
    wp.setNormalRect(QRect(300, 40, 220, 200));
    t2->setPlacement(wp);
    CPiece* b = g.boxPiece(1, 3);
    g.strip->scrollToPiece(b);
    before = g.frame->recordGame();
    g.drag(g.strip, g.stripCentreOf(b), inClient(t1, QPoint(60, 60)));
    ASSERT_GE(t1->pieces().indexOf(b), 0);
    expectOneStep(g, before, "column to tray");

    before = g.frame->recordGame();
    g.drag(t1, onTrayPiece(t1, b, k), inClient(t2, QPoint(70, 50)));
    ASSERT_GE(t2->pieces().indexOf(b), 0);
    expectOneStep(g, before, "tray to tray");

    before = g.frame->recordGame();
    g.drag(t2, onTrayPiece(t2, b, k), g.view->mapToGlobal(QPoint(450, 380)));
    ASSERT_GE(g.view->boardList().indexOf(b), 0);
    expectOneStep(g, before, "tray to board");

    before = g.frame->recordGame();
    g.drag(g.view, onBoardPiece(b, k), inClient(t1, QPoint(20, 30)));
    ASSERT_GE(t1->pieces().indexOf(b), 0);
    expectOneStep(g, before, "board to tray");
}

TEST(Undo, AGroupMovedOnTheBoardAndItsStacking)
{
    Game g(4, 4, 48, false);
    const int k = g.k();
    CPiece* left = lay(g, 1, 1, QPoint(300, 200));
    CPiece* right = lay(g, 2, 1, QPoint(300 + k + 1, 201)); // snaps beside it, loose
    ASSERT_EQ(QPoint(right->x, right->y), QPoint(300 + k, 200));
    ASSERT_FALSE(right->fixed);
    CPiece* other = lay(g, 3, 3, QPoint(330, 220)); // over the group
    ASSERT_EQ(g.view->boardList().indexOf(other), 2);

    const GameRecord before = g.frame->recordGame();
    g.drag(g.view, onBoardPiece(left, k), g.view->mapToGlobal(onBoardPiece(left, k) + QPoint(90, 120)));
    EXPECT_EQ(QPoint(left->x, left->y), QPoint(390, 320));
    EXPECT_EQ(QPoint(right->x, right->y), QPoint(390 + k, 320));
    EXPECT_EQ(g.view->boardList().indexOf(other), 0) << "the group came on top";
    expectOneStep(g, before, "group move");
    EXPECT_EQ(g.view->boardList().indexOf(other), 0);
    ASSERT_TRUE(g.frame->undo());
    EXPECT_EQ(g.view->boardList().indexOf(other), 2) << "under it again";
    EXPECT_EQ(g.view->grid().at(1, 1), left);
}

TEST(Undo, TurnsInTheColumnOnTheBoardAndInATray)
{
    Game g(4, 4, 48, true);
    const int k = g.k();
    CPiece* s = g.boxPiece(0, 2);
    g.strip->scrollToPiece(s);
    g.frame->select(s, ContainerKind::Strip, g.strip);
    GameRecord before = g.frame->recordGame();
    const QRect unturned = s->bounds();
    const int q = s->rotation;
    Game::rightClick(g.strip, g.stripCentreOf(s));
    ASSERT_EQ(s->rotation, (q + 1) % 4);
    expectOneStep(g, before, "column turn");
    ASSERT_TRUE(g.frame->undo());
    EXPECT_EQ(s->bounds(), unturned) << "the outline was rebuilt for the old turn";
    ASSERT_TRUE(g.frame->redo());

    CPiece* a = lay(g, 1, 1, QPoint(300, 200), 0);
    CPiece* b = lay(g, 2, 1, QPoint(300 + k, 200), 0);
    g.frame->select(a, ContainerKind::Board, g.view);
    before = g.frame->recordGame();
    Game::rightClick(g.view, onBoardPiece(a, k));
    ASSERT_EQ(b->rotation, 1);
    expectOneStep(g, before, "board group turn");

    CTrayWnd* t = addTray(g);
    auto piece = g.doc->boxList().take(g.doc->boxList().find(3, 0));
    CPiece* p = piece.get();
    t->addPiece(std::move(piece), inClient(t, QPoint(40, 40)));
    g.frame->select(p, ContainerKind::Tray, t);
    before = g.frame->recordGame();
    Game::rightClick(t, onTrayPiece(t, p, k));
    expectOneStep(g, before, "tray turn");

    // The Rotate button on a minimised tray's piece restores the tray: one step.
    t->minimizeTray();
    before = g.frame->recordGame();
    g.frame->turnCurrentPiece();
    ASSERT_FALSE(t->isMinimizedTray());
    expectOneStep(g, before, "Rotate button");
}

TEST(Undo, TraysAddedAndClosedWithTheirPieces)
{
    Game g(4, 4, 48, false);
    GameRecord before = g.frame->recordGame();
    CTrayWnd* t = addTray(g);
    expectOneStep(g, before, "Add tray");
    ASSERT_TRUE(g.frame->undo());
    EXPECT_TRUE(g.view->trays().empty());
    ASSERT_TRUE(g.frame->redo());
    ASSERT_EQ(g.view->trays().size(), 1u);
    t = g.view->trays().front();
    EXPECT_EQ(t->number(), 0);

    for (int c = 0; c < 3; ++c) {
        auto piece = g.doc->boxList().take(g.doc->boxList().find(c, 0));
        t->addPiece(std::move(piece), inClient(t, QPoint(10 + 30 * c, 20)));
    }
    CTrayWnd* second = addTray(g);
    second->minimizeTray();
    t->raise();
    g.view->moveTrayToHead(t);
    click(t, QPoint(t->width() - 30, 10)); // minimise
    ASSERT_TRUE(t->isMinimizedTray());
    before = g.frame->recordGame();
    click(t, QPoint(t->width() - 10, 10)); // close
    settle();
    ASSERT_EQ(g.view->trays().size(), 1u);
    EXPECT_EQ(g.doc->boxList().size(), 16);
    expectOneStep(g, before, "tray closed");
    ASSERT_TRUE(g.frame->undo());
    settle();
    ASSERT_EQ(g.view->trays().size(), 2u);
    CTrayWnd* back = g.view->trays().front();
    EXPECT_EQ(back->number(), 0);
    EXPECT_TRUE(back->isMinimizedTray());
    EXPECT_EQ(back->pieces().size(), 3);
    EXPECT_EQ(g.view->traysTopmostFirst().front(), back) << "above the other tray again";
}

TEST(Undo, RestartIsOneStep)
{
    Game g(4, 4, 48, true);
    lay(g, 1, 1, QPoint(300, 200), 2);
    lay(g, 2, 2, QPoint(400, 260), 1);
    CTrayWnd* t = addTray(g);
    auto piece = g.doc->boxList().take(g.doc->boxList().find(3, 3));
    t->addPiece(std::move(piece), inClient(t, QPoint(30, 30)));

    const GameRecord before = g.frame->recordGame();
    g.boxes.answer(mb::IdYes);
    const QPoint restart = CTileMenderView::buttonRect(CTileMenderView::Restart).center();
    click(g.view, restart);
    settle();
    ASSERT_TRUE(g.view->boardList().empty());
    ASSERT_TRUE(g.view->trays().empty());
    expectOneStep(g, before, "Restart");
}

TEST(Undo, AStepThatFixesPiecesIsFinalAndUndoNeverMovesAFixedPiece)
{
    Game g(4, 4, 48, false);
    CPiece* loose = lay(g, 2, 2, QPoint(400, 300));
    CPiece* s = g.boxPiece(1, 1);
    const int sInBox = g.doc->boxList().indexOf(s);
    g.strip->scrollToPiece(s);
    g.drag(g.strip, g.stripCentreOf(s), g.globalForOrigin(QPoint(420, 320)));
    ASSERT_TRUE(g.frame->history().canUndo());

    // The corner snaps home and is fixed: that step cannot be taken back,
    // but the earlier move of another piece still can.
    g.placeFromStrip(0, 0);
    CPiece* corner = g.view->grid().at(0, 0);
    ASSERT_TRUE(corner && corner->fixed);
    EXPECT_EQ(g.frame->history().undoCount(), 1u);

    // A later loose move is undone around the fixed piece, which stays put.
    const GameRecord before = g.frame->recordGame();
    g.drag(g.view, onBoardPiece(loose, g.k()), g.view->mapToGlobal(QPoint(500, 400)));
    expectOneStep(g, before, "loose move after a lock");
    ASSERT_TRUE(g.frame->undo());
    ASSERT_TRUE(g.frame->undo()) << "the move from before the lock";
    EXPECT_EQ(g.doc->boxList().indexOf(s), sInBox);
    EXPECT_FALSE(g.frame->undo()) << "no further back: the lock itself stays";
    EXPECT_TRUE(corner->fixed);
    EXPECT_EQ(QPoint(corner->x, corner->y), g.home(0, 0));
    EXPECT_EQ(g.view->boardList().indexOf(corner), 0);
    EXPECT_EQ(g.view->fixedCount(), 1);
}

TEST(Undo, LoadingTheSavedGameOrANewDocumentClearsTheHistory)
{
    Game g(2, 2, 48, false);
    dragOut(g, 1, 1, QPoint(400, 300));
    ASSERT_TRUE(g.frame->undo());
    ASSERT_TRUE(g.frame->history().canRedo());
    g.frame->OnCommand(cmd::kFileSave);
    g.frame->OnCommand(cmd::kLoadGame);
    EXPECT_FALSE(g.frame->history().canUndo());
    EXPECT_FALSE(g.frame->history().canRedo());

    dragOut(g, 1, 1, QPoint(400, 300));
    ASSERT_TRUE(g.frame->history().canUndo());
    g.boxes.answer(mb::IdNo);
    g.frame->OnCommand(cmd::kFileNew);
    EXPECT_FALSE(g.frame->history().canUndo()) << "an empty document";
}

TEST(Undo, GameMenuItemsAndKeys)
{
    Game g(3, 3, 48, false);
    auto openGameMenu = [&g] {
        click(g.frame, QPoint(40, 13));
        return g.frame->openMenu();
    };
    CPopupMenuWnd* menu = openGameMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->items().size(), 5u);
    EXPECT_EQ(menu->items()[2].text, "Undo");
    EXPECT_EQ(menu->items()[2].command, cmd::kUndo);
    EXPECT_EQ(menu->items()[2].state, CPopupMenuWnd::Crossed);
    EXPECT_EQ(menu->items()[3].text, "Redo");
    EXPECT_EQ(menu->items()[3].state, CPopupMenuWnd::Crossed);
    g.frame->OnCommand(cmd::kClosePopup);
    settle();

    CPiece* p = dragOut(g, 1, 1, QPoint(400, 300));
    menu = openGameMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->items()[2].state, CPopupMenuWnd::Plain);
    EXPECT_EQ(menu->items()[3].state, CPopupMenuWnd::Crossed);
    click(menu, QPoint(30, 2 * 41 + 20)); // Undo
    settle();
    EXPECT_GE(g.doc->boxList().indexOf(p), 0);
    menu = openGameMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->items()[2].state, CPopupMenuWnd::Crossed);
    EXPECT_EQ(menu->items()[3].state, CPopupMenuWnd::Plain);
    click(menu, QPoint(30, 3 * 41 + 20)); // Redo
    settle();
    EXPECT_GE(g.view->boardList().indexOf(p), 0);

    g.frame->activateWindow();
    QApplication::setActiveWindow(g.frame);
    QTest::keyClick(g.frame, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_GE(g.doc->boxList().indexOf(p), 0) << "Ctrl+Z";
    QTest::keyClick(g.frame, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_GE(g.view->boardList().indexOf(p), 0) << "Ctrl+Shift+Z";
    QTest::keyClick(g.frame, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(g.frame, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_GE(g.view->boardList().indexOf(p), 0) << "Ctrl+Y";
}

TEST(Undo, NothingIsTakenBackWhileAPieceIsCarried)
{
    Game g(3, 3, 48, false);
    CPiece* a = dragOut(g, 1, 1, QPoint(400, 300));
    ASSERT_TRUE(g.frame->history().canUndo());
    const QPoint from = onBoardPiece(a, g.k());
    Game::send(g.view, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Game::send(g.view, QEvent::MouseMove, from + QPoint(30, 30), Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(g.view->dragging());
    EXPECT_FALSE(g.frame->undo());
    EXPECT_EQ(g.doc->boxList().indexOf(a), -1);
    Game::send(g.view, QEvent::MouseButtonRelease, from + QPoint(30, 30), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(QPoint(a->x, a->y), QPoint(430, 330));
    EXPECT_EQ(g.frame->history().undoCount(), 2u);
    ASSERT_TRUE(g.frame->undo());
    EXPECT_EQ(QPoint(a->x, a->y), QPoint(400, 300));
}

// ---- a turn that snaps ----

TEST(TurnSnap, APieceTurnedIntoPlaceBesideAFixedOneSnapsIsFixedAndClicks)
{
    Game g(3, 3, 48, true);
    g.app.state.soundOption = 1;
    g.placeFromStrip(0, 0);
    ASSERT_TRUE(g.view->grid().at(0, 0)->fixed);
    // Near its home place but a quarter turn short, so the drop did not snap it.
    CPiece* s = lay(g, 1, 0, g.home(1, 0) + QPoint(2, -3), 3);
    ASSERT_FALSE(s->fixed);
    ASSERT_EQ(QPoint(s->x, s->y), g.home(1, 0) + QPoint(2, -3));
    const int clicks = g.app.sound.joinPlays();

    Game::rightClick(g.view, onBoardPiece(s, g.k()));
    EXPECT_EQ(s->rotation, 0);
    EXPECT_EQ(QPoint(s->x, s->y), g.home(1, 0));
    EXPECT_TRUE(s->fixed);
    EXPECT_EQ(g.view->fixedCount(), 2);
    EXPECT_EQ(g.view->boardList().indexOf(s), 0) << "fixed pieces lie under the loose ones";
    EXPECT_EQ(g.app.sound.joinPlays(), clicks + 1);
    EXPECT_FALSE(g.frame->history().canUndo()) << "it fixed a piece: final";
}

TEST(TurnSnap, ATurnBesideALooseNeighbourJoinsItAndIsOneStep)
{
    Game g(3, 3, 48, true);
    const int k = g.k();
    CPiece* n = lay(g, 1, 1, QPoint(300, 200), 0);
    CPiece* s = lay(g, 2, 1, QPoint(300 + k - 2, 202), 3);
    ASSERT_EQ(QPoint(s->x, s->y), QPoint(300 + k - 2, 202)) << "a different turn does not snap";
    const int clicks = g.app.sound.joinPlays();
    g.frame->select(s, ContainerKind::Board, g.view);
    const GameRecord before = g.frame->recordGame();
    g.frame->turnCurrentPiece();
    EXPECT_EQ(QPoint(s->x, s->y), QPoint(300 + k, 200));
    EXPECT_FALSE(s->fixed);
    EXPECT_EQ(g.app.sound.joinPlays(), clicks + (g.app.state.soundOption ? 1 : 0));
    // Joined: the two now turn as one.
    expectOneStep(g, before, "snapping turn");
    Game::rightClick(g.view, onBoardPiece(n, k));
    EXPECT_EQ(n->rotation, 1);
    EXPECT_EQ(s->rotation, 1);
}

TEST(TurnSnap, ATurnNowhereNearMovesNothingButTheTurn)
{
    Game g(3, 3, 48, true);
    g.placeFromStrip(0, 0);
    CPiece* s = lay(g, 1, 0, QPoint(420, 300), 3);
    CPiece* other = lay(g, 2, 2, QPoint(330, 330), 1);
    const int clicks = g.app.sound.joinPlays();
    g.frame->select(s, ContainerKind::Board, g.view); // a right click makes it current first
    const GameRecord before = g.frame->recordGame();
    Game::rightClick(g.view, onBoardPiece(s, g.k()));
    EXPECT_EQ(s->rotation, 0);
    EXPECT_EQ(QPoint(s->x, s->y), QPoint(420, 300));
    EXPECT_FALSE(s->fixed);
    EXPECT_EQ(QPoint(other->x, other->y), QPoint(330, 330));
    EXPECT_EQ(other->rotation, 1);
    EXPECT_EQ(g.view->fixedCount(), 1);
    EXPECT_EQ(g.app.sound.joinPlays(), clicks);
    expectOneStep(g, before, "plain turn");
}
