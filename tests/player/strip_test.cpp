#include "bitmaps.h"
#include "board_view.h"
#include "drag_overlay.h"
#include "main_frame.h"
#include "message_box.h"
#include "piece_strip.h"
#include "piece_viewer_bar.h"
#include "strip_geometry.h"
#include "test_files.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <algorithm>

namespace sg = strip_geometry;

// ---- the column's arithmetic ----

TEST(StripGeometry, ScrollRangeFitsOrScrollsByWholeRows)
{
    // 6 rows of 72 pixels fit into the 475-pixel column; 19 rows of 25 exactly.
    EXPECT_EQ(sg::refresh(6, 48, 300).maximum, 0);
    EXPECT_EQ(sg::refresh(6, 48, 300).position, 0) << "a column that fits cannot stay scrolled";
    EXPECT_EQ(sg::refresh(19, 17, 0).maximum, 0);
    EXPECT_EQ(sg::refresh(20, 17, 0).maximum, 25);

    const int max = 30 * 72 - 475;
    EXPECT_EQ(sg::refresh(30, 48, 0).maximum, max);
    EXPECT_EQ(sg::refresh(30, 48, 70).position, 0);
    EXPECT_EQ(sg::refresh(30, 48, 71).position, 72) << "one pixel short of a row settles on that row";
    EXPECT_EQ(sg::refresh(30, 48, 99999).position, max / 72 * 72);
    EXPECT_EQ(sg::refresh(30, 48, -40).position, 0) << "a bad stored position never goes negative";
}

TEST(StripGeometry, OneThumbTrackForDrawingPressingAndDragging)
{
    const int max = 1685;
    EXPECT_EQ(sg::thumbOffset(100, 0), 0);
    EXPECT_EQ(sg::thumbOffset(max, max), 368);
    EXPECT_EQ(sg::thumbRect(0, max), QRect(0, 88, 11, 42));
    // The strip's part and the border's part lie at the same height on screen.
    for (int pos : {0, 400, max})
        EXPECT_EQ(sg::thumbRect(pos, max).top() + sg::kTopOffset, sg::borderThumbRect(pos, max).top());

    // Dragging: the cursor's height along the track, clamped to its ends.
    EXPECT_EQ(sg::thumbDragPosition(0, max), 0);
    EXPECT_EQ(sg::thumbDragPosition(900, max), max);
    EXPECT_EQ(sg::thumbDragPosition(200, 0), 0);
    // Dragging to where the thumb is drawn leaves it there, within a pixel of rounding.
    for (int pos : {100, 843, 1500}) {
        const int back = sg::thumbDragPosition(sg::thumbRect(pos, max).top(), max);
        EXPECT_NEAR(sg::thumbOffset(back, max), sg::thumbOffset(pos, max), 1);
    }
}

// ---- the strip in the real frame ----

namespace {

class StripTest : public ::testing::Test {
protected:
    void open(int columns, int rows, int cellSize, bool rotation = true)
    {
        const QString path = dir.filePath("strip.puz");
        ASSERT_TRUE(puzzle_file::writeFile(path, testfiles::makePuzzle(columns, rows, cellSize, rotation)));
        ASSERT_TRUE(app.InitInstance({path}));
        frame = app.mainFrame();
        strip = frame->strip();
        box = &app.document()->boxList();
        k = cellSize;
        ASSERT_EQ(strip->list(), box);
    }
    void TearDown() override { app.state.modified = 0; }

    // The cell centre of the piece in the i-th row shown: always inside the piece.
    QPoint rowCentre(int i) const
    {
        return sg::rowOrigin(i, k, strip->scrollPosition()) + QPoint(k / 2, k / 2);
    }
    QPoint global(QWidget* w, QPoint p) const { return w->mapToGlobal(p); }

