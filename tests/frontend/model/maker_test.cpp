// Writing a puzzle's files: what lands on disk, what the player reads back,
// remaking under a known name (in any spelling), and refusals.
#include "frontend_fixture.h"
#include "guide_ahead.h"
#include "library_file.h"
#include "puzzle_file.h"
#include "puzzle_maker.h"
#include "staged_files.h"
#include "test_files.h"
#ifdef WITH_PLAYER_CORE
#include "tile_mender_doc.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

struct Making {
    SuiteTree tree;
    PuzzleMaker maker{tree.folders};
    ScriptedUi ui;
    QString picture = tree.dir.filePath(QStringLiteral("beach.png"));

    explicit Making(int w = 640, int h = 480)
    {
        testfiles::patternImage(w, h).save(picture, "png");
    }
    bool make(const QString& name, int level = PuzzleMaker::Hard)
    {
        return maker.LoadFromPath(picture) && maker.PrepareLevel(level, ui) && maker.WritePuzzle(name, ui);
    }
    std::map<QString, QByteArray> everything() const
    {
        std::map<QString, QByteArray> out;
        for (const QString& f : tree.dataFiles())
            out[f] = fileBytes(tree.data(f));
        out["ini"] = fileBytes(tree.folders.libraryFile);
        out["scratch"] = fileBytes(tree.folders.scratchPicture());
        return out;
    }
};

std::vector<PieceRecord> records(const PuzzleMaker& m)
{
    std::vector<PieceRecord> out;
    for (const auto& p : m.pieces)
        out.push_back(p->record());
    return out;
}

} // namespace

TEST(WritePuzzle, WritesThePuzzleTheThumbnailAndTheLibraryEntry)
{
    Making m;
    m.maker.SetRotation(0);
    ASSERT_TRUE(m.make("Beach")) << m.maker.lastError().toStdString();
    EXPECT_EQ(m.tree.dataFiles(), (QStringList{"Beach.bmp", "Beach.puz"}));
    EXPECT_EQ(m.maker.writtenFiles(),
              (QStringList{m.tree.data("Beach.puz"), m.tree.data("Beach.bmp"), m.tree.folders.libraryFile}));

    PuzzleFileData d;
    ASSERT_EQ(puzzle_file::readFile(m.tree.data("Beach.puz"), d), puzzle_file::ReadResult::Ok);
    EXPECT_EQ(d.columns, 13);
    EXPECT_EQ(d.rows, 10);
    EXPECT_EQ(d.cellSize, 48);
    EXPECT_EQ(d.rotationAllowed, 0);
    EXPECT_EQ(d.pieces, records(m.maker));
    // Both stored pictures are JPEGs of the puzzle's size.
    ToolkitBitmap picture, guide;
    ASSERT_TRUE(imaging::loadFromData(d.picture, picture, 24));
    ASSERT_TRUE(imaging::loadFromData(d.guide, guide, 24));
    EXPECT_EQ(picture.image.size(), QSize(624, 480));
    EXPECT_EQ(guide.image.size(), QSize(624, 480));
    EXPECT_EQ(d.picture.left(2), QByteArray("\xFF\xD8"));
    EXPECT_EQ(m.maker.workingImage.image.size(), QSize(624, 480));

    ToolkitBitmap thumb;
    ASSERT_TRUE(imaging::load(m.tree.data("Beach.bmp"), thumb, 0));
    EXPECT_EQ(thumb.image.size(), QSize(100, 76));
    EXPECT_EQ(thumb.bitsPerPixel, 24);

    EXPECT_EQ(fileBytes(m.tree.folders.libraryFile),
              QByteArray("[Puzzle]\r\nPuzzle_Count=1\r\n[Puzzle1]\r\nName=Beach\r\nSize=13 10\r\n"));
}

