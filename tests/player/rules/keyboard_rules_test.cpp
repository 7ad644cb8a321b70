// Keyboard play's rules, the walk Tab makes, the arrows' steps, where a
// lifted piece comes down and how the carry stays over the board; and the
// words a screen reader is given for the current piece, a hint and the end.

#include "keyboard_play.h"
#include "piece_description.h"

#include <gtest/gtest.h>

#include <vector>

namespace kp = keyboard_play;
namespace pd = piece_description;

TEST(KeyboardPlay, TabWalksRoundBothWays)
{
    EXPECT_EQ(kp::nextIndex(0, -1, false), -1);
    EXPECT_EQ(kp::nextIndex(0, 3, true), -1);
    // Nothing current yet: forwards starts at the first, backwards at the last.
    EXPECT_EQ(kp::nextIndex(4, -1, false), 0);
    EXPECT_EQ(kp::nextIndex(4, -1, true), 3);
    // A current piece that has gone from the list starts again too.
    EXPECT_EQ(kp::nextIndex(4, 9, false), 0);
    EXPECT_EQ(kp::nextIndex(4, 1, false), 2);
    EXPECT_EQ(kp::nextIndex(4, 3, false), 0);
    EXPECT_EQ(kp::nextIndex(4, 0, true), 3);
    EXPECT_EQ(kp::nextIndex(1, 0, false), 0);
}

TEST(KeyboardPlay, OneEntryPerLooseGroupAtItsTopmostPiece)
{
    // Board order 0..5: pieces 0, 2 and 4 are one group, 1 is fixed, 3 and 5 alone.
    const std::vector<int> group = {7, 1, 7, 3, 7, 5};
    const std::vector<bool> fixed = {false, true, false, false, false, false};
    const std::vector<int> entries =
        kp::looseGroupEntries(6, [&](int i) { return group[size_t(i)]; }, [&](int i) { return bool(fixed[size_t(i)]); });
    EXPECT_EQ(entries, (std::vector<int>{3, 4, 5}));
    EXPECT_TRUE(kp::looseGroupEntries(0, [](int) { return 0; }, [](int) { return false; }).empty());
}

TEST(KeyboardPlay, ArrowsStepAPixelOrACell)
{
    EXPECT_EQ(kp::step(kp::Direction::Left, false, 40), QPoint(-1, 0));
    EXPECT_EQ(kp::step(kp::Direction::Right, false, 40), QPoint(1, 0));
    EXPECT_EQ(kp::step(kp::Direction::Up, true, 40), QPoint(0, -40));
    EXPECT_EQ(kp::step(kp::Direction::Down, true, 40), QPoint(0, 40));
    // A puzzle without a cell size still moves.
    EXPECT_EQ(kp::step(kp::Direction::Down, true, 0), QPoint(0, 1));
}

TEST(KeyboardPlay, TheCarryStaysInsideTheBoard)
{
    const QRect area(0, 0, 100, 80);
    EXPECT_EQ(kp::movedInside(QRect(10, 10, 20, 20), QPoint(5, -3), area), QPoint(15, 7));
    EXPECT_EQ(kp::movedInside(QRect(10, 10, 20, 20), QPoint(-50, -50), area), QPoint(0, 0));
    EXPECT_EQ(kp::movedInside(QRect(70, 50, 20, 20), QPoint(40, 40), area), QPoint(80, 60));
    // Too wide for the area: its left edge stays on the area's.
    EXPECT_EQ(kp::movedInside(QRect(0, 0, 150, 20), QPoint(10, 0), area), QPoint(0, 0));
    // An area away from the origin.
    EXPECT_EQ(kp::movedInside(QRect(20, 20, 10, 10), QPoint(-30, 0), QRect(15, 0, 50, 50)), QPoint(15, 20));
}

