// The recovery copy on a running player: a change writes it at the
// schedule's due time, Save and closing remove it, and opening a puzzle
// whose copy outlived its player offers it back. The due-check is called
// directly with the test clock; nothing here waits for a timer.

#include "game_fixture.h"

#include "command_ids.h"
#include "file_read.h"
#include "player_messages.h"
#include "recovery_schedule.h"
#include "saved_game.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>

namespace {

const QString kQuestion = "TileMender was closed before this game was saved. Would you like to restore the game "
                          "that was in progress?";

QString copyOf(const QString& puzzle) { return recovery::copyPath(CTileMenderDoc::savedGamePath(puzzle)); }
QString copyOf(const Game& g) { return g.frame->recoveryPath(); }

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

bool readGame(const QString& path, saved_game::SavedGame& out)
{
    return saved_game::read(readAll(path), out) == saved_game::ReadResult::Ok;
}

// A game with something in every place: two pieces on the board, a tray,
// the guide picture on and some time played.
void play(Game& g)
{
    g.placeFromStrip(0, 0);
    g.placeFromStrip(1, 0);
    g.frame->OnCommand(cmd::kAddTray);
    g.frame->OnCommand(cmd::kBackground);
    tick::advanceForTest(65432);
}

// The copy of the game as it is now, on disk.
void writeCopy(Game& g)
{
    tick::advanceForTest(recovery::kInterval);
    g.frame->markModified();
    ASSERT_TRUE(g.frame->checkRecovery());
    g.frame->flushRecovery();
}

// Another puzzle of the same shape beside the first. Opening the puzzle in
// play again leaves its game, copy and all, so each opening takes a new one.
QString otherPuzzle(Game& g, const QString& name = "Other")
{
    const QString path = g.dir.filePath(name + ".puz");
    puzzle_file::writeFile(path, testfiles::makePuzzle(g.doc->columns(), g.doc->rows(), g.k(), true));
    return path;
}

TEST(RecoveryCopy, IsWrittenAtTheDueTimeAndReadsBackAsTheGame)
{
    Game g(4, 4, 48, true);
    const QString copy = copyOf(g);
    EXPECT_EQ(copy, g.dir.filePath("Game0.sav.recover"));
    EXPECT_FALSE(g.frame->checkRecovery()) << "an unchanged game needs no copy";

    play(g);
    ASSERT_EQ(g.app.state.modified, 1);
    ASSERT_TRUE(g.frame->checkRecovery());
    g.frame->flushRecovery();
    saved_game::SavedGame onDisk;
    ASSERT_TRUE(readGame(copy, onDisk));
    EXPECT_EQ(onDisk, g.frame->captureGame());
    EXPECT_EQ(onDisk.elapsed, 65432);
    EXPECT_EQ(onDisk.board.size(), 2u);
    EXPECT_EQ(onDisk.trays.size(), 1u);
    EXPECT_EQ(onDisk.backgroundOption, 1);
    EXPECT_FALSE(QFile::exists(CTileMenderDoc::savedGamePath(g.doc->pathName()))) << "the saved game is untouched";

    // The next change waits until the last copy is 2 s old.
    g.placeFromStrip(2, 0);
    EXPECT_FALSE(g.frame->checkRecovery());
    tick::advanceForTest(recovery::kInterval - 1);
    EXPECT_FALSE(g.frame->checkRecovery());
    tick::advanceForTest(1);
    ASSERT_TRUE(g.frame->checkRecovery());
    g.frame->flushRecovery();
    ASSERT_TRUE(readGame(copy, onDisk));
    EXPECT_EQ(onDisk.board.size(), 3u);
    EXPECT_FALSE(g.frame->checkRecovery()) << "nothing new since";
}

TEST(RecoveryCopy, SaveAndClosingRemoveItButCancelKeepsIt)
{
    Game g(3, 3, 48, true);
    play(g);
    writeCopy(g);
    ASSERT_TRUE(QFile::exists(copyOf(g)));
    g.frame->OnCommand(cmd::kFileSave);
    EXPECT_FALSE(QFile::exists(copyOf(g))) << "saved";

    g.placeFromStrip(2, 0);
    writeCopy(g);
    ASSERT_TRUE(QFile::exists(copyOf(g)));
    g.boxes.answer(mb::IdCancel);
    EXPECT_FALSE(g.frame->close());
    EXPECT_TRUE(QFile::exists(copyOf(g))) << "the game goes on";

    g.boxes.answer(mb::IdNo);
    EXPECT_TRUE(g.frame->close());
    EXPECT_FALSE(QFile::exists(copyOf(g))) << "given up on closing";
}

TEST(RecoveryCopy, OpeningAnotherPuzzleOrThisOneAgainRemovesTheOldGamesCopy)
{
    Game g(3, 3, 48, true);
    play(g);
    writeCopy(g);
    const QString old = copyOf(g);
    const QString other = otherPuzzle(g);
    g.boxes.answer(mb::IdNo);
    ASSERT_TRUE(g.app.openDocumentFile(other));
    EXPECT_FALSE(QFile::exists(old));
    EXPECT_EQ(g.boxes.calls().size(), 1u) << "only the save question; the other puzzle has no copy";
    EXPECT_EQ(copyOf(g), copyOf(other));

    // The same puzzle opened again after the save question starts it afresh.
    g.placeFromStrip(0, 0);
    writeCopy(g);
    g.boxes.clear();
    g.boxes.answer(mb::IdNo);
    ASSERT_TRUE(g.app.openDocumentFile(other));
    EXPECT_EQ(g.boxes.calls().size(), 1u);
    EXPECT_FALSE(QFile::exists(copyOf(other)));
}

TEST(RecoveryCopy, ACopyLeftBehindIsOfferedAndYesRestoresTheGameExactly)
{
    Game g(4, 3, 48, true);
    play(g);
    writeCopy(g);
    const saved_game::SavedGame before = g.frame->captureGame();
    // The copy as a killed player would have left it, for the other puzzle.
    const QString other = otherPuzzle(g);
    writeAll(copyOf(other), readAll(copyOf(g)));

    tick::advanceForTest(7000);
    g.boxes.answer(mb::IdNo); // the save question
    g.boxes.answer(mb::IdYes);
    ASSERT_TRUE(g.app.openDocumentFile(other));
    ASSERT_EQ(g.boxes.calls().size(), 2u);
    const MessageBoxScript::Call& asked = g.boxes.calls()[1];
    EXPECT_EQ(asked.text, kQuestion);
    EXPECT_EQ(asked.caption, messages::boxCaption());
    EXPECT_EQ(asked.flags, mb::YesNo | mb::IconQuestion);

    EXPECT_EQ(g.frame->captureGame(), before) << "pieces, trays, options, scroll and clock";
    EXPECT_EQ(g.frame->playTime(), before.elapsed);
    EXPECT_EQ(g.app.state.backgroundOption, 1);
    EXPECT_EQ(g.app.state.modified, 1);
    EXPECT_TRUE(QFile::exists(copyOf(other))) << "kept until the game is saved or left";
    tick::advanceForTest(1500);
    EXPECT_EQ(g.frame->playTime(), before.elapsed + 1500) << "and the clock runs on from there";

    // A restored game is an unsaved one: closing asks.
    g.boxes.clear();
    g.boxes.answer(mb::IdNo);
    EXPECT_TRUE(g.frame->close());
    ASSERT_EQ(g.boxes.calls().size(), 1u);
    EXPECT_EQ(g.boxes.calls()[0].text, "Would you like to save your current game?");
    EXPECT_FALSE(QFile::exists(copyOf(other)));
}

TEST(RecoveryCopy, NoRemovesTheCopyAndKeepsTheGameAsOpened)
{
    Game g(3, 3, 48, true);
    play(g);
    writeCopy(g);
    const QString other = otherPuzzle(g);
    writeAll(copyOf(other), readAll(copyOf(g)));
    g.boxes.answer(mb::IdNo);
    g.boxes.answer(mb::IdNo);
    ASSERT_TRUE(g.app.openDocumentFile(other));
    ASSERT_EQ(g.boxes.calls().size(), 2u);
    EXPECT_EQ(g.boxes.calls()[1].text, kQuestion);
    EXPECT_FALSE(QFile::exists(copyOf(other)));
    EXPECT_TRUE(g.view->boardList().empty()) << "the fresh deal";
    EXPECT_EQ(g.doc->boxList().size(), 9);
    EXPECT_EQ(g.app.state.modified, 0);
}

TEST(RecoveryCopy, ADamagedCopyIsRemovedWithoutAWord)
{
    Game g(3, 3, 48, true);
    play(g);
    writeCopy(g);
    const QByteArray sound = readAll(copyOf(g));
    g.frame->OnCommand(cmd::kFileSave);
    // Cut short, not a saved game at all, more pieces than the puzzle has, empty.
    QByteArray foreign = sound;
    foreign.replace(0, 4, "ZZ99");
    saved_game::SavedGame g2;
    ASSERT_EQ(saved_game::read(sound, g2), saved_game::ReadResult::Ok);
    for (int i = 0; i < 10; ++i)
        g2.box.push_back({0, 0, 0, 0});
    saved_game::SavedGame unused;
    ASSERT_EQ(saved_game::read(saved_game::write(g2), unused, nullptr, 9), saved_game::ReadResult::Damaged);
    int n = 0;
    for (const QByteArray& bad : {sound.left(sound.size() / 2), foreign, saved_game::write(g2), QByteArray()}) {
        const QString other = otherPuzzle(g, QString("Bad%1").arg(++n));
        writeAll(copyOf(other), bad);
        g.boxes.clear();
        ASSERT_TRUE(g.app.openDocumentFile(other));
        EXPECT_TRUE(g.boxes.calls().empty()) << bad.size();
        EXPECT_FALSE(QFile::exists(copyOf(other))) << bad.size();
    }
}

TEST(RecoveryCopy, ACopyOlderThanTheSavedGameIsNotOffered)
{
    Game g(3, 3, 48, true);
    play(g);
    writeCopy(g);
    const QByteArray copyBytes = readAll(copyOf(g));
    g.frame->OnCommand(cmd::kFileSave);
    const QString other = otherPuzzle(g);
    writeAll(copyOf(other), copyBytes);
    writeAll(CTileMenderDoc::savedGamePath(other), readAll(CTileMenderDoc::savedGamePath(g.doc->pathName())));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    {
        QFile c(copyOf(other));
        ASSERT_TRUE(c.open(QIODevice::ReadWrite));
        ASSERT_TRUE(c.setFileTime(now.addSecs(-60), QFileDevice::FileModificationTime));
        QFile s(CTileMenderDoc::savedGamePath(other));
        ASSERT_TRUE(s.open(QIODevice::ReadWrite));
        ASSERT_TRUE(s.setFileTime(now, QFileDevice::FileModificationTime));
    }
    g.boxes.clear();
    ASSERT_TRUE(g.app.openDocumentFile(other));
    EXPECT_TRUE(g.boxes.calls().empty());
    EXPECT_FALSE(QFile::exists(copyOf(other))) << "a stale copy goes";

    // Newer than the saved game, it is offered.
    const QString third = otherPuzzle(g, "Third");
    writeAll(CTileMenderDoc::savedGamePath(third), readAll(CTileMenderDoc::savedGamePath(other)));
    writeAll(copyOf(third), copyBytes);
    {
        QFile s(CTileMenderDoc::savedGamePath(third));
        ASSERT_TRUE(s.open(QIODevice::ReadWrite));
        ASSERT_TRUE(s.setFileTime(now, QFileDevice::FileModificationTime));
        QFile c(copyOf(third));
        ASSERT_TRUE(c.open(QIODevice::ReadWrite));
        ASSERT_TRUE(c.setFileTime(now.addSecs(60), QFileDevice::FileModificationTime));
    }
    g.boxes.answer(mb::IdNo);
    ASSERT_TRUE(g.app.openDocumentFile(third));
    ASSERT_EQ(g.boxes.calls().size(), 1u);
    EXPECT_EQ(g.boxes.calls()[0].text, kQuestion);
}

TEST(RecoveryCopy, IsOfferedAtStartUpOverTheSavedGame)
{
    QByteArray copyBytes;
    saved_game::SavedGame before;
    {
        // A player that never got to close: its frame goes without closeEvent.
        Game g(4, 4, 48, true);
        play(g);
        g.frame->OnCommand(cmd::kFileSave);
        g.placeFromStrip(2, 0);
        writeCopy(g);
        before = g.frame->captureGame();
        copyBytes = readAll(copyOf(g));
    }
    ASSERT_FALSE(copyBytes.isEmpty());

    QTemporaryDir dir;
    const QString puzzle = dir.filePath("Game.puz");
    puzzle_file::writeFile(puzzle, testfiles::makePuzzle(4, 4, 48, true));
    // The saved game of two pieces on the board, then the copy of three.
    saved_game::SavedGame older = before;
    older.board.pop_back();
    ASSERT_TRUE(saved_game::writeFile(CTileMenderDoc::savedGamePath(puzzle), older));
    writeAll(copyOf(puzzle), copyBytes);
    {
        QFile c(copyOf(puzzle));
        ASSERT_TRUE(c.open(QIODevice::ReadWrite));
        ASSERT_TRUE(c.setFileTime(QDateTime::currentDateTimeUtc().addSecs(5), QFileDevice::FileModificationTime));
    }

    tick::setForTest(50000);
    MessageBoxScript boxes;
    boxes.answer(mb::IdYes);
    {
        CTileMenderApp app;
        ASSERT_TRUE(app.InitInstance({puzzle}));
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.calls()[0].text, kQuestion);
        EXPECT_EQ(app.mainFrame()->captureGame(), before);
        EXPECT_EQ(app.state.modified, 1);
    }
    tick::releaseTestClock();
}

} // namespace
