#include "archive.h"
#include "crt_random.h"
#include "edge_chooser.h"
#include "piece.h"
#include "piece_outline.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>

#include <memory>
#include <vector>

namespace {

struct Grid {
    int columns, rows, a;
    std::vector<std::unique_ptr<CPiece>> owned;
    std::vector<CPiece*> pieces;

    Grid(int c, int r, int cell, uint32_t seed) : columns(c), rows(r), a(cell)
    {
        crt::srand(seed);
        for (int i = 0; i < c * r; ++i) {
            owned.push_back(std::make_unique<CPiece>());
            ChooseEdges(*owned.back(), c, r, i % c, i / c, pieces, cell);
            pieces.push_back(owned.back().get());
        }
    }
    CPiece& at(int c, int r) { return *pieces[size_t(r * columns + c)]; }
};

// Where a piece's cell lies in the picture turned t times: the corner the
// image is cut from.
QPoint cornerAt(int t, int a, int columns, int rows, int c, int r)
{
    switch (t) {
    case 0: return {a * c, a * r};
    case 1: return {a * (rows - 1 - r), a * c};
    case 2: return {a * (columns - 1 - c), a * (rows - 1 - r)};
    default: return {a * r, a * (columns - 1 - c)};
    }
}

struct Pictures {
    ToolkitBitmap turned[4];
    TurnedPictures view() const
    {
        TurnedPictures t;
        for (int i = 0; i < 4; ++i)
            t.byRotation[i] = &turned[i];
        return t;
    }
    Pictures(int w, int h)
    {
        turned[0].image = testfiles::patternImage(w, h);
        for (int t = 1; t < 4; ++t) {
            imaging::copy(turned[t], turned[0]);
            imaging::turn(turned[t], 90 * t);
        }
    }
};

} // namespace

TEST(PieceOutline, NeighboursTileThePictureAtEveryRotationAndCellSize)
{
    for (uint32_t seed = 1; seed <= 12; ++seed)
    for (int a : {48, 72, 96}) {
        Grid g(6, 5, a, seed * 977u + uint32_t(a));
        const Pictures pics(6 * a, 5 * a);
        for (int t = 0; t < 4; ++t) {
            const QSize size = pics.turned[t].image.size();
            QRegion covered;
            QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
            canvas.fill(Qt::transparent);
            QPainter painter(&canvas);
            for (int r = 0; r < g.rows; ++r)
                for (int c = 0; c < g.columns; ++c) {
                    CPiece& p = g.at(c, r);
                    p.rotation = t;
                    p.buildOutline(a, c, r);
                    // Cut from the unturned picture alone, the image is the same.
                    TurnedPictures unturned;
                    unturned.byRotation[0] = &pics.turned[0];
                    ASSERT_TRUE(p.buildImage(unturned, a, g.columns, g.rows));
                    const QImage fromUnturned = p.image();
                    p.buildImage(pics.view(), a, g.columns, g.rows);
                    ASSERT_EQ(fromUnturned, p.image()) << a << " rotation " << t << " piece " << c << "," << r;
                    const QPoint at = cornerAt(t, a, g.columns, g.rows, c, r);
                    const QRegion placed = p.outline().translated(at);
                    ASSERT_FALSE(covered.intersects(placed))
                        << "cell " << a << " rotation " << t << " piece " << c << "," << r << " overlaps";
                    covered += placed;
                    p.draw(painter, at.x(), at.y());
                }
            painter.end();
            // Together the pieces cover the whole picture and nothing outside it...
            ASSERT_EQ(covered, QRegion(QRect(QPoint(0, 0), size))) << a << " rotation " << t;
            // ...and drawn at their places they give back the turned picture exactly.
            ASSERT_EQ(canvas.convertToFormat(QImage::Format_RGB32), pics.turned[t].image)
                << a << " rotation " << t;
        }
    }
}

