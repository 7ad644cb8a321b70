// The rules the play surface asks: where a drop lands, what a hint may point
// at, where trays go. Plain rectangles and lists, no window.

#include "drop_rules.h"
#include "hint_rules.h"
#include "tray_rules.h"

#include <gtest/gtest.h>

namespace {

PieceList::Ptr piece(int c, int r, int x = 0, int y = 0)
{
    auto p = std::make_unique<CPiece>();
    p->column = c;
    p->row = r;
    p->x = x;
    p->y = y;
    return p;
}

using drop_rules::Choice;

// A board on the right, the column on the left, as the frame lays them out.
drop_rules::Areas frameAreas()
{
    drop_rules::Areas a;
    a.strip = QRect(3, 22, 138, 575);
    a.board = QRect(141, 22, 656, 575);
    return a;
}

} // namespace

TEST(DropRules, TheTopmostTrayUnderTheCursorTakesThePieceUnlessItIsMinimised)
{
    drop_rules::Areas a = frameAreas();
    a.trays = {{QRect(300, 100, 200, 200), false}, {QRect(350, 150, 200, 200), false}};
    const QRect piece(380, 180, 51, 51);
    EXPECT_EQ(drop_rules::choose(a, QPoint(400, 200), piece), (Choice{Choice::Tray, 0})) << "both contain it";
    EXPECT_EQ(drop_rules::choose(a, QPoint(520, 320), piece), (Choice{Choice::Tray, 1})) << "only the lower one";
    // Anywhere on the window counts, the title band too: the add pulls the piece inside.
    EXPECT_EQ(drop_rules::choose(a, QPoint(301, 101), piece), (Choice{Choice::Tray, 0}));

    // A minimised tray on top hides the one under it, and the board takes the piece.
    a.trays[0].minimised = true;
    EXPECT_EQ(drop_rules::choose(a, QPoint(400, 200), piece), (Choice{Choice::Board, -1}));
}

TEST(DropRules, BoardOrColumnByWhatTheShownPieceMeetsAndTheCursorWhenItMeetsBoth)
{
    const drop_rules::Areas a = frameAreas();
    // Over the board alone, even with the cursor outside the window (the
    // rectangle was kept inside the client area).
    EXPECT_EQ(drop_rules::choose(a, QPoint(900, 300), QRect(700, 280, 51, 51)).kind, Choice::Board);
    EXPECT_EQ(drop_rules::choose(a, QPoint(50, 300), QRect(30, 280, 51, 51)).kind, Choice::Strip);
    // Across the seam: the cursor's side decides.
    const QRect seam(120, 280, 51, 51);
    EXPECT_EQ(drop_rules::choose(a, QPoint(150, 300), seam).kind, Choice::Board);
    EXPECT_EQ(drop_rules::choose(a, QPoint(130, 300), seam).kind, Choice::Strip);
    // Neither: over the caption, above both.
    EXPECT_EQ(drop_rules::choose(a, QPoint(300, 5), QRect(280, -40, 51, 51)).kind, Choice::Nowhere);
    // Without a column (no areas at all) nothing but the board can take it.
    drop_rules::Areas boardOnly;
    boardOnly.board = a.board;
    EXPECT_EQ(drop_rules::choose(boardOnly, QPoint(50, 300), QRect(30, 280, 51, 51)).kind, Choice::Nowhere);
}

TEST(HintRules, NeighboursComeFromTheBoxThenTheBoardThenEachTrayInListOrder)
{
    const int k = 48;
    PieceList box, board, trayA, trayB;
    auto centre = piece(2, 2, 200, 200);
    box.append(piece(2, 1));
    box.append(piece(4, 4)); // not a neighbour
    board.append(piece(1, 2, 500, 500));
    board.append(piece(3, 3, 0, 0)); // diagonal: not a neighbour
    trayB.append(piece(3, 2));
    trayA.append(piece(2, 3));
    const std::vector<const PieceList*> trays{&trayA, &trayB};

    const auto list = hint_rules::candidates(*centre, box, board, trays, k);
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].piece, box[0]);
    EXPECT_EQ(list[0].kind, ContainerKind::Strip);
    EXPECT_EQ(list[1].piece, board[0]);
    EXPECT_EQ(list[1].kind, ContainerKind::Board);
    EXPECT_EQ(list[2].piece, trayA[0]);
    EXPECT_EQ(list[2].tray, 0);
    EXPECT_EQ(list[3].piece, trayB[0]);
    EXPECT_EQ(list[3].tray, 1);

    auto picked = list;
    hint_rules::putFirst(picked, 2);
    ASSERT_EQ(picked.size(), 4u);
    EXPECT_EQ(picked[0].piece, trayA[0]);
    EXPECT_EQ(picked[1].piece, box[0]) << "the others keep their order";
    EXPECT_EQ(picked[2].piece, board[0]);
    EXPECT_EQ(picked[3].piece, trayB[0]);
    hint_rules::putFirst(picked, 9); // out of range: nothing moves
    EXPECT_EQ(picked[0].piece, trayA[0]);
}

