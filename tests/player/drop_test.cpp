// Where a single carried piece lands: in the topmost tray under the cursor,
// or where the player saw it when the button came up over the caption.

#include "bitmaps.h"
#include "drag_overlay.h"
#include "game_fixture.h"
#include "tray_wnd.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CPiece> fromBox(Game& g, int c, int r)
{
    return g.doc->boxList().take(g.doc->boxList().find(c, r));
}

// Carries from a point of `source` to a global point and lets go there;
// returns where the carried piece was shown last, in the frame's client coordinates.
QRect carry(QWidget* source, QPoint from, QPoint toGlobal, CDragOverlay* overlay)
{
    Game::send(source, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Game::send(source, QEvent::MouseMove, source->mapFromGlobal(toGlobal), Qt::NoButton, Qt::LeftButton);
    const QRect shown = overlay->spriteRect();
    Game::send(source, QEvent::MouseButtonRelease, source->mapFromGlobal(toGlobal), Qt::LeftButton, Qt::NoButton);
    return shown;
}

// The piece's box on the board, in the frame's client coordinates.
QPoint boardBoxInClient(const Game& g, const CPiece* p)
{
    return p->bounds().topLeft() + QPoint(p->x, p->y) + g.view->pos() - frame_geometry::kClient.topLeft();
}

} // namespace

TEST(Drops, OnlyTheTopmostTrayUnderTheCursorTakesAPiece)
{
    Game g(3, 3, 48, false);
    CTrayWnd* below = g.view->openTray();
    CTrayWnd* above = g.view->openTray(); // 22 pixels lower and further right, on top
    ASSERT_TRUE(above->geometry().intersects(below->geometry()));
    // A point of the upper tray's title band that lies over the lower tray's client area.
    const QPoint band = above->mapTo(g.view, QPoint(100, 30));
    ASSERT_TRUE(below->clientRect().contains(below->mapFrom(g.view, band)));
    ASSERT_FALSE(above->clientRect().contains(QPoint(100, 30)));

    g.view->dropSinglePiece(fromBox(g, 1, 1), g.view->mapToGlobal(QPoint(450, 420)));
    CPiece* p = g.view->grid().at(1, 1);
    ASSERT_TRUE(p);
    Game::drag(g.view, QPoint(p->x + 24, p->y + 24), g.view->mapToGlobal(band));
    EXPECT_EQ(below->pieces().indexOf(p), -1) << "the tray hidden under the band never takes it";
    ASSERT_EQ(above->pieces().indexOf(p), 0);
    EXPECT_EQ(g.frame->currentContainer(), above);
    // Pulled inside the client area of the tray it went into.
    EXPECT_GE(p->y + p->bounds().top(), 0);

    // From the column onto the same band: the same tray.
    CPiece* q = g.doc->boxList().at(0);
    g.strip->scrollToPiece(q);
    Game::drag(g.strip, g.stripCentreOf(q), g.view->mapToGlobal(band));
    EXPECT_EQ(above->pieces().indexOf(q), 1);
    EXPECT_TRUE(below->pieces().empty());

    // A minimised tray on top takes nothing, and shields what lies under it.
    above->minimizeTray();
    above->move(below->mapTo(g.view, below->clientOrigin() + QPoint(10, 10)));
    above->raise();
    const QPoint onBar = above->mapTo(g.view, QPoint(40, 10));
    ASSERT_TRUE(below->clientRect().contains(below->mapFrom(g.view, onBar)));
    CPiece* r = g.doc->boxList().at(0);
    g.strip->scrollToPiece(r);
    Game::drag(g.strip, g.stripCentreOf(r), g.view->mapToGlobal(onBar));
    EXPECT_TRUE(below->pieces().empty());
    EXPECT_EQ(g.view->grid().at(r->column, r->row), r) << "it lies on the board";
}

TEST(Drops, LetGoOverTheCaptionAPieceLandsWhereItWasShown)
{
    Game g(3, 3, 48, false);
    CDragOverlay* overlay = g.frame->overlay();
    const QPoint caption = g.frame->mapToGlobal(QPoint(420, 8));

    // A single board piece.
    g.view->dropSinglePiece(fromBox(g, 1, 1), g.view->mapToGlobal(QPoint(450, 420)));
    CPiece* p = g.view->grid().at(1, 1);
    const QRect shown = carry(g.view, QPoint(p->x + 24, p->y + 24), caption, overlay);
    ASSERT_EQ(g.view->grid().at(1, 1), p) << "on the board, not back at its old place";
    EXPECT_EQ(boardBoxInClient(g, p), shown.topLeft());
    EXPECT_EQ(p->y + p->bounds().top(), 0) << "at the top of the view, as shown";

    // A piece from a tray.
    CTrayWnd* t = g.view->openTray();
    t->move(300, 200);
    auto piece = fromBox(g, 2, 1);
    CPiece* fromTray = piece.get();
    t->addPiece(std::move(piece), t->mapToGlobal(t->clientOrigin() + QPoint(40, 40)));
    const QPoint onIt = t->clientOrigin() + QPoint(fromTray->x + 24, fromTray->y + 24);
    const QRect shownFromTray = carry(t, onIt, caption + QPoint(60, 0), overlay);
    EXPECT_TRUE(t->pieces().empty());
    ASSERT_EQ(g.view->grid().at(2, 1), fromTray);
    EXPECT_EQ(boardBoxInClient(g, fromTray), shownFromTray.topLeft());

    // A piece from the column.
    CPiece* fromColumn = g.doc->boxList().at(0);
    g.strip->scrollToPiece(fromColumn);
    const QRect shownFromColumn = carry(g.strip, g.stripCentreOf(fromColumn), caption - QPoint(120, 0), overlay);
    ASSERT_EQ(g.view->grid().at(fromColumn->column, fromColumn->row), fromColumn);
    EXPECT_EQ(boardBoxInClient(g, fromColumn), shownFromColumn.topLeft());
    EXPECT_FALSE(overlay->active());
}
