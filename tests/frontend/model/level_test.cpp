// Grids, the custom level's arithmetic, fit and thumbnail sizes, and the
// shading of a freshly cut puzzle.
#include "custom_level.h"
#include "frontend_fixture.h"
#include "picture_fit.h"
#include "puzzle_maker.h"
#include "puzzle_shading.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct Maker {
    SuiteTree tree;
    PuzzleMaker maker{tree.folders};
    ScriptedUi ui;
    explicit Maker(int w = 640, int h = 480, QRgb fill = qRgb(120, 120, 120))
    {
        imaging::create(maker.workingImage, w, h);
        maker.workingImage.image.fill(fill);
    }
};

} // namespace

TEST(Levels, GridsOfAPictureAtEachLevel)
{
    Maker m;
    const struct { int level, columns, rows, cell; } cases[] = {
        {PuzzleMaker::Easy, 6, 5, 96}, {PuzzleMaker::Normal, 8, 6, 72}, {PuzzleMaker::Hard, 13, 10, 48}};
    for (const auto& c : cases) {
        ASSERT_TRUE(m.maker.PrepareLevel(c.level, m.ui));
        EXPECT_EQ(m.maker.columns, c.columns);
        EXPECT_EQ(m.maker.rows, c.rows);
        EXPECT_EQ(m.maker.pieceSize, c.cell);
        EXPECT_EQ(m.maker.puzzleImage.image.size(), QSize(c.columns * c.cell, c.rows * c.cell));
        EXPECT_EQ(m.maker.pieces.size(), size_t(c.columns * c.rows));
        // The progress bar's range is used up exactly, and closed.
        EXPECT_EQ(m.ui.range, c.columns * c.rows * 7 + 40);
        EXPECT_EQ(m.ui.position, m.ui.range);
    }
    EXPECT_EQ(m.ui.ends, 3);
}

TEST(Levels, APictureSmallerThanACellStillGivesOneColumnAndRow)
{
    Maker m(40, 200);
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Easy, m.ui));
    EXPECT_EQ(m.maker.columns, 1);
    EXPECT_EQ(m.maker.rows, 2);
    EXPECT_EQ(m.maker.puzzleImage.image.size(), QSize(96, 192));
}

TEST(Levels, CancelOrNonsenseChangesNothing)
{
    Maker m;
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Hard, m.ui));
    const CPiece* first = m.maker.pieces.front().get();
    m.ui.customOk = false;
    EXPECT_FALSE(m.maker.PrepareLevel(PuzzleMaker::Custom, m.ui));
    EXPECT_TRUE(m.maker.lastError().isEmpty());
    EXPECT_FALSE(m.maker.PrepareLevel(4, m.ui));
    EXPECT_FALSE(m.maker.lastError().isEmpty());
    m.ui.customOk = true;
    m.ui.customColumns = 5000;
    EXPECT_FALSE(m.maker.PrepareLevel(PuzzleMaker::Custom, m.ui));
    EXPECT_EQ(m.maker.columns, 13);
    EXPECT_EQ(m.maker.pieces.front().get(), first);

    // A custom grid of no rows or columns still makes one piece.
    m.ui.customRows = 0;
    m.ui.customColumns = 0;
    m.ui.customCell = 64;
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Custom, m.ui));
    EXPECT_EQ(m.maker.pieces.size(), 1u);

    // A working picture far beyond a fitted one is refused, not cut into
    // more pieces than the player opens.
    Maker huge(4800, 4800);
    EXPECT_FALSE(huge.maker.PrepareLevel(PuzzleMaker::Hard, huge.ui));
    EXPECT_FALSE(huge.maker.lastError().isEmpty());

    PuzzleMaker empty(m.tree.folders);
    EXPECT_FALSE(empty.PrepareLevel(PuzzleMaker::Easy, m.ui));
}

TEST(Levels, TheLastColumnAndRowAreFlat)
{
    Maker m;
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Hard, m.ui));
    for (const auto& p : m.maker.pieces) {
        if (p->column == 12) {
            EXPECT_EQ(std::tuple(p->rightKind, p->rightDx, p->rightDy), std::tuple(0, 0, 0));
        }
        if (p->row == 9) {
            EXPECT_EQ(std::tuple(p->bottomKind, p->bottomDx, p->bottomDy), std::tuple(0, 0, 0));
        }
        EXPECT_EQ(p->column == 0, p->leftKind == 0);
        EXPECT_EQ(p->row == 0, p->topKind == 0);
    }
    EXPECT_EQ(m.maker.pieces.back()->column, 12);
    EXPECT_EQ(m.maker.pieces.back()->row, 9);
}