TEST(KeyboardPlay, LiftedPieceComesDownInTheFirstFreePlace)
{
    const QRect area(0, 0, 100, 100);
    EXPECT_EQ(kp::freePlace(QSize(20, 20), area, {}, 20), QPoint(0, 0));
    // The first row's first two cells are taken.
    EXPECT_EQ(kp::freePlace(QSize(20, 20), area, {QRect(0, 0, 35, 20)}, 20), QPoint(40, 0));
    // A full first row sends it to the next.
    EXPECT_EQ(kp::freePlace(QSize(20, 20), area, {QRect(0, 0, 100, 10)}, 20), QPoint(0, 20));
    // Nowhere free: the top-left.
    EXPECT_EQ(kp::freePlace(QSize(20, 20), QRect(5, 5, 50, 50), {QRect(0, 0, 100, 100)}, 20), QPoint(5, 5));
}

TEST(KeyboardPlay, LiftedPieceComesDownOnTheFirstEmptyCellOfTheBoard)
{
    const QPoint o(37, 52);
    EXPECT_EQ(kp::freeCell(o, 3, 2, 40, {}), o);
    // Pieces in the first two cells: the third is the first one nobody lies in.
    EXPECT_EQ(kp::freeCell(o, 3, 2, 40, {o, o + QPoint(40, 0)}), o + QPoint(80, 0));
    // A little off its cell, a piece takes the four it overlaps.
    EXPECT_EQ(kp::freeCell(o, 3, 2, 40, {o + QPoint(43, 5)}), o);
    EXPECT_EQ(kp::freeCell(o, 3, 2, 40, {o, o + QPoint(43, 5)}), o + QPoint(0, 40));
    // A piece between cells takes both.
    EXPECT_EQ(kp::freeCell(o, 3, 2, 40, {o + QPoint(20, 0), o + QPoint(80, 0)}), o + QPoint(0, 40));
    // A piece only touching a cell's edge leaves it free.
    EXPECT_EQ(kp::freeCell(o, 2, 1, 40, {o + QPoint(-40, 0)}), o);
    std::vector<QPoint> all;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            all.push_back(o + QPoint(c * 40, r * 40));
    EXPECT_FALSE(kp::freeCell(o, 3, 2, 40, all));
}

TEST(PieceDescription, SaysWhereThePieceLiesAndWhatItIs)
{
    pd::Facts f;
    f.shape = pd::Shape::Edge;
    f.where = pd::Where::Column;
    f.position = 3;
    f.shown = 48;
    EXPECT_EQ(pd::describe(f), QStringLiteral("edge piece, 3 of 48 in the column"));

    f.shape = pd::Shape::Interior;
    f.where = pd::Where::Board;
    f.groupSize = 4;
    EXPECT_EQ(pd::describe(f), QStringLiteral("interior piece, on the board, loose, group of 4"));
    f.groupSize = 1;
    EXPECT_EQ(pd::describe(f), QStringLiteral("interior piece, on the board, loose, single"));
    f.fixed = true;
    f.shape = pd::Shape::Corner;
    EXPECT_EQ(pd::describe(f), QStringLiteral("corner piece, on the board, fixed"));

    f.where = pd::Where::Tray;
    f.trayTitle = QStringLiteral("Tray2");
    EXPECT_EQ(pd::describe(f), QStringLiteral("corner piece, in Tray2"));
    f.where = pd::Where::Carried;
    f.groupSize = 2;
    EXPECT_EQ(pd::describe(f), QStringLiteral("corner piece, carried over the board, group of 2"));
}

TEST(PieceDescription, HintsAndTheEnd)
{
    EXPECT_EQ(pd::puzzleComplete(), QStringLiteral("Puzzle complete"));
    EXPECT_EQ(pd::nothingCurrent(), QStringLiteral("No piece"));
    EXPECT_EQ(pd::hint(pd::Where::Column), QStringLiteral("Hint: the neighbour is in the column"));
    EXPECT_EQ(pd::hint(pd::Where::Board), QStringLiteral("Hint: the neighbour is on the board"));
    EXPECT_EQ(pd::hint(pd::Where::Tray, QStringLiteral("Tray1")), QStringLiteral("Hint: the neighbour is in Tray1"));
}
