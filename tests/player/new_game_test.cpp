// Another puzzle or an empty document starts a new game, and a changed game
// is never thrown away without the question.

#include "command_ids.h"
#include "game_fixture.h"
#include "saved_game.h"

#include <gtest/gtest.h>

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace {

const QString kSaveQuestion = "Would you like to save your current game?";

int questions(const MessageBoxScript& boxes)
{
    int n = 0;
    for (const auto& call : boxes.calls())
        n += call.text == kSaveQuestion && call.flags == (mb::YesNoCancel | mb::IconQuestion);
    return n;
}

QString writeOtherPuzzle(Game& g)
{
    const QString path = g.dir.filePath("Other.puz");
    puzzle_file::writeFile(path, testfiles::makePuzzle(3, 2, 40, false));
    return path;
}

void dropFile(QWidget* frame, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    // The drop goes to the widget that took the drag as it entered.
    QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &enter);
    QDragMoveEvent move(QPoint(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &move);
    QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame, &drop);
}

void solve(Game& g)
{
    for (int r = 0; r < g.doc->rows(); ++r)
        for (int c = 0; c < g.doc->columns(); ++c)
            g.view->dropSinglePiece(g.doc->boxList().take(g.doc->boxList().find(c, r)),
                                    g.view->mapToGlobal(g.home(c, r)));
}

void pressCtrlN(QWidget* frame)
{
    frame->activateWindow();
    QApplication::setActiveWindow(frame);
    QTest::keyClick(frame, Qt::Key_N, Qt::ControlModifier);
}

} // namespace

TEST(NewGame, AnotherPuzzleStartsAtZeroRunningAndUnfinished)
{
    Game g(2, 2, 48, false);
    tick::advanceForTest(7000);
    solve(g);
    ASSERT_EQ(g.doc->finished, 1);
    ASSERT_EQ(g.frame->playTime(), 7000);

    // A finished game, then a puzzle dropped on the window.
    g.boxes.answer(mb::IdNo);
    dropFile(g.frame, writeOtherPuzzle(g));
    EXPECT_EQ(questions(g.boxes), 1) << "the finished game had changed since it was saved";
    ASSERT_EQ(g.doc->columns(), 3);
    EXPECT_EQ(g.doc->finished, 0);
    EXPECT_EQ(g.view->fixedCount(), 0);
    EXPECT_EQ(g.view->finishWindow(), nullptr);
    EXPECT_EQ(g.frame->playTime(), 0);
    tick::advanceForTest(3000);
    EXPECT_EQ(g.frame->playTime(), 3000) << "the clock runs";
    EXPECT_EQ(g.app.state.modified, 0) << "a fresh game has nothing to save yet";

    // Its saved game is an unfinished one of its own time.
    g.view->dropSinglePiece(g.doc->boxList().take(0), g.view->mapToGlobal(QPoint(400, 400)));
    g.frame->OnCommand(cmd::kFileSave);
    QFile f(CTileMenderDoc::savedGamePath(g.doc->pathName()));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    saved_game::SavedGame saved;
    ASSERT_EQ(saved_game::read(f.readAll(), saved), saved_game::ReadResult::Ok);
    EXPECT_EQ(saved.finished, 0);
    EXPECT_EQ(saved.elapsed, 3000);

    // After an unfinished game the old time does not carry over either.
    tick::advanceForTest(2000);
    g.view->dropSinglePiece(g.doc->boxList().take(0), g.view->mapToGlobal(QPoint(300, 400)));
    g.boxes.answer(mb::IdNo);
    ASSERT_TRUE(g.app.openDocumentFile(g.dir.filePath("Game.puz")));
    EXPECT_EQ(g.doc->columns(), 2);
    EXPECT_EQ(g.frame->playTime(), 0);
    EXPECT_EQ(g.doc->finished, 0);
}

TEST(NewGame, CtrlNOpenAndLoadAskFirstAndCancelKeepsTheGame)
{
    Game g(2, 2, 48, false);
    tick::advanceForTest(4000);
    g.view->dropSinglePiece(g.doc->boxList().take(0), g.view->mapToGlobal(QPoint(300, 300)));
    const QString puzzle = g.doc->pathName();
    auto unchanged = [&](const char* what) {
        EXPECT_EQ(g.doc->pathName(), puzzle) << what;
        EXPECT_EQ(g.view->boardList().size(), 1) << what;
        EXPECT_EQ(g.doc->boxList().size(), 3) << what;
        EXPECT_EQ(g.frame->playTime(), 4000) << what;
        EXPECT_EQ(g.app.state.modified, 1) << what;
    };

    g.boxes.answer(mb::IdCancel);
    pressCtrlN(g.frame);
    EXPECT_EQ(questions(g.boxes), 1);
    unchanged("Ctrl+N, Cancel");

    g.boxes.answer(mb::IdCancel);
    EXPECT_FALSE(g.app.openDocumentFile(writeOtherPuzzle(g)));
    EXPECT_EQ(questions(g.boxes), 2);
    unchanged("open, Cancel");

    // Load with a saved game there: the game in progress is offered first.
    g.frame->OnCommand(cmd::kFileSave);
    CPiece* moved = g.view->boardList()[0];
    const QPoint savedAt(moved->x, moved->y);
    Game::drag(g.view, savedAt + QPoint(24, 24), g.view->mapToGlobal(QPoint(100, 100) + QPoint(24, 24)));
    ASSERT_NE(QPoint(moved->x, moved->y), savedAt);
    ASSERT_EQ(g.app.state.modified, 1);
    g.boxes.answer(mb::IdCancel);
    g.frame->OnCommand(cmd::kLoadGame);
    EXPECT_EQ(questions(g.boxes), 3);
    EXPECT_EQ(g.view->boardList()[0], moved) << "Cancel: nothing loaded";
    EXPECT_EQ(QPoint(moved->x, moved->y), QPoint(100, 100));

    // Yes saves before the board is emptied; the empty document then asks nothing.
    g.boxes.answer(mb::IdYes);
    pressCtrlN(g.frame);
    EXPECT_EQ(questions(g.boxes), 4);
    EXPECT_TRUE(g.doc->pathName().isEmpty());
    EXPECT_EQ(g.view->boardList().size(), 0);
    EXPECT_EQ(g.app.state.modified, 0);
    QFile f(CTileMenderDoc::savedGamePath(puzzle));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    saved_game::SavedGame saved;
    ASSERT_EQ(saved_game::read(f.readAll(), saved), saved_game::ReadResult::Ok);
    ASSERT_EQ(saved.board.size(), 1u);
    EXPECT_EQ(QPoint(saved.board[0].x, saved.board[0].y), QPoint(100, 100));
    pressCtrlN(g.frame);
    EXPECT_EQ(questions(g.boxes), 4) << "nothing changed, nothing asked";
    g.frame->OnCommand(cmd::kSound);
    ASSERT_EQ(g.app.state.modified, 1);
    pressCtrlN(g.frame);
    EXPECT_EQ(questions(g.boxes), 4) << "without a puzzle there is nothing to save";
}