    void mouse(QEvent::Type type, QPoint globalPoint, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(type, QPointF(strip->mapFromGlobal(globalPoint)), QPointF(globalPoint), button, held, mods);
        QApplication::sendEvent(strip, &e);
    }
    void press(QPoint g) { mouse(QEvent::MouseButtonPress, g, Qt::LeftButton, Qt::LeftButton); }
    void moveTo(QPoint g) { mouse(QEvent::MouseMove, g, Qt::NoButton, Qt::LeftButton); }
    void release(QPoint g) { mouse(QEvent::MouseButtonRelease, g, Qt::LeftButton, Qt::NoButton); }

    MessageBoxScript boxes;
    QTemporaryDir dir;
    CTileMenderApp app;
    CMainFrame* frame = nullptr;
    CPieceStrip* strip = nullptr;
    PieceList* box = nullptr;
    int k = 0;
};

} // namespace

TEST_F(StripTest, TheBarHoldsTheStripAcrossItsWholeArea)
{
    open(2, 2, 48);
    CPieceViewerBar* bar = frame->bar();
    EXPECT_EQ(bar->controlId(), 132);
    EXPECT_EQ(bar->verticalSize(), QSize(138, 200));
    EXPECT_EQ(bar->geometry(), QRect(3, 22, 138, 575));
    EXPECT_EQ(strip->parentWidget(), bar);
    EXPECT_EQ(strip->geometry(), QRect(0, 0, 138, 575));
    EXPECT_EQ(strip->property("controlId").toInt(), 1000);
    bar->resize(138, 400);
    EXPECT_EQ(strip->size(), QSize(138, 400));
}

