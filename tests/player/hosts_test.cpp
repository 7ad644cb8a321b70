// The column and a tray on their own, against hosts that record what they
// are asked: each widget knows its owner only through PieceHost (and a tray
// its board through TrayHost), so neither needs the rest of the player.

#include "bitmaps.h"
#include "drag_overlay.h"
#include "piece_host.h"
#include "piece_strip.h"
#include "player_look.h"
#include "player_state.h"
#include "strip_geometry.h"
#include "test_files.h"
#include "tile_mender_doc.h"
#include "tray_host.h"
#include "tray_wnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

namespace {

using namespace frame_geometry;

struct Handed {
    CPiece* piece;
    DropTarget::Kind kind;
    QPoint at;
};

// Stands for the frame and the board: a plain 800 x 600 window with a drag
// layer, answering drops as the test says and keeping what it is handed.
struct FakeHosts : PieceHost, TrayHost {
    QWidget frame;
    QWidget board{&frame};
    CDragOverlay* layer;
    DropTarget answer;
    std::vector<Handed> handed;
    std::vector<PieceList::Ptr> kept;
    std::vector<CPiece*> returned;
    CPiece* current = nullptr;
    ContainerKind currentKind = ContainerKind::Strip;
    std::vector<CPiece*> hinted;
    int modified = 0;
    int rebuilt = 0;
    int nextMinimizedY = 400;
    std::vector<int> released;
    std::vector<CTrayWnd*> closed, headed;

    FakeHosts()
    {
        frame.setFixedSize(800, 600);
        board.setGeometry(kView.translated(kClient.topLeft()));
        layer = new CDragOverlay(&frame);
    }

    void select(CPiece* p, ContainerKind kind, QWidget*) override
    {
        current = p;
        currentKind = kind;
    }
    void forgetCurrentPiece() override { current = nullptr; }
    CPiece* currentPiece() const override { return current; }
    void hint(CPiece* p) override { hinted.push_back(p); }
    CDragOverlay* overlay() const override { return layer; }
    DropTarget dropTarget(QPoint, const QRect&) const override { return answer; }
    void handOver(std::unique_ptr<CPiece> p, const DropTarget& t, QPoint at) override
    {
        handed.push_back({p.get(), t.kind, at});
        kept.push_back(std::move(p));
    }
    void returnToBox(std::vector<std::unique_ptr<CPiece>> pieces) override
    {
        for (auto& p : pieces) {
            returned.push_back(p.get());
            kept.push_back(std::move(p));
        }
    }
    void rebuildPiece(CPiece&) override { ++rebuilt; }
    void markModified() override { ++modified; }

