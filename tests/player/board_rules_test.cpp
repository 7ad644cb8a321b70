#include "board_rules.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace board_rules;

namespace {
CPiece* piece(std::vector<std::unique_ptr<CPiece>>& owned, int c, int r, int x, int y, int q = 0)
{
    owned.push_back(std::make_unique<CPiece>());
    CPiece* p = owned.back().get();
    p->column = c;
    p->row = r;
    p->x = x;
    p->y = y;
    p->rotation = q;
    return p;
}
} // namespace

TEST(BoardRules, ExpectedPositionsFollowTheTurnedGrid)
{
    const QPoint n(100, 200);
    const int k = 48;
    // Rotation 0: s sits one cell right of its left neighbour, and so on.
    EXPECT_EQ(expectedPosition(Side::Left, 0, k, n), QPoint(148, 200));
    EXPECT_EQ(expectedPosition(Side::Right, 0, k, n), QPoint(52, 200));
    EXPECT_EQ(expectedPosition(Side::Upper, 0, k, n), QPoint(100, 248));
    EXPECT_EQ(expectedPosition(Side::Lower, 0, k, n), QPoint(100, 152));
    EXPECT_EQ(expectedPosition(Side::Left, 1, k, n), QPoint(100, 248));
    EXPECT_EQ(expectedPosition(Side::Right, 1, k, n), QPoint(100, 152));
    EXPECT_EQ(expectedPosition(Side::Upper, 1, k, n), QPoint(52, 200));
    EXPECT_EQ(expectedPosition(Side::Lower, 1, k, n), QPoint(148, 200));
    EXPECT_EQ(expectedPosition(Side::Left, 2, k, n), QPoint(52, 200));
    EXPECT_EQ(expectedPosition(Side::Upper, 2, k, n), QPoint(100, 152));
    EXPECT_EQ(expectedPosition(Side::Left, 3, k, n), QPoint(100, 152));
    EXPECT_EQ(expectedPosition(Side::Lower, 3, k, n), QPoint(52, 200));
    EXPECT_EQ(expectedPosition(Side::Right, 3, k, n), QPoint(100, 248));
    EXPECT_EQ(expectedPosition(Side::Upper, 3, k, n), QPoint(148, 200));
}

TEST(BoardRules, CornersSnapWithinThreePixelsAndOnlyUnturned)
{
    std::vector<std::unique_ptr<CPiece>> owned;
    BoardGrid grid;
    grid.reset(3, 2);
    const QPoint o(50, 40);
    const QSize board(3 * 48, 2 * 48);
    CPiece* s = piece(owned, 2, 1, 50 + 96 + 3, 40 + 48 - 3);
    Match m = matchTest(*s, grid, o, board, 48);
    EXPECT_EQ(m.kind, Match::Corner);
    EXPECT_EQ(m.target, QPoint(146, 88));
    s->x += 1; // 4 pixels off
    EXPECT_EQ(matchTest(*s, grid, o, board, 48).kind, Match::None);
    s->x -= 1;
    s->rotation = 2;
    EXPECT_EQ(matchTest(*s, grid, o, board, 48).kind, Match::None);
    CPiece* middle = piece(owned, 1, 0, 50 + 48, 40);
    EXPECT_EQ(matchTest(*middle, grid, o, board, 48).kind, Match::None) << "only corner pieces";
}

TEST(BoardRules, NeighboursMatchOnlyWithTheSameTurnAndWhenNotCarried)
{
    std::vector<std::unique_ptr<CPiece>> owned;
    BoardGrid grid;
    grid.reset(3, 3);
    CPiece* n = piece(owned, 1, 1, 300, 300, 1);
    grid.set(1, 1, n);
    // s is n's right neighbour; at rotation 1 it belongs one cell below n.
    CPiece* s = piece(owned, 2, 1, 302, 348 - 3, 1);
    Match m = matchTest(*s, grid, QPoint(0, 0), QSize(144, 144), 48);
    ASSERT_EQ(m.kind, Match::Neighbour);
    EXPECT_EQ(m.neighbour, n);
    EXPECT_EQ(m.target, QPoint(300, 348));
    s->rotation = 0;
    EXPECT_EQ(matchTest(*s, grid, QPoint(0, 0), QSize(144, 144), 48).kind, Match::None);
    s->rotation = 1;
    n->carried = 1;
    EXPECT_EQ(matchTest(*s, grid, QPoint(0, 0), QSize(144, 144), 48).kind, Match::None);
}

