// The drag layer at any scale factor; ctest also runs this at 2, as on a
// 2560 x 1600 screen, where the layer's snapshot holds twice the pixels.

#include "bitmaps.h"
#include "drag_overlay.h"
#include "game_fixture.h"

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
            // Only the piece itself: its outline frame and shadow differ on purpose.
            const QPoint inPiece = QPoint(int(x / dpr), int(y / dpr)) - origin;
            if (!p->outline().contains(inPiece))
                continue;
            ++all;
            same += during.pixel(x, y) == after.pixel(x, y);
        }
    EXPECT_GT(all, 48 * 48 / 2);
    EXPECT_EQ(same, all);
}