// The mask the maker shades by must be the region pixel for pixel: a piece
// shaded along a rim it does not have shows a seam in the finished puzzle.
TEST(PieceOutline, MaskHoldsExactlyTheRegionsPixels)
{
    for (const int a : {13, 20, 32, 48, 72, 96}) {
        Grid g(7, 6, a, uint32_t(a) * 7919u);
        for (const CPiece* p : g.pieces) {
            for (int t = 0; t < 4; ++t) {
                const QRegion region = piece_geometry::outline(*p, a, t);
                const piece_geometry::OutlineMask m = piece_geometry::outlineMask(*p, a, t, 8);
                ASSERT_EQ(m.box, region.boundingRect()) << "cell " << a << " turn " << t;
                ASSERT_EQ(m.bits.size(), size_t(m.stride) * size_t(m.box.height() + 2) + 8);
                int wrong = 0;
                for (int y = -1; y <= m.box.height(); ++y)
                    for (int x = -1; x <= m.box.width(); ++x) {
                        const bool inMask = m.bits[size_t(y + 1) * size_t(m.stride) + size_t(x + 1)] != 0;
                        wrong += inMask != region.contains(QPoint(m.box.left() + x, m.box.top() + y));
                    }
                EXPECT_EQ(wrong, 0) << "cell " << a << " turn " << t << " piece " << p->column << "," << p->row;
            }
        }
    }
}

TEST(PieceOutline, FourTurnsGiveBackOutlineAndImage)
{
    Grid g(4, 3, 72, 99);
    const Pictures pics(4 * 72, 3 * 72);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) {
            CPiece& p = g.at(c, r);
            p.buildOutline(72, c, r);
            p.buildImage(pics.view(), 72, 4, 3);
            const QRegion outline = p.outline();
            const QImage image = p.image();
            for (int i = 0; i < 4; ++i) {
                p.turn(pics.view(), 72, 4, 3);
                if (i < 3) {
                    ASSERT_NE(p.bounds(), QRect()) << "turned outline is empty";
                }
            }
            ASSERT_EQ(p.rotation, 0);
            ASSERT_EQ(p.outline(), outline);
            ASSERT_EQ(p.image(), image);
        }
}

TEST(PieceOutline, KnobOffsetsReachTheDocumentedDistanceOutsideTheEdge)
{
    for (int a : {48, 72, 96}) {
        CPiece p;
        p.tbDiameter = p.lrDiameter = a / 2;
        p.topKind = 1;
        p.topDy = -(a / 8);
        p.buildOutline(a, 0, 0);
        EXPECT_EQ(p.bounds().top(), -3 * a / 8) << a;
        p.topDy = a / 8;
        p.buildOutline(a, 0, 0);
        EXPECT_EQ(p.bounds().top(), -a / 8) << a;
        // A hole takes the circle out of the cell instead.
        p.topKind = -1;
        p.buildOutline(a, 0, 0);
        EXPECT_EQ(p.bounds().top(), -(a / 16)) << "only the lens stands out";
        EXPECT_FALSE(p.outline().contains(QPoint(a / 2, a / 8)));
    }
    CPiece odd;
    odd.rotation = 7; // outside 0..3: the outline stays as it was
    odd.buildOutline(48, 2, 3);
    EXPECT_TRUE(odd.outline().isEmpty());
    EXPECT_EQ(odd.column, 2);
    EXPECT_EQ(odd.row, 3);
}

TEST(EdgeChooser, KeepsNeighboursMatchingAndTheBorderFlat)
{
    for (uint32_t seed = 1; seed < 60; ++seed) {
        const int columns = 1 + int(seed % 9), rows = 1 + int((seed * 7) % 8);
        const int a = seed % 3 == 0 ? 48 : seed % 3 == 1 ? 72 : 96;
        Grid g(columns, rows, a, seed);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                const CPiece& p = g.at(c, r);
                ASSERT_EQ(p.tbDiameter, a / 2);
                ASSERT_EQ(p.lrDiameter, a / 2);
                if (r == 0) { ASSERT_EQ(p.topKind, 0); }
                if (c == 0) { ASSERT_EQ(p.leftKind, 0); }
                if (c == columns - 1) {
                    ASSERT_EQ(p.rightKind, 0);
                    ASSERT_EQ(p.rightDx, 0);
                    ASSERT_EQ(p.rightDy, 0);
                }
                if (r == rows - 1) {
                    ASSERT_EQ(p.bottomKind, 0);
                    ASSERT_EQ(p.bottomDx, 0);
                    ASSERT_EQ(p.bottomDy, 0);
                }
                if (c + 1 < columns) {
                    const CPiece& n = g.at(c + 1, r);
                    ASSERT_EQ(p.rightKind, -n.leftKind);
                    ASSERT_NE(p.rightKind, 0);
                    ASSERT_EQ(p.rightDx, n.leftDx);
                    ASSERT_EQ(p.rightDy, n.leftDy);
                }
                if (r + 1 < rows) {
                    const CPiece& n = g.at(c, r + 1);
                    ASSERT_EQ(p.bottomKind, -n.topKind);
                    ASSERT_NE(p.bottomKind, 0);
                    ASSERT_EQ(p.bottomDx, n.topDx);
                    ASSERT_EQ(p.bottomDy, n.topDy);
                }
            }
    }
}