TEST(BoardRules, GroupsFollowExactJoinsOnly)
{
    std::vector<std::unique_ptr<CPiece>> owned;
    BoardGrid grid;
    grid.reset(3, 2);
    CPiece* a = piece(owned, 0, 0, 10, 10);
    CPiece* b = piece(owned, 1, 0, 58, 10);
    CPiece* c = piece(owned, 1, 1, 58, 58);
    CPiece* d = piece(owned, 2, 1, 107, 58); // one pixel off: not joined
    for (CPiece* p : {a, b, c, d})
        grid.set(p->column, p->row, p);
    const auto g = group(grid, *c, 48);
    EXPECT_EQ(g, (std::vector<CPiece*>{a, b, c})) << "columns outer, rows inner";
    EXPECT_TRUE(joined(*a, *b, 48));
    EXPECT_FALSE(joined(*c, *d, 48));
    EXPECT_FALSE(joined(*a, *c, 48)) << "diagonal cells never join";
    EXPECT_EQ(group(grid, *d, 48), std::vector<CPiece*>{d});
}

TEST(BoardRules, LooseJoinedToFixedSpreadsThroughJoinsOnly)
{
    std::vector<std::unique_ptr<CPiece>> owned;
    BoardGrid grid;
    grid.reset(4, 2);
    CPiece* f = piece(owned, 0, 0, 10, 10);
    f->fixed = 1;
    CPiece* a = piece(owned, 1, 0, 58, 10);     // joined to f
    CPiece* b = piece(owned, 2, 0, 106, 10);    // joined to a only
    CPiece* c = piece(owned, 3, 0, 155, 10);    // a pixel off
    CPiece* d = piece(owned, 1, 1, 58, 58);     // joined to a
    CPiece* e = piece(owned, 0, 1, 10, 58, 1);  // beside f and d, but turned
    for (CPiece* p : {f, a, b, c, d, e})
        grid.set(p->column, p->row, p);
    auto loose = looseJoinedToFixed(grid, 48);
    std::sort(loose.begin(), loose.end());
    std::vector<CPiece*> expect{a, b, d};
    std::sort(expect.begin(), expect.end());
    EXPECT_EQ(loose, expect);

    f->fixed = 0;
    EXPECT_TRUE(looseJoinedToFixed(grid, 48).empty()) << "nothing fixed, nothing to fix";
}

TEST(BoardRules, DroppedRectanglesStayInTheViewAndOutOfTheButtonCorner)
{
    const int w = 656, h = 575, cx = 3, cy = 3;
    EXPECT_EQ(clampIntoView(QRect(-5, -7, 100, 100), w, h, cx, cy), QPoint(0, 0));
    EXPECT_EQ(clampIntoView(QRect(600, 10, 100, 100), w, h, cx, cy), QPoint(556, 10));
    // Bottom right: pushed up until its bottom is 71 - cyDlg above the client's bottom.
    EXPECT_EQ(clampIntoView(QRect(500, 450, 100, 100), w, h, cx, cy), QPoint(500, 575 + 3 - 71 - 100));
    // Bottom left of the button corner: only kept inside the view.
    EXPECT_EQ(clampIntoView(QRect(100, 500, 100, 100), w, h, cx, cy), QPoint(100, 475));
    EXPECT_EQ(clampIntoView(QRect(100, 100, 100, 100), w, h, cx, cy), QPoint(100, 100));

    // Carried boxes are shifted back inside the client area, on each axis alone.
    const QRect client(0, 0, 794, 575);
    EXPECT_EQ(shiftInside(QRect(-10, 20, 50, 50), client), QPoint(10, 0));
    EXPECT_EQ(shiftInside(QRect(780, 560, 50, 50), client), QPoint(-36, -35));
    EXPECT_EQ(shiftInside(QRect(10, 20, 50, 50), client), QPoint(0, 0));
}

TEST(BoardRules, TurnedGroupsAndThumbnails)
{
    const QPoint s(100, 100);
    EXPECT_EQ(turnedPosition(s, 1, 0, 1, 48), QPoint(100, 148));
    EXPECT_EQ(turnedPosition(s, 0, 1, 1, 48), QPoint(52, 100));
    EXPECT_EQ(turnedPosition(s, 1, 2, 2, 48), QPoint(52, 4));
    EXPECT_EQ(turnedPosition(s, 1, 0, 3, 48), QPoint(100, 52));
    EXPECT_EQ(turnedPosition(s, 1, 0, 0, 48), QPoint(148, 100));

    EXPECT_EQ(thumbnailSize(QSize(640, 480)), QSize(185, 139));
    EXPECT_EQ(thumbnailSize(QSize(500, 211)), QSize(190, 80));
    EXPECT_EQ(thumbnailSize(QSize(100, 50)), QSize(100, 50));
}
