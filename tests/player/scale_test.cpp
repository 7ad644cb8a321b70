// The drag layer at any scale factor; ctest also runs this at 2, as on a
// 2560 x 1600 screen, where the layer's snapshot holds twice the pixels.

#include "bitmaps.h"
#include "drag_overlay.h"
#include "game_fixture.h"
#include "strip_geometry.h"

#include <gtest/gtest.h>

namespace {
// Device pixels of two grabs that differ outside the given logical rectangles.
int differencesOutside(const QImage& a, const QImage& b, const std::vector<QRect>& skip)
{
    const qreal dpr = a.devicePixelRatio();
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QPoint logical(int(x / dpr), int(y / dpr));
            bool skipped = false;
            for (const QRect& r : skip)
                skipped = skipped || r.contains(logical);
            n += !skipped && a.pixel(x, y) != b.pixel(x, y);
        }
    return n;
}
// Device pixels of the piece that differ between two grabs, with its cell
// origin at `a` in the first and at `b` in the second (frame coordinates);
// `all` counts the pixels compared. The frame a carried piece gets as the
// current one is left out: a pixel of ours along the edge; so is `hidden`
// (device pixels from the cell origin), where other pieces cover it.
int differencesInPiece(const QImage& first, QPoint a, const QImage& second, QPoint b, const CPiece& p, int* all,
                       const QRegion& hidden = QRegion())
{
    const int s = p.scale();
    const QRegion fine = p.fineOutline();
    QRegion inner = fine;
    for (int k = 1; k <= s; ++k)
        inner = inner.intersected(fine.translated(k, 0)).intersected(fine.translated(-k, 0))
                    .intersected(fine.translated(0, k)).intersected(fine.translated(0, -k));
    inner -= hidden;
    int n = 0;
    *all = 0;
    for (const QRect& r : inner)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                ++*all;
                n += first.pixel(a * s + QPoint(x, y)) != second.pixel(b * s + QPoint(x, y));
            }
    return n;
}
} // namespace

TEST(DragAtAnyScale, TheLayerShowsTheViewAsItIsWithTheCarriedPieceOnTop)
{
    Game g(3, 3, 48, false);
    g.view->dropSinglePiece(g.doc->boxList().take(g.doc->boxList().find(1, 1)), g.view->mapToGlobal(QPoint(420, 380)));
    CPiece* p = g.view->grid().at(1, 1);
    ASSERT_TRUE(p);
    const QPoint viewInFrame = g.view->mapTo(g.frame, QPoint(0, 0));
    const QRect lifted = p->bounds().translated(QPoint(p->x, p->y) + viewInFrame);

    const QImage before = g.frame->grab().toImage();
    const qreal dpr = before.devicePixelRatio();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        EXPECT_EQ(dpr, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()) << "the scale factor took effect";
    }
    ASSERT_EQ(before.size(), QSize(800, 600) * dpr);
    ASSERT_EQ(p->scale(), int(dpr)) << "pieces are cut for the screen";

    const QPoint grab = QPoint(p->x, p->y) + QPoint(24, 24);
    const QPoint to = grab + QPoint(-150, -120);
    Game::send(g.view, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    Game::send(g.view, QEvent::MouseMove, grab + QPoint(-70, -50), Qt::NoButton, Qt::LeftButton);
    Game::send(g.view, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(g.frame->overlay()->active());
    const QImage during = g.frame->grab().toImage();
    const QRect carried = g.frame->overlay()->spriteRect().translated(frame_geometry::kClient.topLeft());
    // Everywhere but the piece's old and new places, the same picture as without a drag.
    EXPECT_EQ(differencesOutside(before, during, {lifted, carried}), 0);

    // Where it is carried it looks as it does once it lies there.
    Game::send(g.view, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    ASSERT_FALSE(g.frame->overlay()->active());
    ASSERT_EQ(QPoint(p->x, p->y), grab + QPoint(-150, -120) - QPoint(24, 24)) << "no snap, no clamp";
    const QImage after = g.frame->grab().toImage();
    const QPoint origin = QPoint(p->x, p->y) + viewInFrame;
    const QRect box = p->bounds().translated(origin);
    int same = 0, all = 0;
    for (int y = int(box.top() * dpr); y < int((box.bottom() + 1) * dpr); ++y)
        for (int x = int(box.left() * dpr); x < int((box.right() + 1) * dpr); ++x) {
            // Only the piece itself: its outline frame and shadow differ on
            // purpose. It is cut in the screen's own pixels.
            const QPoint inPiece = QPoint(x, y) - origin * p->scale();
            if (!p->fineOutline().contains(inPiece))
                continue;
            ++all;
            same += during.pixel(x, y) == after.pixel(x, y);
        }
    EXPECT_GT(all, 48 * 48 / 2);
    EXPECT_EQ(same, all);
}

TEST(DragAtAnyScale, APieceCarriedOutOfTheColumnLooksAsItDoesInItAndOnTheBoard)
{
    Game g(3, 3, 48, true);
    CPiece* p = g.strip->list()->at(0);
    const int dpr = int(g.frame->devicePixelRatioF());
    ASSERT_EQ(p->scale(), dpr) << "pieces are cut for the screen";
    const QPoint inStrip = strip_geometry::rowOrigin(0, g.k(), g.strip->scrollPosition());
    const QImage column = g.frame->grab().toImage();
    const QPoint inColumn = g.strip->mapTo(g.frame, inStrip);
    // In the column the pieces of the next rows are drawn over its knobs, and
    // a knob reaching out of the column is cut off at its edge.
    QRegion below = QRegion(p->fineOutline().boundingRect())
        - QRegion(QRect(strip_geometry::kColumn.topLeft() * dpr, strip_geometry::kColumn.size() * dpr).translated(-inStrip * dpr));
    for (int i = 1; i < g.strip->list()->size() && i < 3; ++i) {
        const QPoint d = strip_geometry::rowOrigin(i, g.k(), g.strip->scrollPosition()) - inStrip;
        below += g.strip->list()->at(i)->fineOutline().translated(d * dpr);
    }

    const QPoint from = inStrip + QPoint(g.k() / 2, g.k() / 2);
    const QPoint to = g.view->mapToGlobal(QPoint(120, 420));
    Game::send(g.strip, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Game::send(g.strip, QEvent::MouseMove, g.strip->mapFromGlobal(to - QPoint(30, 30)), Qt::NoButton, Qt::LeftButton);
    Game::send(g.strip, QEvent::MouseMove, g.strip->mapFromGlobal(to), Qt::NoButton, Qt::LeftButton);
    ASSERT_TRUE(g.frame->overlay()->active());
    const QImage during = g.frame->grab().toImage();
    const QPoint carried = g.frame->overlay()->spriteRect().topLeft() + frame_geometry::kClient.topLeft()
        - p->paintBounds().topLeft();
    Game::send(g.strip, QEvent::MouseButtonRelease, g.strip->mapFromGlobal(to), Qt::LeftButton, Qt::NoButton);
    ASSERT_GE(g.view->boardList().indexOf(p), 0) << "it lies on the board";
    const QImage after = g.frame->grab().toImage();
    const QPoint onBoard = g.view->mapTo(g.frame, QPoint(p->x, p->y) - g.view->scrollPosition());

    int all = 0;
    EXPECT_EQ(differencesInPiece(column, inColumn, during, carried, *p, &all, below), 0);
    EXPECT_GT(all, 48 * 48 * dpr * dpr / 2);
    EXPECT_EQ(differencesInPiece(during, carried, after, onBoard, *p, &all), 0);
}