#ifdef WITH_PLAYER_CORE
TEST(WritePuzzle, ThePlayerOpensItWithExactlyThePiecesCut)
{
    Making m;
    ASSERT_TRUE(m.make("Beach", PuzzleMaker::Normal));
    PlayerState state;
    CTileMenderDoc doc(state);
    QString error;
    ASSERT_EQ(doc.open(m.tree.data("Beach.puz"), &error), CTileMenderDoc::OpenResult::Opened)
        << error.toStdString();
    EXPECT_EQ(doc.columns(), 8);
    EXPECT_EQ(doc.rows(), 6);
    EXPECT_EQ(doc.cellSize(), 72);
    ASSERT_EQ(doc.boxList().size(), m.maker.pieces.size());
    // Dealt in another order; matched by home cell.
    for (const auto& p : doc.boxList()) {
        const CPiece& made = *m.maker.pieces[size_t(p->row * 8 + p->column)];
        EXPECT_EQ(p->record(), made.record());
    }
    EXPECT_EQ(doc.picture().image.size(), QSize(576, 432));
}
#endif

TEST(WritePuzzle, RemakingANameReusesItsEntryAndStartsAFreshGame)
{
    Making m;
    ASSERT_TRUE(m.make("Beach", PuzzleMaker::Easy));
    ASSERT_TRUE(m.make("Owl", PuzzleMaker::Easy));
    putFile(m.tree.data("Beach0.sav"), "SA02");
    putFile(m.tree.data("BeachPuz.run"), "old package");
    putFile(m.tree.data("Owl0.sav"), "SA02");
    EXPECT_EQ(m.ui.overwriteAsked, 0);

    ASSERT_TRUE(m.make("Beach", PuzzleMaker::Hard));
    EXPECT_EQ(m.ui.overwriteAsked, 1);
    EXPECT_FALSE(m.tree.exists("Beach0.sav"));
    EXPECT_FALSE(m.tree.exists("BeachPuz.run"));
    EXPECT_TRUE(m.tree.exists("Owl0.sav"));
    LibraryFile lib(m.tree.folders.libraryFile);
    EXPECT_EQ(lib.count(), 2);
    EXPECT_EQ(lib.FindLibraryEntry("Beach"), 1);
    EXPECT_EQ(lib.readList(m.tree.folders.data)[0].sizeText, "13X10");
}

TEST(WritePuzzle, NamesIgnoreCaseAndTheNewSpellingReplacesTheOld)
{
    Making m;
    ASSERT_TRUE(m.make("cat", PuzzleMaker::Easy));
    putFile(m.tree.data("cat0.sav"), "SA02");
    putFile(m.tree.data("CAT0.sav"), "SA02");
    ASSERT_TRUE(m.make("Cat", PuzzleMaker::Normal));
    EXPECT_EQ(m.ui.overwriteAsked, 1);
    EXPECT_EQ(m.tree.dataFiles(), (QStringList{"Cat.bmp", "Cat.puz"}));
    LibraryFile lib(m.tree.folders.libraryFile);
    const auto list = lib.readList(m.tree.folders.data);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], (LibraryRecord{"Cat", "8X6", m.tree.data("Cat.bmp")}));
}

TEST(WritePuzzle, NoToTheOverwriteQuestionWritesNothingAtAll)
{
    Making m;
    ASSERT_TRUE(m.make("Beach", PuzzleMaker::Easy));
    putFile(m.tree.data("Beach0.sav"), "SA02");
    const auto before = m.everything();
    m.ui.overwrite = false;
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Hard, m.ui));
    EXPECT_FALSE(m.maker.WritePuzzle("BEACH", m.ui));
    EXPECT_TRUE(m.maker.lastError().isEmpty());
    EXPECT_EQ(m.ui.overwriteAsked, 1);
    EXPECT_EQ(m.everything(), before);
}

TEST(WritePuzzle, UnusableNamesAreRefusedBeforeAnythingIsWritten)
{
    Making m;
    ASSERT_TRUE(m.maker.LoadFromPath(m.picture));
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Easy, m.ui));
    const auto before = m.everything();
    for (const QString& name : {QString(), QString("ThirteenChars"), QString("a/b"), QString("a\\b"),
                                QString(" lead"), QString("trail "), QString("new\nline"),
                                QString("NUVARK_NULL")}) {
        EXPECT_FALSE(m.maker.WritePuzzle(name, m.ui)) << name.toStdString();
        EXPECT_FALSE(m.maker.lastError().isEmpty());
    }
    EXPECT_EQ(m.everything(), before);
    EXPECT_TRUE(m.maker.WritePuzzle("TwelveChars!", m.ui));
    EXPECT_TRUE(m.maker.WritePuzzle("in  side", m.ui));
}