TEST(EdgeChooser, HolesMeetingAtACornerNeverLeanIntoItNorBothSitDeepest)
{
    int cornersSeen = 0;
    for (uint32_t seed = 1; seed < 200; ++seed) {
        const int a = 72, s8 = a / 8;
        Grid g(6, 5, a, seed);
        for (const CPiece* p : g.pieces) {
            const bool t = p->topKind == -1, l = p->leftKind == -1;
            const bool r = p->rightKind == -1, b = p->bottomKind == -1;
            if (t && l) {
                ++cornersSeen;
                ASSERT_GE(p->topDx, 0);
                ASSERT_GE(p->leftDy, 0);
                ASSERT_FALSE(p->topDy == s8 && p->leftDx == s8);
            }
            if (t && r) {
                ASSERT_LE(p->topDx, 0);
                ASSERT_GE(p->rightDy, 0);
                ASSERT_FALSE(p->topDy == s8 && p->rightDx == -s8);
            }
            if (l && b) {
                ASSERT_LE(p->leftDy, 0);
                ASSERT_GE(p->bottomDx, 0);
                ASSERT_FALSE(p->bottomDy == -s8 && p->leftDx == s8);
            }
            if (b && r) {
                ASSERT_LE(p->bottomDx, 0);
                ASSERT_LE(p->rightDy, 0);
                ASSERT_FALSE(p->bottomDy == -s8 && p->rightDx == -s8);
            }
        }
    }
    EXPECT_GT(cornersSeen, 100);
}

TEST(EdgeChooser, DrawsTheGeneratorOncePerInnerEdgeForAStrip)
{
    // A 1 x N strip has no corners with two holes: exactly one draw per inner edge.
    crt::srand(5);
    Grid g(1, 6, 48, 5);
    const uint32_t after = crt::state();
    crt::srand(5);
    for (int i = 0; i < 5; ++i)
        crt::rand();
    EXPECT_EQ(crt::state(), after);
    for (const CPiece* p : g.pieces) {
        EXPECT_EQ(p->leftKind, 0);
        EXPECT_EQ(p->rightKind, 0);
    }
}

TEST(Piece, RecordRoundTripsInFileOrder)
{
    CPiece p;
    p.lrDiameter = 1; p.tbDiameter = 2; p.topKind = 1; p.bottomKind = -1; p.leftKind = 0;
    p.rightKind = 1; p.topDx = 7; p.topDy = 8; p.bottomDx = 9; p.bottomDy = 10;
    p.leftDx = 11; p.leftDy = 12; p.rightDx = 13; p.rightDy = -14;
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    {
        ArchiveWriter ar(&buf);
        p.serialize(ar);
    }
    ASSERT_EQ(bytes.size(), 56);
    EXPECT_EQ(bytes.left(8).toHex(), QByteArray("0100000002000000"));
    EXPECT_EQ(bytes.right(4).toHex(), QByteArray("f2ffffff"));
    ArchiveReader in(bytes);
    CPiece q;
    q.serialize(in);
    EXPECT_EQ(q.record(), p.record());
}

TEST(Piece, DrawShowsThePictureThroughTheOutlineAndFramesWhenSelected)
{
    const Pictures pics(96, 48);
    Grid g(2, 1, 48, 3);
    CPiece& p = g.at(0, 0);
    p.buildOutline(48, 0, 0);
    p.buildImage(pics.view(), 48, 2, 1);

    QImage canvas(120, 100, QImage::Format_RGB32);
    canvas.fill(Qt::blue);
    {
        QPainter painter(&canvas);
        p.draw(painter, 10, 20);
    }
    EXPECT_EQ(canvas.pixel(10 + 20, 20 + 20), pics.turned[0].image.pixel(20, 20));
    EXPECT_EQ(canvas.pixel(5, 5), qRgb(0, 0, 255)) << "outside the outline is untouched";

    p.selected = 1;
    {
        QPainter painter(&canvas);
        p.draw(painter, 10, 20);
    }
    EXPECT_EQ(canvas.pixel(10, 20), qRgb(255, 128, 128)) << "the frame's corner pixel";
    EXPECT_EQ(canvas.pixel(10 + 20, 20 + 20), pics.turned[0].image.pixel(20, 20));

    EXPECT_EQ(CPiece::frameColour(0), QColor(255, 128, 128));
    EXPECT_EQ(CPiece::frameColour(20), QColor(19, 148, 148));
    EXPECT_EQ(CPiece::frameColour(140), QColor(139, 12, 12));

    QImage blank(120, 100, QImage::Format_RGB32);
    blank.fill(Qt::blue);
    QImage same = blank;
    p.selected = 0;
    {
        QPainter painter(&same);
        p.drawOutline(painter, 10, 20);
    }
    EXPECT_EQ(same, blank) << "neither hinted nor selected: no frame";

    EXPECT_TRUE(p.intersects(10, 20, QRect(10, 20, 1, 1)));
    EXPECT_FALSE(p.intersects(10, 20, QRect(0, 0, 5, 5)));
}

