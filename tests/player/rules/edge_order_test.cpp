// The edge sorting's rules: which cells are corners and edges, the column
// sorted into its groups without losing any order inside them, and the
// filtered column's rows mapped onto the whole list.

#include "edge_order.h"
#include "piece_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using edge_order::Grid;
using edge_order::Place;

// A list of the cells given, in that order.
PieceList listOf(const std::vector<std::pair<int, int>>& cells)
{
    PieceList list;
    for (auto [c, r] : cells) {
        auto p = std::make_unique<CPiece>();
        p->column = c;
        p->row = r;
        list.append(std::move(p));
    }
    return list;
}

// Every cell of the grid, row by row.
PieceList wholeGrid(Grid g)
{
    std::vector<std::pair<int, int>> cells;
    for (int r = 0; r < g.rows; ++r)
        for (int c = 0; c < g.columns; ++c)
            cells.push_back({c, r});
    return listOf(cells);
}

std::string placesOf(const PieceList& list, Grid g)
{
    std::string s;
    for (const PieceList::Ptr& p : list)
        s += "CEI"[int(edge_order::placeOf(*p, g))];
    return s;
}

std::vector<std::pair<int, int>> cellsOf(const PieceList& list)
{
    std::vector<std::pair<int, int>> out;
    for (const PieceList::Ptr& p : list)
        out.push_back({p->column, p->row});
    return out;
}

int count(const std::string& s, char c) { return int(std::count(s.begin(), s.end(), c)); }

} // namespace

TEST(EdgeOrder, CornersEdgesAndTheRestForSmallAndOrdinaryGrids)
{
    // One row or one column: its two ends are corners, the rest edges.
    EXPECT_EQ(placesOf(wholeGrid({1, 5}), {1, 5}), "CEEEC");
    EXPECT_EQ(placesOf(wholeGrid({5, 1}), {5, 1}), "CEEEC");
    EXPECT_EQ(placesOf(wholeGrid({1, 2}), {1, 2}), "CC");
    EXPECT_EQ(placesOf(wholeGrid({1, 1}), {1, 1}), "C");
    EXPECT_EQ(placesOf(wholeGrid({2, 2}), {2, 2}), "CCCC");
    EXPECT_EQ(placesOf(wholeGrid({3, 3}), {3, 3}), "CEC"
                                                  "EIE"
                                                  "CEC");
    const std::string big = placesOf(wholeGrid({10, 7}), {10, 7});
    EXPECT_EQ(count(big, 'C'), 4);
    EXPECT_EQ(count(big, 'E'), 2 * (10 - 2) + 2 * (7 - 2));
    EXPECT_EQ(count(big, 'I'), (10 - 2) * (7 - 2));
    EXPECT_EQ(edge_order::placeOf(9, 6, {10, 7}), Place::Corner);
    EXPECT_EQ(edge_order::placeOf(9, 3, {10, 7}), Place::Edge);
    EXPECT_EQ(edge_order::placeOf(4, 6, {10, 7}), Place::Edge);
    EXPECT_EQ(edge_order::placeOf(8, 5, {10, 7}), Place::Interior);

    // A cell outside the grid (a damaged file, no puzzle yet) is never sorted forward.
    EXPECT_EQ(edge_order::placeOf(10, 0, {10, 7}), Place::Interior);
    EXPECT_EQ(edge_order::placeOf(-1, 0, {10, 7}), Place::Interior);
    EXPECT_EQ(edge_order::placeOf(0, 0, {0, 0}), Place::Interior);

    CPiece corner, edge;
    edge.column = 3;
    EXPECT_TRUE(edge_order::isCorner(corner, {10, 7}));
    EXPECT_TRUE(edge_order::isEdge(corner, {10, 7})) << "a corner is an edge piece too";
    EXPECT_FALSE(edge_order::isCorner(edge, {10, 7}));
    EXPECT_TRUE(edge_order::isEdge(edge, {10, 7}));
}