TEST(WritePuzzle, UnwritableFoldersFailClearly)
{
    Making m;
    ASSERT_TRUE(m.maker.LoadFromPath(m.picture));
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Easy, m.ui));

    // A data "folder" that is a file cannot be made or written into.
    SuiteFolders noData = m.tree.folders;
    putFile(m.tree.dir.filePath("DataFile"), "x");
    noData.data = m.tree.dir.filePath("DataFile/");
    PuzzleMaker blocked(noData);
    blocked.workingImage = m.maker.workingImage;
    ASSERT_TRUE(blocked.PrepareLevel(PuzzleMaker::Easy, m.ui));
    EXPECT_FALSE(blocked.WritePuzzle("Beach", m.ui));
    EXPECT_TRUE(blocked.lastError().contains("data folder")) << blocked.lastError().toStdString();

    SuiteFolders noLibrary = m.tree.folders;
    noLibrary.libraryFolder = m.tree.dir.filePath("DataFile/Bin/");
    noLibrary.libraryFile = noLibrary.libraryFolder + "puzzle.ini";
    PuzzleMaker blocked2(noLibrary);
    blocked2.workingImage = m.maker.workingImage;
    ASSERT_TRUE(blocked2.PrepareLevel(PuzzleMaker::Easy, m.ui));
    EXPECT_FALSE(blocked2.WritePuzzle("Beach", m.ui));
    EXPECT_TRUE(blocked2.lastError().contains("library folder")) << blocked2.lastError().toStdString();
    EXPECT_TRUE(m.tree.dataFiles().isEmpty());

    // A folder where the library should be: refused before any file is written.
    QDir().mkpath(m.tree.folders.libraryFile);
    EXPECT_FALSE(m.maker.WritePuzzle("Beach", m.ui));
    EXPECT_TRUE(m.maker.lastError().contains("library")) << m.maker.lastError().toStdString();
    EXPECT_TRUE(m.tree.dataFiles().isEmpty());

    // Nothing prepared yet.
    PuzzleMaker fresh(m.tree.folders);
    EXPECT_FALSE(fresh.WritePuzzle("Beach", m.ui));
    EXPECT_FALSE(fresh.lastError().isEmpty());
    EXPECT_FALSE(fresh.WriteThumbnail(m.tree.data("x.bmp")));
}

TEST(WritePuzzle, ALibraryThatIsAnotherFileIsLeftAloneAndTheReasonGiven)
{
    Making m;
    const QByteArray other = "# not a library\nkey=value\n";
    putFile(m.tree.folders.libraryFile, other);
    EXPECT_FALSE(m.make("Beach"));
    EXPECT_EQ(m.maker.lastError(),
              QStringLiteral("Cannot write puzzle \"Beach\": \"%1\" is not a puzzle library (it has no [Puzzle] "
                             "section); it is left as it is.")
                  .arg(m.tree.folders.libraryFile));
    EXPECT_EQ(fileBytes(m.tree.folders.libraryFile), other);
    EXPECT_TRUE(m.tree.dataFiles().isEmpty());
    EXPECT_EQ(m.ui.overwriteAsked, 0);
}