TEST(CustomLevel, StartsAtCellsOf64AndRefusesPastItsLimits)
{
    CustomLevel l = CustomLevel::start(640, 480);
    EXPECT_EQ(l.rows, 7);
    EXPECT_EQ(l.columns, 10);
    EXPECT_EQ(l.cell, 64);
    EXPECT_EQ(CustomLevel::start(0, 0).rows, 7); // no size given: 640 x 480

    // "+" until the cell would fall below 32: 480 / 15 = 32 is the last.
    int presses = 0;
    while (l.plus())
        ++presses;
    EXPECT_EQ(presses, 8);
    EXPECT_EQ(l.rows, 15);
    EXPECT_EQ(l.cell, 32);
    EXPECT_EQ(l.columns, 20);
    const CustomLevel atTop = l;
    EXPECT_FALSE(l.plus());
    EXPECT_EQ(l.rows, atTop.rows);
    EXPECT_EQ(l.cell, atTop.cell);

    // "-" until the cell would pass 128: 480 / 4 = 120 is the last.
    while (l.minus()) {}
    EXPECT_EQ(l.rows, 4);
    EXPECT_EQ(l.cell, 120);
    EXPECT_EQ(l.columns, 5); // 640 = 5 x 120 + 40, 40 < 60
    // Columns round up past half a cell.
    ASSERT_TRUE(l.plus());
    EXPECT_EQ(l.cell, 96);
    EXPECT_EQ(l.columns, 7); // 640 = 6 x 96 + 64, 64 > 48

    // A short picture: "-" cannot reach no rows at all.
    CustomLevel small = CustomLevel::start(100, 100);
    EXPECT_EQ(small.rows, 2);
    ASSERT_TRUE(small.minus());
    EXPECT_FALSE(small.minus());
    EXPECT_EQ(small.rows, 1);
}

TEST(CustomLevel, NeverFewerThanOneRowOrColumn)
{
    for (const QSize s : {QSize(20, 20), QSize(2, 480), QSize(640, 2), QSize(33, 32)}) {
        CustomLevel l = CustomLevel::start(s.width(), s.height());
        EXPECT_GE(l.rows, 1);
        EXPECT_GE(l.columns, 1);
        l.plus();
        l.minus();
        EXPECT_GE(l.rows, 1);
        EXPECT_GE(l.columns, 1);
        EXPECT_GE(l.cell, 1);
    }
}

TEST(CustomLevel, SteppingToARowCount)
{
    CustomLevel l = CustomLevel::start(640, 480);
    ASSERT_TRUE(l.stepTo(7));
    EXPECT_EQ(l.cell, 64);
    ASSERT_TRUE(l.stepTo(15));
    EXPECT_EQ(l.columns, 20);
    ASSERT_TRUE(l.stepTo(5));
    EXPECT_EQ(l.cell, 96);
    EXPECT_FALSE(CustomLevel::start(640, 480).stepTo(16));
    EXPECT_FALSE(CustomLevel::start(640, 480).stepTo(3));
    EXPECT_FALSE(CustomLevel::start(640, 480).stepTo(0));
}

TEST(Sizes, FitUsesSinglePrecisionFactors)
{
    using picture_fit::fittedSize;
    EXPECT_EQ(fittedSize({1280, 960}), QSize(640, 480));
    EXPECT_EQ(fittedSize({1000, 400}), QSize(640, 256));
    EXPECT_EQ(fittedSize({800, 600}), QSize(639, 480));
    EXPECT_EQ(fittedSize({1024, 768}), QSize(639, 480));
    EXPECT_EQ(fittedSize({400, 1000}), QSize(191, 480));
    EXPECT_EQ(fittedSize({300, 200}), QSize(300, 200));
    EXPECT_EQ(fittedSize({640, 480}), QSize(640, 480));
    EXPECT_EQ(fittedSize({8000, 6000}), QSize(639, 480));
    EXPECT_EQ(fittedSize({6000, 8000}), QSize(359, 480));
    EXPECT_EQ(fittedSize({20000, 2}), QSize(640, 1));
    // A fitted size fits again unchanged.
    for (const QSize s : {QSize(639, 480), QSize(191, 480), QSize(640, 256)})
        EXPECT_EQ(fittedSize(s), s);
}

