// The load window's arithmetic and file work without a window: pages,
// selection after paging and deleting, and renaming and deleting a puzzle's
// files in whatever case they are spelt.

#include "load_fixture.h"
#include "load_model.h"
#include "puzzle_names.h"

#include <QProcess>

#include <gtest/gtest.h>

using namespace load_model;

TEST(LoadPages, SixToAPageAndOneForNothing)
{
    EXPECT_EQ(pageCount(0), 1);
    EXPECT_EQ(pageCount(6), 1);
    EXPECT_EQ(pageCount(7), 2);
    EXPECT_EQ(pageCount(12), 2);
    EXPECT_EQ(entriesOnPage(1, 0), 0);
    EXPECT_EQ(entriesOnPage(1, 7), 6);
    EXPECT_EQ(entriesOnPage(2, 7), 1);
    EXPECT_EQ(entriesOnPage(2, 12), 6);
    EXPECT_EQ(entriesOnPage(3, 12), 0);
    EXPECT_EQ(slotRect(4), QRect(190, 335, 137, 164));
    EXPECT_EQ(slotRect(2).left(), 335);
}

TEST(LoadPages, PagingStopsAtTheEndsAndSelectsTheFirstSlot)
{
    Pager p(8);
    EXPECT_FALSE(p.pageUp());
    p.select(4);
    ASSERT_TRUE(p.pageDown());
    EXPECT_EQ(p.selected(), 0);
    EXPECT_FALSE(p.pageDown());
    EXPECT_EQ(p.page(), 2);
    // Only filled slots take a selection.
    EXPECT_TRUE(p.select(3).isEmpty());
    EXPECT_EQ(p.selected(), 0);
    EXPECT_EQ(p.slotAt(slotRect(2).center()), -1);
    EXPECT_EQ(p.slotAt(slotRect(1).center()), 1);
}

TEST(LoadPages, DeletingKeepsTheSelectionOnAFilledSlot)
{
    Pager p(7);
    p.pageDown();
    p.removed(p.selectedIndex());
    EXPECT_EQ(p.page(), 1);
    EXPECT_EQ(p.pages(), 1);
    EXPECT_EQ(p.selected(), 0);

    // The last of three on the only page: the selection goes back to slot 0.
    Pager q(3);
    q.select(2);
    q.removed(2);
    EXPECT_TRUE(q.hasSelection());
    EXPECT_EQ(q.selected(), 0);
    // A slot in the middle: the next entry moves into it and stays selected.
    Pager r(3);
    r.select(1);
    r.removed(1);
    EXPECT_EQ(r.selected(), 1);
    EXPECT_TRUE(r.hasSelection());
}

TEST(LoadPages, HoverFramesAndTheSelectedOneKeepsItsFrame)
{
    Pager p(6);
    EXPECT_EQ(p.frameOf(0), 2);
    EXPECT_EQ(p.hover(3, true), (QList<int>{3}));
    EXPECT_EQ(p.frameOf(3), 1);
    EXPECT_EQ(p.hover(0, true), (QList<int>{3, 0}));
    EXPECT_EQ(p.frameOf(0), 2);
    EXPECT_EQ(p.frameOf(3), 0);
    p.hover(4, true);
    // Between slots the hover stays; off the list it goes.
    EXPECT_TRUE(p.hover(-1, true).isEmpty());
    EXPECT_EQ(p.hover(-1, false), (QList<int>{4}));
    EXPECT_EQ(p.frameOf(4), 0);
}

TEST(LoadFiles, RenameMovesAllFourFilesInAnySpelling)
{
    LoadTree t;
    t.addFiles(QStringLiteral("cat"), true, true);
    QFile::rename(t.data(QStringLiteral("cat.bmp")), t.data(QStringLiteral("CAT.bmp")));
    t.addFiles(QStringLiteral("Other"), true, true);

    EXPECT_EQ(renamePuzzleFiles(t.folders.data, QStringLiteral("Cat"), QStringLiteral("Dog")), RenameResult::Renamed);
    EXPECT_EQ(t.dataFiles(), (QStringList{"Dog.bmp", "Dog.puz", "Dog0.sav", "DogPuz.run", "Other.bmp", "Other.puz",
                                          "Other0.sav", "OtherPuz.run"}));
    EXPECT_EQ(fileBytes(t.data(QStringLiteral("Dog.puz"))), "puzzle cat");

    // Only the spelling changes: no clash with itself.
    EXPECT_EQ(renamePuzzleFiles(t.folders.data, QStringLiteral("Dog"), QStringLiteral("DOG")), RenameResult::Renamed);
    EXPECT_TRUE(t.exists(QStringLiteral("DOG.puz")));
    EXPECT_TRUE(t.exists(QStringLiteral("DOGPuz.run")));
}

TEST(LoadFiles, RenameRefusalsTouchNothing)
{
    LoadTree t;
    t.addFiles(QStringLiteral("Cat"), true, true);
    t.addFiles(QStringLiteral("Dog"));
    t.addFiles(QStringLiteral("NoPic"), false);
    putFile(t.data(QStringLiteral("Stray0.sav")), "old game");
    const QStringList before = t.dataFiles();

    EXPECT_EQ(renamePuzzleFiles(t.folders.data, QStringLiteral("Cat"), QStringLiteral("dog")), RenameResult::NameTaken);
    // A saved game left of another puzzle would be taken for this one's.
    EXPECT_EQ(renamePuzzleFiles(t.folders.data, QStringLiteral("Cat"), QStringLiteral("stray")), RenameResult::NameTaken);
    EXPECT_EQ(renamePuzzleFiles(t.folders.data, QStringLiteral("Gone"), QStringLiteral("New")),
              RenameResult::PuzzleMissing);
    // Checked before the puzzle file moves, so no file is left under the new name.
    EXPECT_EQ(renamePuzzleFiles(t.folders.data, QStringLiteral("NoPic"), QStringLiteral("New")),
              RenameResult::ThumbnailMissing);
    EXPECT_EQ(t.dataFiles(), before);
}