TEST(StagedFiles, ACutOffWriteIsFinishedOrClearedAndAForeignJournalNeverFollowed)
{
    SuiteTree tree;
    const QString journal = tree.folders.program + "puzzle.ini.pending";
    const QString outside = tree.dir.filePath("outside");
    putFile(outside, "someone's file");
    putFile(outside + ".vorlin-new", "replacement");
    putFile(tree.data("Owl.puz"), "old puzzle");
    putFile(tree.data("Owl0.sav"), "old game");

    // A journal that names a file outside Data and the library: not one of
    // ours, so nothing it names is touched.
    putFile(journal, QStringLiteral("{\"put\":[\"%1\"],\"remove\":[\"%2\"]}")
                         .arg(outside, tree.data("Owl0.sav")).toUtf8());
    StagedFiles::finishInterrupted(tree.folders);
    EXPECT_EQ(fileBytes(outside), "someone's file");
    EXPECT_TRUE(tree.exists("Owl0.sav"));
    EXPECT_FALSE(QFile::exists(journal));

    // Staged files without a journal were cut off before it: they go.
    putFile(tree.data("Owl.puz.vorlin-new"), "new puzzle");
    StagedFiles::finishInterrupted(tree.folders);
    EXPECT_EQ(tree.dataFiles(), (QStringList{"Owl.puz", "Owl0.sav"}));
    EXPECT_EQ(fileBytes(tree.data("Owl.puz")), "old puzzle");

    // With their journal they win, at any point of carrying it out.
    putFile(tree.data("Owl.puz.vorlin-new"), "new puzzle");
    putFile(journal, QStringLiteral("{\"put\":[\"%1\",\"%2\"],\"remove\":[\"%3\"]}")
                         .arg(tree.data("Owl.bmp"), tree.data("Owl.puz"), tree.data("Owl0.sav"))
                         .toUtf8());
    StagedFiles::finishInterrupted(tree.folders);
    EXPECT_EQ(tree.dataFiles(), (QStringList{"Owl.puz"}));
    EXPECT_EQ(fileBytes(tree.data("Owl.puz")), "new puzzle");
    EXPECT_FALSE(QFile::exists(journal));
}

TEST(PuzzleMaker, StartValuesAndPreviews)
{
    Making m;
    EXPECT_EQ(m.maker.columns, 5);
    EXPECT_EQ(m.maker.rows, 5);
    EXPECT_EQ(m.maker.pieceSize, 64);
    EXPECT_EQ(m.maker.rotation, 1);
    EXPECT_TRUE(m.maker.MakeWorkingPreview().isNull());
    EXPECT_TRUE(m.maker.MakePuzzlePreview().isNull());

    ASSERT_TRUE(m.maker.LoadFromPath(m.picture));
    EXPECT_EQ(m.maker.MakeWorkingPreview().image.size(), QSize(640, 480));
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Normal, m.ui));
    EXPECT_EQ(m.maker.MakePuzzlePreview().image, m.maker.puzzleImage.image);

    // A failed load leaves no working picture, and the previews as they were.
    EXPECT_FALSE(m.maker.LoadFromPath(m.tree.dir.filePath("missing.jpg")));
    EXPECT_TRUE(m.maker.workingImage.isNull());
    EXPECT_EQ(m.maker.MakeWorkingPreview().image.size(), QSize(640, 480));
}

// The guide is made on another core as soon as the level is known; a
// picture changed before the write (the wizard's working copy is open to
// its pages) must be the one written, not the one the early run saw.
TEST(WritePuzzle, TheGuideAndThumbnailAreOfThePictureAtTheTimeOfWriting)
{
    Making m;
    ASSERT_TRUE(m.maker.LoadFromPath(m.picture));
    ASSERT_TRUE(m.maker.PrepareLevel(PuzzleMaker::Hard, m.ui));
    const QSize size = m.maker.puzzleImage.image.size();
    for (int y = 0; y < 40; ++y)
        std::fill_n(reinterpret_cast<QRgb*>(m.maker.workingImage.image.scanLine(y)), 200, qRgb(255, 0, 0));
    const GuideAhead::Made expected = GuideAhead::make(m.maker.workingImage, size);
    ASSERT_TRUE(m.maker.WritePuzzle("Beach", m.ui));

    PuzzleFileData d;
    ASSERT_EQ(puzzle_file::readFile(m.tree.data("Beach.puz"), d), puzzle_file::ReadResult::Ok);
    EXPECT_EQ(d.guide, expected.jpeg);
    EXPECT_EQ(fileBytes(m.tree.data("Beach.bmp")), expected.thumbnail);
    EXPECT_EQ(fileBytes(m.tree.folders.scratchPicture()), expected.jpeg);

    // Unchanged, the guide made ahead is the one the writer would make.
    Making plain;
    ASSERT_TRUE(plain.make("Beach"));
    PuzzleFileData p;
    ASSERT_EQ(puzzle_file::readFile(plain.tree.data("Beach.puz"), p), puzzle_file::ReadResult::Ok);
    ASSERT_TRUE(plain.maker.LoadFromPath(plain.picture));
    EXPECT_EQ(p.guide, GuideAhead::make(plain.maker.workingImage, size).jpeg);
}