TEST(EdgeOrder, ThePartitionKeepsEachGroupsOrderAndLosesNothing)
{
    const Grid g{3, 3};
    // Interior, edge, corner, edge, corner, edge, corner, edge, corner.
    PieceList list = listOf({{1, 1}, {2, 1}, {2, 2}, {1, 0}, {0, 0}, {0, 1}, {2, 0}, {1, 2}, {0, 2}});
    std::vector<CPiece*> before;
    for (const PieceList::Ptr& p : list)
        before.push_back(p.get());

    EXPECT_FALSE(edge_order::isPartitioned(list, g));
    EXPECT_TRUE(edge_order::stablePartition(list, g));
    EXPECT_EQ(placesOf(list, g), "CCCCEEEEI");
    using Cells = std::vector<std::pair<int, int>>;
    EXPECT_EQ(cellsOf(list), (Cells{{2, 2}, {0, 0}, {2, 0}, {0, 2}, {2, 1}, {1, 0}, {0, 1}, {1, 2}, {1, 1}}));
    // The same pieces moved, none copied.
    for (CPiece* p : before)
        EXPECT_GE(list.indexOf(p), 0);

    EXPECT_TRUE(edge_order::isPartitioned(list, g));
    EXPECT_FALSE(edge_order::stablePartition(list, g)) << "a sorted column stays as it is";
    EXPECT_EQ(cellsOf(list), (Cells{{2, 2}, {0, 0}, {2, 0}, {0, 2}, {2, 1}, {1, 0}, {0, 1}, {1, 2}, {1, 1}}));

    PieceList empty;
    EXPECT_FALSE(edge_order::stablePartition(empty, g));

    // A large grid dealt in reverse: within each group the reverse order stays.
    const Grid big{10, 7};
    PieceList dealt = wholeGrid(big);
    std::vector<PieceList::Ptr> all = dealt.takeAll();
    std::reverse(all.begin(), all.end());
    dealt.insertAll(0, std::move(all));
    edge_order::stablePartition(dealt, big);
    EXPECT_EQ(placesOf(dealt, big), std::string(4, 'C') + std::string(26, 'E') + std::string(40, 'I'));
    EXPECT_EQ(cellsOf(dealt)[0], (std::pair<int, int>{9, 6}));
    EXPECT_EQ(cellsOf(dealt)[3], (std::pair<int, int>{0, 0}));
    EXPECT_EQ(cellsOf(dealt)[4], (std::pair<int, int>{8, 6}));
    EXPECT_EQ(cellsOf(dealt)[69], (std::pair<int, int>{1, 1}));
}

TEST(EdgeOrder, TheFilteredRowsMapOntoTheWholeList)
{
    const Grid g{3, 3};
    // Rows shown: the pieces at list indexes 1, 2, 4 and 5.
    const PieceList list = listOf({{1, 1}, {0, 0}, {1, 0}, {1, 1}, {2, 1}, {0, 2}});
    const edge_order::ShownPieces shown(list, g, true);
    EXPECT_TRUE(shown.filtered());
    EXPECT_EQ(shown.count(), 4);
    EXPECT_EQ(shown.total(), 6);
    EXPECT_EQ(shown.listIndex(0), 1);
    EXPECT_EQ(shown.listIndex(3), 5);
    EXPECT_EQ(shown.listIndex(4), -1);
    EXPECT_EQ(shown.listIndex(-1), -1);
    EXPECT_EQ(shown.shownRow(2), 1);
    EXPECT_EQ(shown.shownRow(0), -1) << "hidden";
    EXPECT_EQ(shown.shownRow(3), -1) << "hidden";
    EXPECT_EQ(shown.shownRow(6), -1) << "past the list";
    for (int row = 0; row < shown.count(); ++row)
        EXPECT_EQ(shown.shownRow(shown.listIndex(row)), row);

    EXPECT_EQ(shown.rowAtOrAfter(0), 0);
    EXPECT_EQ(shown.rowAtOrAfter(3), 2) << "the next shown piece";
    EXPECT_EQ(shown.rowAtOrAfter(5), 3);
    EXPECT_EQ(shown.rowAtOrAfter(6), 4) << "nothing at or after the end";

    // A piece put before shown row 2 goes right before that piece, past the
    // hidden one between; past the last row it goes to the end.
    EXPECT_EQ(shown.insertionIndex(0), 1);
    EXPECT_EQ(shown.insertionIndex(2), 4);
    EXPECT_EQ(shown.insertionIndex(4), 6);
    EXPECT_EQ(shown.insertionIndex(-1), 6);

    // Unfiltered it is the list itself.
    const edge_order::ShownPieces all(list, g, false);
    EXPECT_FALSE(all.filtered());
    EXPECT_EQ(all.count(), 6);
    EXPECT_EQ(all.listIndex(3), 3);
    EXPECT_EQ(all.shownRow(3), 3);
    EXPECT_EQ(all.insertionIndex(5), 5);
    EXPECT_EQ(all.insertionIndex(-1), 6);

    // Nothing to show: every row lands at the end of the list.
    const PieceList inner = listOf({{1, 1}, {1, 1}});
    const edge_order::ShownPieces none(inner, g, true);
    EXPECT_EQ(none.count(), 0);
    EXPECT_EQ(none.total(), 2);
    EXPECT_EQ(none.insertionIndex(-1), 2);
    EXPECT_EQ(none.rowAtOrAfter(0), 0);
    const edge_order::ShownPieces nothing;
    EXPECT_EQ(nothing.count(), 0);
    EXPECT_EQ(nothing.insertionIndex(0), 0);

    EXPECT_EQ(edge_order::filteredCounterText(12, 48), "12/48");
    EXPECT_EQ(edge_order::filteredCounterText(0, 0), "0/0");
}