// ---- pieces cut for a screen with more device pixels than ours ----

namespace {
// A canvas of `logical` size in the device pixels of a screen of that scale.
QImage deviceCanvas(QSize logical, int scale)
{
    QImage canvas(logical * scale, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(scale);
    canvas.fill(Qt::transparent);
    return canvas;
}
} // namespace

TEST(PieceAtScale, NeighboursTileTheEnlargedPictureAtEveryRotation)
{
    // 40 has a knob lens width (a / 16) that is not a whole number of
    // device pixels apart from the cell: the boxes are scaled, not recomputed.
    for (uint32_t seed = 1; seed <= 4; ++seed)
    for (int a : {40, 48, 72})
    for (int s : {2, 3}) {
        Grid g(5, 4, a, seed * 131u + uint32_t(a));
        const Pictures pics(5 * a, 4 * a);
        for (int t = 0; t < 4; ++t) {
            const QSize size = pics.turned[t].image.size();
            QRegion covered;
            QImage canvas = deviceCanvas(size, s);
            QPainter painter(&canvas);
            for (int r = 0; r < g.rows; ++r)
                for (int c = 0; c < g.columns; ++c) {
                    CPiece& p = g.at(c, r);
                    p.rotation = t;
                    p.buildOutline(a, c, r, s);
                    ASSERT_EQ(p.scale(), s);
                    ASSERT_EQ(p.outline(), piece_geometry::outline(p, a, t)) << "hit tests stay in our pixels";
                    TurnedPictures unturned;
                    unturned.byRotation[0] = &pics.turned[0];
                    ASSERT_TRUE(p.buildImage(unturned, a, g.columns, g.rows));
                    const QImage fromUnturned = p.image();
                    p.buildImage(pics.view(), a, g.columns, g.rows);
                    ASSERT_EQ(fromUnturned, p.image());
                    ASSERT_EQ(p.image().size(), p.paintBounds().size() * s);
                    ASSERT_TRUE(p.paintBounds().contains(p.bounds()));
                    ASSERT_EQ(p.image().devicePixelRatio(), s) << "it paints at the size of its box";
                    ASSERT_TRUE(piece_geometry::scaleBox(p.paintBounds(), s).contains(p.fineOutline().boundingRect()))
                        << "repaints by the box cover every device pixel";
                    const QPoint at = cornerAt(t, a, g.columns, g.rows, c, r);
                    const QRegion placed = p.fineOutline().translated(at * s);
                    ASSERT_FALSE(covered.intersects(placed))
                        << a << " at " << s << " rotation " << t << " piece " << c << "," << r << " overlaps";
                    covered += placed;
                    p.draw(painter, at.x(), at.y());
                }
            painter.end();
            ASSERT_EQ(covered, QRegion(QRect(QPoint(0, 0), size * s))) << a << " at " << s << " rotation " << t;
            // Each pixel of the picture shows as an s x s block, seams and all.
            QImage expected = pics.turned[t].image.scaled(size * s, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            canvas.setDevicePixelRatio(1);
            ASSERT_EQ(canvas.convertToFormat(QImage::Format_RGB32), expected.convertToFormat(QImage::Format_RGB32))
                << a << " at " << s << " rotation " << t;
        }
    }
}

TEST(PieceAtScale, KnobsAreSmootherThanOurPixelsAndTurnsKeepTheScale)
{
    Grid g(3, 3, 48, 5);
    const Pictures pics(3 * 48, 3 * 48);
    CPiece& p = g.at(1, 1); // four edges with knobs or holes
    p.buildOutline(48, 1, 1, 2);
    p.buildImage(pics.view(), 48, 3, 3);
    // Not merely each of our pixels doubled: curves step by device pixels.
    QRegion doubled;
    for (const QRect& r : p.outline())
        doubled += piece_geometry::scaleBox(r, 2);
    EXPECT_NE(p.fineOutline(), doubled);
    // The same shape: they differ only next to the plain outline's edge.
    int differing = 0;
    for (const QRect& r : p.fineOutline() ^ doubled)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                ++differing;
                const QPoint ours(x >= 0 ? x / 2 : (x - 1) / 2, y >= 0 ? y / 2 : (y - 1) / 2);
                const QRegion around = p.outline().intersected(QRect(ours - QPoint(1, 1), QSize(3, 3)));
                ASSERT_FALSE(around.isEmpty()) << x << "," << y << " is far outside";
                ASSERT_NE(around, QRegion(QRect(ours - QPoint(1, 1), QSize(3, 3)))) << x << "," << y << " is far inside";
            }
    EXPECT_GT(differing, 0);

    const QRegion fine = p.fineOutline();
    const QImage image = p.image();
    for (int i = 0; i < 4; ++i)
        p.turn(pics.view(), 48, 3, 3);
    EXPECT_EQ(p.scale(), 2);
    EXPECT_EQ(p.fineOutline(), fine);
    EXPECT_EQ(p.image(), image);
}

TEST(PieceAtScale, FrameIsOneOfOurPixelsWideAndTheShadowFollowsTheFineEdge)
{
    const Pictures pics(96, 48);
    Grid g(2, 1, 48, 3);
    CPiece& p = g.at(0, 0); // its left edge is the puzzle's border: flat
    p.buildOutline(48, 0, 0, 2);
    p.buildImage(pics.view(), 48, 2, 1);
    p.selected = 1;

    QImage canvas = deviceCanvas(QSize(120, 100), 2);
    {
        QPainter painter(&canvas);
        p.draw(painter, 10, 20);
    }
    const int y = (20 + 24) * 2;
    EXPECT_EQ(canvas.pixel(20, y), qRgb(255, 128, 128));
    EXPECT_EQ(canvas.pixel(21, y), qRgb(255, 128, 128)) << "two device pixels: one of ours";
    EXPECT_EQ(canvas.pixel(22, y), pics.turned[0].image.pixel(1, 24)) << "then the picture";
    EXPECT_EQ(canvas.pixel(19, y), 0u) << "nothing left of the piece";

    // On a plain screen the same piece still shows its picture where it lies.
    QImage plain(120, 100, QImage::Format_RGB32);
    plain.fill(Qt::blue);
    {
        QPainter painter(&plain);
        p.draw(painter, 10, 20);
    }
    EXPECT_EQ(plain.pixel(10 + 20, 20 + 20), pics.turned[0].image.pixel(20, 20));

    QImage shadow = deviceCanvas(QSize(120, 100), 2);
    {
        QPainter painter(&shadow);
        p.fillOutline(painter, 10, 20, Qt::black);
    }
    QRegion black;
    for (int yy = 0; yy < shadow.height(); ++yy)
        for (int xx = 0; xx < shadow.width(); ++xx)
            if (qAlpha(shadow.pixel(xx, yy)) != 0)
                black += QRect(xx, yy, 1, 1);
    EXPECT_EQ(black, p.fineOutline().translated(20, 40));
}

// An outline is traced when first asked for, but from the edges and the turn
// it was built for: changing a piece's fields before that must not show.
TEST(Piece, AnOutlineTracedLateIsTheOneItWasBuiltFor)
{
    Grid g(3, 3, 48, 5);
    CPiece& p = g.at(1, 1);
    for (int scale : {1, 2}) {
        for (int q = 0; q < 4; ++q) {
            p.rotation = q;
            const QRegion eager = piece_geometry::outline(p, 48, q);
            const QRegion eagerFine = piece_geometry::outline(p, 48, q, scale);
            p.buildOutline(48, 1, 1, scale);
            // Changed after the build and before anything looked.
            const PieceRecord edges = p.record();
            p.topKind = -p.topKind;
            p.rotation = (q + 1) % 4;
            EXPECT_EQ(p.outline(), eager) << "scale " << scale << ", turn " << q;
            EXPECT_EQ(p.fineOutline(), eagerFine);
            EXPECT_TRUE(p.paintBounds().contains(p.bounds()));
            p.setRecord(edges);
            p.rotation = q;
        }
    }
}