TEST(LoadFiles, DeleteRemovesTheFourFilesOfThatPuzzleOnly)
{
    LoadTree t;
    t.addFiles(QStringLiteral("Cat"), true, true);
    QFile::rename(t.data(QStringLiteral("Cat0.sav")), t.data(QStringLiteral("CAT0.sav")));
    t.addFiles(QStringLiteral("Cats"), true, true);
    t.addFiles(QStringLiteral("Half"), false);
    EXPECT_TRUE(deletePuzzleFiles(t.folders.data, QStringLiteral("cat")).isEmpty());
    EXPECT_TRUE(deletePuzzleFiles(t.folders.data, QStringLiteral("Half")).isEmpty());
    // An entry without a name owns no files.
    putFile(t.data(QStringLiteral(".puz")), "x");
    EXPECT_TRUE(deletePuzzleFiles(t.folders.data, QString()).isEmpty());
    EXPECT_TRUE(t.exists(QStringLiteral(".puz")));
    EXPECT_EQ(t.dataFiles(), (QStringList{"Cats.bmp", "Cats.puz", "Cats0.sav", "CatsPuz.run"}));
}

#ifdef VORLIN_CLI_DRIVER
TEST(LoadList, CommandLineListsTheLibraryAndItsFiles)
{
    LoadTree t;
    t.makeLibrary(2);
    QFile::remove(t.data(QStringLiteral("P2.bmp")));
    const QString program = t.folders.program + QStringLiteral("Vorlin");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORLIN_CLI_DRIVER), program));
    QProcess p;
    p.start(program, {QStringLiteral("--list")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    const QStringList lines = QString::fromLocal8Bit(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(lines[1].simplified(), QStringLiteral("1 P1 4X3 yes yes"));
    EXPECT_EQ(lines[2].simplified(), QStringLiteral("2 P2 4X3 yes missing"));

    p.start(program, {QStringLiteral("--list"), QStringLiteral("extra")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 2);
}
#endif

TEST(PuzzleNames, EveryUsableNameReadsBackFromTheLibraryAsItsFiles)
{
    // A name the library would read otherwise than it was written loses its
    // files: such names are refused, each with its reason; all others must
    // come back exactly.
    LoadTree tree;
    const QStringList refused{QStringLiteral("\"Dog\""), QStringLiteral("'s'"), QStringLiteral("''"),
                              QStringLiteral(" lead"), QStringLiteral("trail "), QStringLiteral("   "),
                              QStringLiteral("a/b"), QStringLiteral("tab\there"), QStringLiteral("NUVARK_NULL"),
                              QStringLiteral("thirteen_char")};
    for (const QString& name : refused)
        EXPECT_FALSE(puzzle_names::whyNotUsable(name).isEmpty()) << name.toStdString();
    EXPECT_EQ(puzzle_names::whyNotUsable(QStringLiteral("\"Dog\"")),
              QStringLiteral("A puzzle name cannot begin and end with \"."));
    EXPECT_EQ(puzzle_names::whyNotUsable(QStringLiteral("'s'")), QStringLiteral("A puzzle name cannot begin and end with '."));

    const QStringList usable{QStringLiteral("Dog"), QStringLiteral("\"Dog"), QStringLiteral("Dog's"),
                             QStringLiteral("'"), QStringLiteral("\"Dog'"), QStringLiteral("it's \"x\" ok"),
                             QStringLiteral("a = b"), QStringLiteral("[x]"), QStringLiteral("Ünd ; #")};
    std::vector<LibraryRecord> records;
    for (const QString& name : usable) {
        EXPECT_TRUE(puzzle_names::whyNotUsable(name).isEmpty()) << name.toStdString();
        records.push_back({name, QStringLiteral("4X3"), QString()});
    }
    ASSERT_TRUE(LibraryFile(tree.library()).RewriteLibrary(records));
    const std::vector<LibraryRecord> back = LibraryFile(tree.library()).readList(tree.folders.data);
    ASSERT_EQ(back.size(), records.size());
    for (size_t i = 0; i < back.size(); ++i)
        EXPECT_EQ(back[i].name, records[i].name);
}

TEST(PuzzleNames, TheStoredSpellingIsTheOneOnDisk)
{
    LoadTree tree;
    tree.addFiles(QStringLiteral("Cat"));
    EXPECT_EQ(puzzle_names::storedSpelling(tree.folders.data, QStringLiteral("cat")), QStringLiteral("Cat"));
    EXPECT_EQ(puzzle_names::storedSpelling(tree.folders.data, QStringLiteral("CAT")), QStringLiteral("Cat"));
    // A thumbnail alone is no puzzle file; a name with no file stays as given.
    putFile(tree.data(QStringLiteral("Dog.bmp")), "picture");
    EXPECT_EQ(puzzle_names::storedSpelling(tree.folders.data, QStringLiteral("dog")), QStringLiteral("dog"));
    // The exact spelling wins when both are there.
    tree.addFiles(QStringLiteral("cat"), false);
    EXPECT_EQ(puzzle_names::storedSpelling(tree.folders.data, QStringLiteral("cat")), QStringLiteral("cat"));
}