TEST_F(StripTest, LongColumnScrollsByLinesPagesAndTheThumb)
{
    open(6, 5, 48);
    const int max = 30 * 72 - 475;
    EXPECT_EQ(strip->maximumScroll(), max);
    EXPECT_EQ(strip->counterText(), "1/30");
    strip->scroll(CPieceStrip::LineDown);
    EXPECT_EQ(strip->scrollPosition(), 1);
    strip->scroll(CPieceStrip::PageDown);
    EXPECT_EQ(strip->scrollPosition(), 73);
    EXPECT_EQ(strip->counterText(), "2/30");
    strip->refresh();
    EXPECT_EQ(strip->scrollPosition(), 72);
    strip->scroll(CPieceStrip::Bottom);
    EXPECT_EQ(strip->scrollPosition(), max);
    EXPECT_EQ(strip->thumbOffset(), 368);
    strip->scroll(CPieceStrip::ThumbTrack, 500);
    EXPECT_EQ(strip->scrollPosition(), 500);

    // A row cut by the column's top can be picked up only where it shows.
    strip->scroll(CPieceStrip::ThumbTrack, 100);
    int index = -1;
    EXPECT_EQ(strip->hitTest(QPoint(73, sg::kColumnTop + 4), &index), box->at(1));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(strip->hitTest(QPoint(73, sg::kColumnTop - 4), &index), nullptr) << "under the counter";
    EXPECT_EQ(index, -1);
    EXPECT_EQ(strip->hitTest(QPoint(73, sg::kColumnTop + 72 + 4)), box->at(2));
    strip->scroll(CPieceStrip::Top);

    // Saved values come back through the same rounding.
    strip->setScrollValues(max, 300);
    EXPECT_EQ(strip->scrollPosition(), 288);

    // The wheel moves by one row.
    QWheelEvent wheel(QPointF(60, 200), QPointF(global(strip, QPoint(60, 200))), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(strip, &wheel);
    EXPECT_EQ(strip->scrollPosition(), 360);
}

TEST_F(StripTest, ThumbDragsInTheStripAndFromTheFrameBorder)
{
    open(6, 5, 48);
    const int max = strip->maximumScroll();
    // Press on the thumb at the top of its track, drag it halfway down.
    press(global(strip, QPoint(5, 88 + 20)));
    EXPECT_TRUE(strip->thumbDragging());
    EXPECT_FALSE(strip->dragging()) << "the thumb is not a piece";
    moveTo(global(strip, QPoint(5, 88 + 184)));
    EXPECT_EQ(strip->scrollPosition(), 184 * max / 368);
    moveTo(global(strip, QPoint(5, 1000)));
    EXPECT_EQ(strip->scrollPosition(), max);
    release(global(strip, QPoint(5, 1000)));
    EXPECT_FALSE(strip->thumbDragging());
    moveTo(global(strip, QPoint(5, 88)));
    EXPECT_EQ(strip->scrollPosition(), max) << "after the release moves do nothing";

    // The frame's border starts the same drag; a move without the button ends it.
    strip->startThumbDrag();
    moveTo(global(strip, QPoint(-2, 88 + 92)));
    EXPECT_EQ(strip->scrollPosition(), 92 * max / 368);
    EXPECT_EQ(strip->borderThumbRect(), QRect(0, 110 + strip->thumbOffset(), 3, 42));
    mouse(QEvent::MouseMove, global(strip, QPoint(5, 300)), Qt::NoButton, Qt::NoButton);
    EXPECT_FALSE(strip->thumbDragging());
    EXPECT_EQ(strip->scrollPosition(), 92 * max / 368);
}

TEST_F(StripTest, AddingAtAPointScrollingToAPieceAndTurning)
{
    open(6, 5, 48);
    strip->scroll(CPieceStrip::ThumbTrack, 144);
    auto taken = box->take(10);
    CPiece* p = taken.get();
    // Above the column: in front of the first row shown.
    strip->addPiece(std::move(taken), global(strip, QPoint(60, 3)));
    EXPECT_EQ(box->indexOf(p), 2);
    EXPECT_EQ(app.state.modified, 1);

    // Below the last row: in front of the last piece, not after it.
    strip->scroll(CPieceStrip::Bottom);
    taken = box->take(box->indexOf(p));
    CPiece* last = box->at(box->size() - 1);
    strip->addPiece(std::move(taken), global(strip, QPoint(60, 570)));
    EXPECT_EQ(box->indexOf(p), 28);
    EXPECT_EQ(box->indexOf(last), 29);

    strip->scroll(CPieceStrip::Top);
    strip->scrollToPiece(box->at(3));
    EXPECT_EQ(strip->scrollPosition(), 0);
    strip->scrollToPiece(box->at(6));
    EXPECT_EQ(strip->scrollPosition(), 432) << "a row cut off by the column's foot is brought up";
    strip->scrollToPiece(box->at(29));
    EXPECT_EQ(strip->scrollPosition(), strip->maximumScroll());

    // Right click: the piece becomes current and turns; Shift asks for a hint instead.
    strip->scroll(CPieceStrip::Top);
    CPiece* first = box->at(0);
    const int rotation = first->rotation;
    mouse(QEvent::MouseButtonPress, global(strip, rowCentre(0)), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(frame->currentPiece(), first);
    EXPECT_EQ(frame->currentKind(), ContainerKind::Strip);
    EXPECT_EQ(first->rotation, (rotation + 1) % 4);
    EXPECT_EQ(first->bounds(), piece_geometry::outline(*first, k, first->rotation).boundingRect());
    mouse(QEvent::MouseButtonPress, global(strip, rowCentre(0)), Qt::RightButton, Qt::RightButton,
          Qt::ShiftModifier);
    EXPECT_EQ(first->rotation, (rotation + 1) % 4);
    app.state.rotationAllowed = 0;
    strip->turnPiece(first);
    EXPECT_EQ(first->rotation, (rotation + 1) % 4);
}

TEST_F(StripTest, AddingARunAtOnceEndsAsAddingItPieceByPiece)
{
    open(6, 5, 48);
    auto order = [this] {
        std::vector<CPiece*> out;
        for (const auto& p : *box)
            out.push_back(p.get());
        return out;
    };
    // Runs of 8, 28 and all 30 pieces, into a column scrolled to the top, the
    // middle and the bottom, at a point above it and one below its last row:
    // in front of the row shown, or clamped in front of the last piece.
    for (int left : {22, 2, 0}) {
        for (auto where : {CPieceStrip::Top, CPieceStrip::ThumbTrack, CPieceStrip::Bottom}) {
            for (QPoint at : {global(strip, QPoint(60, 3)), global(strip, QPoint(60, 570))}) {
                const std::vector<CPiece*> all = order();
                const std::vector<CPiece*> run(all.begin() + left, all.end());
                auto takeRun = [&] {
                    std::vector<std::unique_ptr<CPiece>> out;
                    for (CPiece* p : run)
                        out.push_back(box->take(box->indexOf(p)));
                    return out;
                };
                auto pieces = takeRun();
                strip->refresh();
                strip->scroll(where, 144);
                const int position = strip->scrollPosition();
                for (auto& p : pieces)
                    strip->addPiece(std::move(p), at);
                const std::vector<CPiece*> oneByOne = order();

                pieces = takeRun();
                strip->refresh();
                strip->scroll(CPieceStrip::ThumbTrack, position);
                ASSERT_EQ(strip->scrollPosition(), position);
                strip->addPieces(std::move(pieces), at);
                ASSERT_EQ(order(), oneByOne) << left << " left, scrolled to " << position;
                ASSERT_EQ(box->size(), 30);
            }
        }
    }
}

TEST_F(StripTest, DraggingAPieceOntoTheBoard)
{
    open(6, 5, 48, false);
    CTileMenderView* view = frame->view();
    CPiece* p = box->at(1);
    press(global(strip, rowCentre(1)));
    ASSERT_TRUE(strip->dragging());
    EXPECT_EQ(frame->currentPiece(), p);
    EXPECT_EQ(frame->currentKind(), ContainerKind::Strip);
    EXPECT_EQ(box->indexOf(p), 1) << "the piece stays in the column until it is dropped";
    EXPECT_EQ(p->carried, 1);
    ASSERT_TRUE(frame->overlay()->active());

    // The sprite follows the cursor, the piece centred under it.
    const QPoint target = global(view, QPoint(view->width() / 2, view->height() / 2 - 60));
    moveTo(target);
    const QPoint inClient = frame->overlay()->mapFromGlobal(target);
    EXPECT_EQ(frame->overlay()->spriteRect().topLeft(), inClient - QPoint(k / 2, k / 2) + p->bounds().topLeft());

    release(target);
    EXPECT_FALSE(strip->dragging());
    EXPECT_FALSE(frame->overlay()->active());
    EXPECT_EQ(box->indexOf(p), -1);
    EXPECT_EQ(box->size(), 29);
    EXPECT_GE(view->boardList().indexOf(p), 0);
    EXPECT_EQ(p->carried, 0);
    EXPECT_EQ(QPoint(p->x, p->y), view->mapFromGlobal(target) - QPoint(k / 2, k / 2));
    EXPECT_EQ(frame->currentKind(), ContainerKind::Board);
    EXPECT_EQ(strip->counterText(), "1/29");
}

TEST_F(StripTest, DroppingBackIntoTheColumnOrOutsideTheWindow)
{
    open(6, 5, 48);
    CPiece* p = box->at(0);
    CPiece* second = box->at(1);
    // Back into the column, three rows further down: it moves there.
    press(global(strip, rowCentre(0)));
    const QPoint there = global(strip, QPoint(70, sg::kColumnTop + 3 * 72 + k / 2 + 5));
    moveTo(there);
    release(there);
    EXPECT_EQ(box->size(), 30);
    EXPECT_EQ(box->indexOf(p), 3);
    EXPECT_EQ(box->indexOf(second), 0);
    EXPECT_EQ(p->carried, 0);
    EXPECT_EQ(frame->currentKind(), ContainerKind::Strip);

    // Let go outside the window beside the column: it was shown in the
    // column, kept inside the client area, and it lands there.
    press(global(strip, rowCentre(0)));
    const QPoint outside = frame->mapToGlobal(QPoint(-40, 300));
    moveTo(outside);
    EXPECT_TRUE(frame->overlay()->spriteRect().left() >= 0) << "the carried piece stays in the client area";
    release(outside);
    EXPECT_GT(box->indexOf(second), 0) << "it moved down the column";
    EXPECT_EQ(box->size(), 30);
    EXPECT_EQ(second->carried, 0);
    EXPECT_TRUE(frame->view()->boardList().empty());
    EXPECT_FALSE(frame->overlay()->active());

    // Losing the focus drops where the cursor is, by the same rule.
    CPiece* third = box->at(0);
    press(global(strip, rowCentre(0)));
    ASSERT_TRUE(strip->dragging());
    QCursor::setPos(outside);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(strip, &out);
    EXPECT_FALSE(strip->dragging());
    EXPECT_FALSE(frame->overlay()->active());
    EXPECT_GE(box->indexOf(third), 0);
    EXPECT_EQ(third->carried, 0);
    EXPECT_EQ(box->size(), 30);
}

TEST_F(StripTest, ReplacingTheListDuringADragAbandonsIt)
{
    open(6, 5, 48);
    press(global(strip, rowCentre(0)));
    ASSERT_TRUE(strip->dragging());
    // A new puzzle opened by a shortcut while the button is still down.
    app.newDocument();
    EXPECT_FALSE(strip->dragging());
    EXPECT_FALSE(frame->overlay()->active());
    release(global(strip, rowCentre(0)));
    EXPECT_TRUE(box->empty());
    EXPECT_EQ(strip->counterText(), "0/0");
}

TEST_F(StripTest, PaintsBackgroundCounterPiecesAndThumb)
{
    open(6, 5, 48, false);
    auto bk = std::make_unique<ToolkitBitmap>();
    bk->image = testfiles::patternImage(800, 600).convertToFormat(QImage::Format_RGB32);
    app.background = std::move(bk);
    strip->scroll(CPieceStrip::ThumbTrack, 800);
    const QImage shot = strip->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(138, 575));

    // The window's picture shows through from 22 pixels further down.
    EXPECT_EQ(shot.pixel(100, 560), app.background->image.pixel(100, 582));
    EXPECT_EQ(shot.pixel(137, 40), app.background->image.pixel(137, 62));

    // The counter: yellow, over the column's middle, above its top edge.
    const QRgb yellow = qRgb(255, 242, 0);
    int yellowAbove = 0, yellowLeft = 200, yellowRight = -1;
    for (int y = 0; y < sg::kColumnTop; ++y)
        for (int x = 0; x < 138; ++x)
            if (shot.pixel(x, y) == yellow) {
                ++yellowAbove;
                yellowLeft = std::min(yellowLeft, x);
                yellowRight = std::max(yellowRight, x);
            }
    EXPECT_GT(yellowAbove, 20);
    EXPECT_NEAR((yellowLeft + yellowRight) / 2, sg::kColumnLeft + sg::kColumnWidth / 2, 4);

    // The first row shown has its piece drawn at the row's origin.
    const int first = sg::firstRow(800, k);
    const CPiece* piece = box->at(first + 1);
    const QPoint o = sg::rowOrigin(1, k, 800);
    const QPoint inImage = QPoint(k / 2, k / 2) - piece->bounds().topLeft();
    EXPECT_EQ(shot.pixel(o + QPoint(k / 2, k / 2)), piece->image().pixel(inImage) | 0xff000000);

    // The thumb: the bitmap's columns after the border's three, at its offset.
    const QImage thumb = playerBitmap(153);
    ASSERT_FALSE(thumb.isNull());
    const int t = strip->thumbOffset();
    for (int x = 0; x < thumb.width() - 3; ++x)
        EXPECT_EQ(shot.pixel(x, 88 + t + 21), thumb.pixel(x + 3, 21)) << x;
    EXPECT_EQ(shot.pixel(5, 88 + t - 5), app.background->image.pixel(5, 110 + t - 5));
}