TEST(HintRules, AJoinedNeighbourIsLeftOutOnlyWhileThePieceLiesOnTheBoard)
{
    const int k = 48;
    PieceList box, board;
    board.append(piece(0, 0, 100, 100));
    board.append(piece(1, 0, 148, 100)); // exactly where it joins (0, 0)
    const std::vector<const PieceList*> none;
    EXPECT_TRUE(hint_rules::candidates(*board[0], box, board, none, k).empty());

    // The same piece seen from the column: the joined test means nothing there.
    auto loose = piece(0, 0, 100, 100);
    const auto fromBox = hint_rules::candidates(*loose, box, board, none, k);
    ASSERT_EQ(fromBox.size(), 1u);
    EXPECT_EQ(fromBox[0].piece, board[1]);
}

TEST(TrayRules, NewTraysCascadeAndStartAgainWhenTheyWouldLeaveTheBoard)
{
    const QSize board(656, 575);
    tray_rules::TrayCascade c;
    c.reset(board.height());
    const QPoint first = tray_rules::firstTrayPosition();
    EXPECT_EQ(c.open(board), QRect(first, QSize(200, 200)));
    EXPECT_EQ(c.open(board), QRect(first + QPoint(22, 22), QSize(200, 200)));
    EXPECT_EQ(c.next, first + QPoint(44, 44));
    // One that would reach past the board's bottom starts at the top-left again.
    c.next = QPoint(100, 400);
    EXPECT_EQ(c.open(board), QRect(first, QSize(200, 200)));
    EXPECT_EQ(c.next, first + QPoint(22, 22));
}

TEST(TrayRules, MinimisedTraysStackUpFromTheBottomAndWrapAtTheTop)
{
    const int height = 575;
    tray_rules::TrayCascade c;
    c.reset(height);
    const int lowest = tray_rules::lowestMinimizedTrayY(height);
    EXPECT_EQ(lowest, height - 25);
    EXPECT_EQ(c.takeMinimizedY(height), lowest);
    EXPECT_EQ(c.takeMinimizedY(height), lowest - 25);
    c.nextMinimizedY = 10;
    EXPECT_EQ(c.takeMinimizedY(height), 10);
    EXPECT_EQ(c.nextMinimizedY, lowest) << "the next would leave the top";
}

TEST(TrayRules, KeptInsideTheBoardAndOutOfTheButtonsCorner)
{
    const QSize board(656, 575);
    // Inside and clear of everything: unchanged.
    EXPECT_EQ(tray_rules::keptInside(QRect(50, 50, 200, 200), board), QRect(50, 50, 200, 200));
    // Past the right and bottom edges, in the picture buttons' corner: up and left.
    const QRect r = tray_rules::keptInside(QRect(600, 500, 200, 200), board);
    EXPECT_EQ(r.size(), QSize(200, 200));
    EXPECT_LE(r.right() + 1, board.width());
    EXPECT_LE(r.bottom() + 1, board.height() + 3 - 71) << "above the buttons' corner";
    // Above the highest place and left of the board: down and right.
    EXPECT_EQ(tray_rules::keptInside(QRect(-30, -100, 200, 200), board).topLeft(), tray_rules::firstTrayPosition());
}

TEST(TrayRules, APieceIsPulledInsideTheClientArea)
{
    const QSize client(154, 140);
    const QRect box(0, 0, 51, 51);
    EXPECT_EQ(tray_rules::pulledInside(QPoint(40, 40), box, client), QPoint(40, 40));
    EXPECT_EQ(tray_rules::pulledInside(QPoint(-40, -40), box, client), QPoint(5, 0));
    const QPoint far = tray_rules::pulledInside(QPoint(400, 400), box, client);
    EXPECT_EQ(far, QPoint(154 + 3 - 10 - 51, 140 + 3 - 10 - 51));
}