TEST(Sizes, ThumbnailsHaveALongerSideOf100)
{
    EXPECT_EQ(PuzzleMaker::thumbnailSize({576, 480}), QSize(100, 83));
    EXPECT_EQ(PuzzleMaker::thumbnailSize({480, 480}), QSize(100, 100));
    EXPECT_EQ(PuzzleMaker::thumbnailSize({432, 576}), QSize(75, 100));
    EXPECT_EQ(PuzzleMaker::thumbnailSize({624, 480}), QSize(100, 76));
    EXPECT_EQ(PuzzleMaker::thumbnailSize({1000, 5}), QSize(100, 1));
}

TEST(Shading, ChannelRulesStopAtTheirLimits)
{
    using namespace puzzle_shading;
    EXPECT_EQ(lightenNear(215), 255);
    EXPECT_EQ(lightenNear(216), 255);
    EXPECT_EQ(lightenNear(214), 254);
    EXPECT_EQ(lightenFar(235), 255);
    EXPECT_EQ(lightenFar(236), 255);
    EXPECT_EQ(darkenNear(20), 0);
    EXPECT_EQ(darkenNear(19), 0);
    EXPECT_EQ(darkenNear(21), 1);
    EXPECT_EQ(darkenFar(50), 0);
    EXPECT_EQ(darkenFar(51), 1);
}

// The rim worked out the slow way: a white bitmap with the outline framed
// in black, tested pixel by pixel against the outline moved by (1, 1).
static QImage referenceShading(const QImage& plain, const PuzzleMaker& m)
{
    QImage out = plain.copy();
    const int a = m.pieceSize;
    for (const auto& p : m.pieces) {
        const QRegion o = p->outline();
        const QRect b = o.boundingRect();
        const QRegion moved = o.translated(-b.topLeft());
        const QRegion inner = moved.intersected(moved.translated(1, 0)).intersected(moved.translated(-1, 0))
                                  .intersected(moved.translated(0, 1)).intersected(moved.translated(0, -1));
        const QRegion frame = moved.subtracted(inner);
        const QRegion shifted = moved.translated(1, 1);
        auto reach = [a](int kind, int d, int off) { return kind == 0 ? 0 : kind == 1 ? d / 2 - off : a / 16; };
        const int t = a + reach(p->leftKind, p->lrDiameter, p->leftDx) + reach(p->topKind, p->tbDiameter, p->topDy);
        for (int x = 0; x < b.width(); ++x)
            for (int y = 0; y < b.height(); ++y) {
                if (!frame.contains(QPoint(x, y)))
                    continue;
                const int px = p->column * a + b.left() + x, py = p->row * a + b.top() + y;
                if (!out.rect().contains(px, py))
                    continue;
                const bool in = shifted.contains(QPoint(x, y));
                const bool near = x + y < t;
                auto f = [&](int v) {
                    if (in)
                        return near ? puzzle_shading::darkenNear(v) : puzzle_shading::darkenFar(v);
                    return near ? puzzle_shading::lightenNear(v) : puzzle_shading::lightenFar(v);
                };
                const QRgb c = out.pixel(px, py);
                out.setPixel(px, py, qRgb(f(qRed(c)), f(qGreen(c)), f(qBlue(c))));
            }
    }
    return out;
}

TEST(Shading, TheRimIsLightUpperLeftDarkLowerRightAndExact)
{
    Maker m(300, 200);
    // A picture of varied channels, so every rule shows at its limits.
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            m.maker.workingImage.image.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, (x + y) & 255));
    m.ui.customRows = 5;
    m.ui.customColumns = 7;
    m.ui.customCell = 40;
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Custom, m.ui));

    ToolkitBitmap plain;
    imaging::copy(plain, m.maker.workingImage);
    imaging::resize(plain, 280, 200);
    EXPECT_EQ(m.maker.puzzleImage.image, referenceShading(plain.image, m.maker));

    // On a flat grey the top-left piece's top rim is lightened by 40.
    Maker grey(300, 200);
    grey.ui = m.ui;
    ASSERT_TRUE(grey.maker.PrepareLevel(PuzzleMaker::Custom, grey.ui));
    const QImage& shaded = grey.maker.puzzleImage.image;
    EXPECT_EQ(qRed(shaded.pixel(5, 0)), 160);
    EXPECT_EQ(qRed(shaded.pixel(20, 20)), 120);
}
