// The game as plain data: what a save gathers from the windows' lists, how a
// read game is dealt back out of the box, and the play clock.

#include "game_snapshot.h"
#include "play_clock.h"
#include "tick_clock.h"

#include <gtest/gtest.h>

namespace {

PieceList::Ptr piece(int c, int r, int x = 0, int y = 0, int rotation = 0, int fixed = 0)
{
    auto p = std::make_unique<CPiece>();
    p->column = c;
    p->row = r;
    p->x = x;
    p->y = y;
    p->rotation = rotation;
    p->fixed = fixed;
    return p;
}

// Every piece of a columns x rows puzzle, in reading order.
PieceList fullBox(int columns, int rows)
{
    PieceList box;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            box.append(piece(c, r));
    return box;
}

} // namespace

TEST(GameSnapshot, CaptureKeepsCarriedPiecesWhereTheyWerePickedUp)
{
    PieceList trayPieces, board, lifted, box;
    trayPieces.append(piece(0, 0, 10, 20, 1));
    const auto carried = piece(1, 0, 999, 999, 2);
    board.append(piece(2, 0, 300, 40, 0, 1));
    lifted.append(piece(0, 1, 150, 160, 3));
    box.append(piece(1, 1, 0, 0, 2));

    game_snapshot::Parts parts;
    parts.elapsed = 4321;
    parts.finished = 0;
    parts.backgroundOption = 1;
    parts.soundOption = 0;
    parts.nextTray = QPoint(22, 27);
    parts.nextMinimizedTrayY = 500;
    WindowPlacement wp;
    wp.setNormalRect(QRect(5, 6, 200, 200));
    parts.trays.push_back({3, wp, &trayPieces, carried.get(), QPoint(40, 50)});
    parts.board = &board;
    parts.carriedOnBoard = &lifted;
    parts.trayTable = {0, 0, 0, 1};
    parts.box = &box;
    parts.maximumScroll = 120;
    parts.scrollPosition = 60;

    const saved_game::SavedGame g = game_snapshot::capture(parts);
    EXPECT_EQ(g.elapsed, 4321);
    EXPECT_EQ(g.backgroundOption, 1);
    EXPECT_EQ(g.soundOption, 0);
    EXPECT_EQ(g.nextTrayX, 22);
    EXPECT_EQ(g.nextTrayY, 27);
    EXPECT_EQ(g.nextMinimizedTrayY, 500);
    ASSERT_EQ(g.trays.size(), 1u);
    EXPECT_EQ(g.trays[0].number, 3);
    EXPECT_EQ(g.trays[0].placement, wp);
    ASSERT_EQ(g.trays[0].pieces.size(), 2u);
    EXPECT_EQ(g.trays[0].pieces[0], (saved_game::PieceEntry{0, 0, 1, 10, 20, 0}));
    EXPECT_EQ(g.trays[0].pieces[1], (saved_game::PieceEntry{1, 0, 2, 40, 50, 0})) << "where it was picked up";
    ASSERT_EQ(g.board.size(), 2u);
    EXPECT_EQ(g.board[0], (saved_game::PieceEntry{2, 0, 0, 300, 40, 1}));
    EXPECT_EQ(g.board[1], (saved_game::PieceEntry{0, 1, 3, 150, 160, 0})) << "a lifted group goes on top";
    EXPECT_EQ(g.trayTable, (std::vector<int32_t>{0, 0, 0, 1}));
    ASSERT_EQ(g.box.size(), 1u);
    EXPECT_EQ(g.box[0], (saved_game::BoxEntry{1, 1, 2, 0}));
    EXPECT_EQ(g.maximumScroll, 120);
    EXPECT_EQ(g.scrollPosition, 60);
}