    int takeMinimizedTrayY() override { return std::exchange(nextMinimizedY, nextMinimizedY - 25); }
    void releaseTrayNumber(int n) override { released.push_back(n); }
    void bringToHead(CTrayWnd* t) override { headed.push_back(t); }
    void trayClosed(CTrayWnd* t) override { closed.push_back(t); }
    QSize area() const override { return board.size(); }
};

// A dealt 3 x 3 puzzle of 48-pixel cells.
struct Dealt {
    PlayerState state;
    CTileMenderDoc doc{state};
    PlayerLook look;
    Dealt() { doc.openData(testfiles::puzzleBytes(testfiles::makePuzzle(3, 3, 48, true)), "Hosts.puz"); }
};

void send(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void dragTo(QWidget* w, QPoint from, QPoint toGlobal)
{
    send(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(w, QEvent::MouseMove, w->mapFromGlobal(toGlobal), Qt::NoButton, Qt::LeftButton);
    send(w, QEvent::MouseButtonRelease, w->mapFromGlobal(toGlobal), Qt::LeftButton, Qt::NoButton);
}

// The first row's piece of the column, as it is drawn.
QPoint firstRowPoint(int k) { return strip_geometry::rowOrigin(0, k, 0) + QPoint(k / 2, k / 2); }

} // namespace

TEST(StripAgainstAHost, ADropGoesWhereTheHostSaysAndNowhereKeepsThePiece)
{
    Dealt d;
    FakeHosts host;
    CPieceStrip strip(d.look, d.state, host, &host.frame);
    strip.setGeometry(QRect(kClient.topLeft(), QSize(kPanelWidth, kClient.height())));
    strip.setList(&d.doc.boxList(), d.doc.cellSize());
    host.frame.show();
    const int k = d.doc.cellSize();
    CPiece* first = d.doc.boxList()[0];
    ASSERT_EQ(strip.hitTest(firstRowPoint(k)), first);

    // Nowhere takes it: it stays in its row, and the game is unchanged.
    host.answer = {DropTarget::Nowhere, nullptr};
    dragTo(&strip, firstRowPoint(k), host.board.mapToGlobal(QPoint(300, 300)));
    EXPECT_EQ(host.current, first) << "a piece picked up is the current one";
    EXPECT_EQ(d.doc.boxList()[0], first);
    EXPECT_TRUE(host.handed.empty());
    EXPECT_FALSE(host.layer->active());
    EXPECT_EQ(first->carried, 0);

    // The board: the host gets the piece with its origin half a cell up and
    // left of the cursor, and the column is a piece shorter.
    host.answer = {DropTarget::Board, nullptr};
    const QPoint at = host.board.mapToGlobal(QPoint(300, 300));
    dragTo(&strip, firstRowPoint(k), at);
    ASSERT_EQ(host.handed.size(), 1u);
    EXPECT_EQ(host.handed[0].piece, first);
    EXPECT_EQ(host.handed[0].kind, DropTarget::Board);
    EXPECT_EQ(host.handed[0].at, at - QPoint(k / 2, k / 2));
    EXPECT_EQ(d.doc.boxList().size(), 8);
    EXPECT_EQ(d.doc.boxList().indexOf(first), -1);
}

TEST(StripAgainstAHost, TurnsAndHintsGoThroughTheHost)
{
    Dealt d;
    FakeHosts host;
    CPieceStrip strip(d.look, d.state, host, &host.frame);
    strip.setGeometry(QRect(kClient.topLeft(), QSize(kPanelWidth, kClient.height())));
    strip.setList(&d.doc.boxList(), d.doc.cellSize());
    const int k = d.doc.cellSize();
    CPiece* first = d.doc.boxList()[0];
    const int turned = first->rotation;

    send(&strip, QEvent::MouseButtonPress, firstRowPoint(k), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(first->rotation, (turned + 1) % 4);
    EXPECT_EQ(host.rebuilt, 1);
    EXPECT_EQ(host.modified, 1);
    EXPECT_EQ(host.current, first);

    // Without turning allowed a right click only selects.
    d.state.rotationAllowed = 0;
    send(&strip, QEvent::MouseButtonPress, firstRowPoint(k), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(first->rotation, (turned + 1) % 4);
    EXPECT_EQ(host.modified, 1);

    QMouseEvent shift(QEvent::MouseButtonPress, QPointF(firstRowPoint(k)), QPointF(strip.mapToGlobal(firstRowPoint(k))),
                      Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
    QApplication::sendEvent(&strip, &shift);
    EXPECT_EQ(host.hinted, std::vector<CPiece*>{first});
}

TEST(TrayAgainstItsHosts, ClosingReturnsEveryPieceAndTellsTheBoard)
{
    Dealt d;
    FakeHosts host;
    auto* tray = new CTrayWnd(d.look, d.state, host, host, &host.board, 4);
    tray->setGeometry(50, 50, 200, 200);
    host.frame.show();
    tray->show();

    std::vector<CPiece*> parked;
    for (int i = 0; i < 3; ++i) {
        auto p = d.doc.boxList().takeFirst();
        parked.push_back(p.get());
        // Far outside the client area: the tray pulls it inside.
        tray->addPiece(std::move(p), tray->mapToGlobal(QPoint(900, 900)));
    }
    EXPECT_EQ(host.modified, 3);
    for (const CPiece* p : parked)
        EXPECT_TRUE(QRect(QPoint(0, 0), tray->clientRect().size()).intersects(p->bounds().translated(p->x, p->y)));
    host.current = parked[1];

    tray->closeTray();
    EXPECT_EQ(host.returned, parked) << "in the tray's order, as one run";
    EXPECT_TRUE(tray->pieces().empty());
    EXPECT_EQ(host.current, nullptr) << "a current piece of the tray is forgotten";
    EXPECT_EQ(host.released, std::vector<int>{4});
    EXPECT_EQ(host.closed, std::vector<CTrayWnd*>{tray});
    EXPECT_TRUE(tray->isHidden());
    delete tray;
}

TEST(TrayAgainstItsHosts, APieceCarriedOutGoesToTheHostOrBackToItsPlace)
{
    Dealt d;
    FakeHosts host;
    auto* tray = new CTrayWnd(d.look, d.state, host, host, &host.board, 0);
    tray->setGeometry(50, 50, 220, 220);
    host.frame.show();
    tray->show();
    const int k = d.doc.cellSize();
    for (int i = 0; i < 2; ++i)
        tray->addPiece(d.doc.boxList().takeFirst(), tray->mapToGlobal(tray->clientOrigin() + QPoint(20 + 60 * i, 20)));
    CPiece* bottom = tray->pieces()[0];
    const QPoint from(bottom->x, bottom->y);
    const QPoint grab = tray->clientOrigin() + from + QPoint(k / 2, k / 2);

    host.answer = {DropTarget::Nowhere, nullptr};
    dragTo(tray, grab, host.board.mapToGlobal(QPoint(500, 400)));
    ASSERT_EQ(tray->pieces().size(), 2);
    EXPECT_EQ(tray->pieces()[0], bottom) << "back at its place in the stack";
    EXPECT_EQ(QPoint(bottom->x, bottom->y), from);
    EXPECT_FALSE(tray->dragging());
    EXPECT_FALSE(host.headed.empty()) << "a press brings the tray to the head of the list";

    host.answer = {DropTarget::Strip, nullptr};
    const QPoint at = host.frame.mapToGlobal(QPoint(60, 300));
    dragTo(tray, grab, at);
    ASSERT_EQ(host.handed.size(), 1u);
    EXPECT_EQ(host.handed[0].piece, bottom);
    EXPECT_EQ(host.handed[0].kind, DropTarget::Strip);
    EXPECT_EQ(host.handed[0].at, at - QPoint(k / 2, k / 2)) << "where it was held";
    EXPECT_EQ(tray->pieces().size(), 1);

    // Minimised, it goes where the board says, and stays there.
    tray->minimizeTray();
    EXPECT_EQ(tray->pos(), QPoint(1, 400));
    tray->restoreTray();
    tray->minimizeTray();
    EXPECT_EQ(tray->pos(), QPoint(1, 400));
    delete tray;
}