TEST(GameSnapshot, DealGivesEachPieceOnceAndKeepsThoseTheFileForgot)
{
    saved_game::SavedGame g;
    g.trays.push_back({0, WindowPlacement{}, {{0, 0, 1, 30, 40, 1}}}); // fixed in a tray: damage
    g.board = {{1, 0, 2, 100, 100, 1}, {2, 0, 0, 148, 100, 0}, {1, 0, 3, 5, 5, 0}}; // (1, 0) twice
    g.box = {{2, 1, 3, 0}, {9, 9, 0, 0}}; // (9, 9) is not in a 3 x 2 puzzle
    PieceList box = fullBox(3, 2);
    std::vector<const CPiece*> rebuilt;

    game_snapshot::Dealt d = game_snapshot::deal(g, box, 3, 2, [&](CPiece& p) { rebuilt.push_back(&p); });
    EXPECT_TRUE(box.empty());
    ASSERT_EQ(d.trays.size(), 1u);
    ASSERT_EQ(d.trays[0].pieces.size(), 1u);
    EXPECT_EQ(d.trays[0].pieces[0]->fixed, 0) << "nothing in a tray is fixed";
    EXPECT_EQ(d.trays[0].pieces[0]->rotation, 1);
    EXPECT_EQ(QPoint(d.trays[0].pieces[0]->x, d.trays[0].pieces[0]->y), QPoint(30, 40));

    ASSERT_EQ(d.board.size(), 2u) << "the second record of (1, 0) finds nothing";
    EXPECT_EQ(d.board[0]->column, 1);
    EXPECT_EQ(d.board[0]->rotation, 2);
    EXPECT_EQ(d.board[1]->column, 2);
    EXPECT_EQ(d.fixed, 1);

    // The listed box piece first, then the ones nobody named, in the box's order.
    ASSERT_EQ(d.box.size(), 3);
    EXPECT_EQ(QPoint(d.box[0]->column, d.box[0]->row), QPoint(2, 1));
    EXPECT_EQ(d.box[0]->rotation, 3);
    EXPECT_EQ(QPoint(d.box[1]->column, d.box[1]->row), QPoint(0, 1));
    EXPECT_EQ(QPoint(d.box[2]->column, d.box[2]->row), QPoint(1, 1));
    EXPECT_EQ(rebuilt.size(), 4u) << "every piece the file placed is rebuilt for its rotation";
}

TEST(GameSnapshot, CaptureThenDealGivesTheSameGameBack)
{
    PieceList box = fullBox(4, 3);
    // Some on the board, one in a tray, the rest in the box in a shuffled order.
    PieceList board, tray;
    board.append(box.take(box.find(1, 1)));
    board[0]->x = 77;
    board[0]->y = 88;
    tray.append(box.take(box.find(3, 2)));
    tray[0]->rotation = 2;
    box.append(box.take(0));

    game_snapshot::Parts parts;
    parts.trays.push_back({0, WindowPlacement{}, &tray, nullptr, {}});
    parts.board = &board;
    parts.box = &box;
    const saved_game::SavedGame first = game_snapshot::capture(parts);

    PieceList all = fullBox(4, 3);
    game_snapshot::Dealt d = game_snapshot::deal(first, all, 4, 3, [](CPiece&) {});
    PieceList dealtTray, dealtBoard;
    for (auto& p : d.trays[0].pieces)
        dealtTray.append(std::move(p));
    for (auto& p : d.board)
        dealtBoard.append(std::move(p));
    parts.trays[0].pieces = &dealtTray;
    parts.board = &dealtBoard;
    parts.box = &d.box;
    EXPECT_EQ(game_snapshot::capture(parts), first);
}

TEST(PlayClock, CountsFromItsStartStandsStillWhenFinishedAndShowsHoursMinutesSeconds)
{
    tick::setForTest(1000);
    PlayClock clock;
    clock.start();
    tick::advanceForTest(2500);
    EXPECT_EQ(clock.playTime(false), 2500);
    EXPECT_EQ(clock.playTime(true), 0) << "a finished game shows what it kept";

    clock.stop();
    EXPECT_EQ(clock.elapsed(), 2500);
    tick::advanceForTest(500);
    EXPECT_EQ(clock.playTime(false), 3000) << "stop keeps counting from now";
    EXPECT_EQ(clock.playTime(true), 2500);

    clock.restore(60000);
    tick::advanceForTest(1000);
    EXPECT_EQ(clock.playTime(false), 61000);
    clock.reset();
    EXPECT_EQ(clock.playTime(false), 0);

    // The tick count wraps like GetTickCount: the difference still counts.
    tick::setForTest(0xFFFFFF00u);
    clock.reset();
    tick::setForTest(0x100u);
    EXPECT_EQ(clock.playTime(false), 0x200);
    tick::releaseTestClock();

    EXPECT_EQ(PlayClock::text(0), " 0:00:00");
    EXPECT_EQ(PlayClock::text(3723000), " 1:02:03");
    EXPECT_EQ(PlayClock::text(90000000), "25:00:00");
    EXPECT_EQ(PlayClock::text(-5), " 0:00:00");
}
