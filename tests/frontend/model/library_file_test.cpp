#include "frontend_fixture.h"
#include "library_file.h"
#include "library_start.h"
#include "puzzle_file.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

struct Library {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("puzzle.ini"));
    LibraryFile file{path};
    void put(const QByteArray& text) { putFile(path, text); }
    QByteArray bytes() const { return fileBytes(path); }
};

const QByteArray kThree = "[Puzzle]\r\nPuzzle_Count=3\r\n\r\n"
                          "[Puzzle1]\r\nName=Beach\r\nSize=8 6\r\n\r\n"
                          "[Puzzle2]\r\nName=cat\r\nSize=6 5\r\n\r\n"
                          "[Puzzle3]\r\nName=Tower\r\nSize=13 10\r\n\r\n";

} // namespace

TEST(LibraryFile, RewriteLaysOutTheFileByteForByte)
{
    Library lib;
    lib.put("[Puzzle]\r\nPuzzle_Count=9\r\n; stale content that must go\r\n[Puzzle1]\r\nName=Old\r\n");
    ASSERT_TRUE(lib.file.RewriteLibrary({{"Beach", "8X6", ""}, {"Cat", "6 8", ""}, {"Odd", "12", ""}}));
    EXPECT_EQ(lib.bytes(), QByteArray("[Puzzle]\r\nPuzzle_Count=3\r\n\r\n"
                                      "[Puzzle1]\r\nName=Beach\r\nSize=8 6\r\n\r\n"
                                      "[Puzzle2]\r\nName=Cat\r\nSize=6 8\r\n\r\n"
                                      "[Puzzle3]\r\nName=Odd\r\nSize=12\r\n\r\n"));

    ASSERT_TRUE(lib.file.RewriteLibrary({}));
    EXPECT_EQ(lib.bytes(), QByteArray("[Puzzle]\r\nPuzzle_Count=0\r\n\r\n"));
}

TEST(LibraryFile, AfterDeletionsTheRewrittenListIsRenumberedInListOrder)
{
    Library lib;
    lib.put("[Puzzle]\r\nPuzzle_Count=5\r\n\r\n"
            "[Puzzle1]\r\nName=A\r\nSize=1 2\r\n\r\n[Puzzle2]\r\nName=B\r\nSize=3 4\r\n\r\n"
            "[Puzzle3]\r\nName=C\r\nSize=5 6\r\n\r\n[Puzzle4]\r\nName=D\r\nSize=7 8\r\n\r\n"
            "[Puzzle5]\r\nName=E\r\nSize=9 10\r\n\r\n");
    auto list = lib.file.readList(QStringLiteral("/data/"));
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[3], (LibraryRecord{"D", "7X8", "/data/D.bmp"}));
    list.erase(list.begin() + 3);
    list.erase(list.begin() + 1);
    ASSERT_TRUE(lib.file.RewriteLibrary(list));
    EXPECT_EQ(lib.bytes(), QByteArray("[Puzzle]\r\nPuzzle_Count=3\r\n\r\n"
                                      "[Puzzle1]\r\nName=A\r\nSize=1 2\r\n\r\n"
                                      "[Puzzle2]\r\nName=C\r\nSize=5 6\r\n\r\n"
                                      "[Puzzle3]\r\nName=E\r\nSize=9 10\r\n\r\n"));
}

TEST(LibraryFile, WritingANewNameAppendsAndAKnownNameKeepsItsPlace)
{
    Library lib;
    lib.put(kThree);
    EXPECT_EQ(lib.file.FindLibraryEntry("Owl"), 0);
    ASSERT_TRUE(lib.file.WriteLibraryEntry("Owl", 0, 4, 3));
    QByteArray expected = kThree + "[Puzzle4]\r\nName=Owl\r\nSize=4 3\r\n";
    expected.replace("Puzzle_Count=3", "Puzzle_Count=4");
    EXPECT_EQ(lib.bytes(), expected);
    EXPECT_EQ(lib.file.count(), 4);

    // "Cat" is the puzzle "cat": same entry, its Name takes the new spelling.
    const int cat = lib.file.FindLibraryEntry("Cat");
    ASSERT_EQ(cat, 2);
    ASSERT_TRUE(lib.file.WriteLibraryEntry("Cat", cat, 9, 7));
    expected.replace("Name=cat\r\nSize=6 5", "Name=Cat\r\nSize=9 7");
    EXPECT_EQ(lib.bytes(), expected);

    // An index past the count appends too.
    ASSERT_TRUE(lib.file.WriteLibraryEntry("Elk", 99, 1, 1));
    EXPECT_EQ(lib.file.FindLibraryEntry("ELK"), 5);
}

TEST(LibraryFile, AMissingFileIsAnEmptyLibraryAndTheFirstPuzzleIsEntryOne)
{
    Library lib;
    EXPECT_EQ(lib.file.count(), 0);
    EXPECT_TRUE(lib.file.readList("/d/").empty());
    ASSERT_TRUE(lib.file.WriteLibraryEntry("Beach", 0, 8, 6));
    EXPECT_EQ(lib.file.FindLibraryEntry("beach"), 1);
    EXPECT_EQ(lib.file.readList("/d/"), (std::vector<LibraryRecord>{{"Beach", "8X6", "/d/Beach.bmp"}}));
}

TEST(LibraryFile, SearchSkipsEntriesWithoutANameAndSectionsPastTheCount)
{
    Library lib;
    lib.put("[puzzle]\r\npuzzle_count=4\r\n"
            "[PUZZLE1]\r\nSize=1 1\r\n"               // no Name: never matches
            "[Puzzle2]\r\nname=NUVARK_NULL\r\n"       // the missing-name marker itself
            "[Puzzle3]\r\nNAME=Dog\r\n"
            "[Puzzle5]\r\nName=Cat\r\n"                // past the count
            "[Puzzle04]\r\nName=Cat\r\n");             // never spelt so by an entry number
    EXPECT_EQ(lib.file.FindLibraryEntry("dog"), 3);
    EXPECT_EQ(lib.file.FindLibraryEntry("Cat"), 0);
    EXPECT_EQ(lib.file.FindLibraryEntry("NUVARK_NULL"), 0);
    EXPECT_EQ(lib.file.FindLibraryEntry(""), 0);
    // The list stops at the last entry the file really has.
    const auto list = lib.file.readList("/d/");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "");
    EXPECT_EQ(list[0].sizeText, "1X1");
    EXPECT_EQ(list[2].name, "Dog");
}

TEST(LibraryFile, TheListReadsFourteenCharactersAndOnlyTheFirstBlank)
{
    Library lib;
    lib.put("[Puzzle]\r\nPuzzle_Count=2\r\n[Puzzle1]\r\nName=ABCDEFGHIJKLMNOPQ\r\nSize=1 2 3\r\n"
            "[Puzzle2]\r\nName=x\r\nSize=123456789012 345\r\n");
    const auto list = lib.file.readList("/d/");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "ABCDEFGHIJKLMN");
    EXPECT_EQ(list[0].sizeText, "1X2 3");
    EXPECT_EQ(list[1].sizeText, "123456789012X3");
}

TEST(LibraryFile, DamagedFilesNeverCrashNorRunAway)
{
    Library lib;
    // A count far beyond the sections, lines without "=", binary bytes.
    QByteArray junk = "[Puzzle]\r\nPuzzle_Count=2000000000\r\nno equals sign here\r\n";
    junk += QByteArray("\x00\xff\xfe[\x01\x02=\x03\r\n", 10);
    junk += "[Puzzle2]\r\nName=Cat\r\nSize=3 4\r\n[Puzzle9999999]\r\nName=Far\r\n";
    lib.put(junk);
    EXPECT_EQ(lib.file.count(), 2);
    EXPECT_EQ(lib.file.FindLibraryEntry("cat"), 2);
    EXPECT_EQ(lib.file.FindLibraryEntry("Far"), 0);
    EXPECT_EQ(lib.file.readList("/d/").size(), 2u);
    ASSERT_TRUE(lib.file.WriteLibraryEntry("New", 0, 2, 2));
    EXPECT_EQ(lib.file.FindLibraryEntry("new"), 3);
    EXPECT_EQ(lib.file.count(), 3);
    // Everything after the NUL byte survived the write.
    EXPECT_TRUE(lib.bytes().endsWith("[Puzzle9999999]\r\nName=Far\r\n[Puzzle3]\r\nName=New\r\nSize=2 2\r\n"));

    // Negative and non-numeric counts.
    lib.put("[Puzzle]\r\nPuzzle_Count=-7\r\n[Puzzle1]\r\nName=A\r\n");
    EXPECT_EQ(lib.file.FindLibraryEntry("A"), 1);
    lib.put("[Puzzle]\r\nPuzzle_Count=lots\r\n[Puzzle1]\r\nName=A\r\n");
    EXPECT_EQ(lib.file.FindLibraryEntry("A"), 0);
    EXPECT_TRUE(lib.file.readList("/d/").empty());

    // A large library is read once, not once per entry: 20 000 sections and
    // a count at the list's limit finish at once.
    QByteArray big = "[Puzzle]\r\nPuzzle_Count=32767\r\n";
    for (int i = 1; i <= 20000; ++i)
        big += "[Puzzle" + QByteArray::number(i) + "]\r\nName=P" + QByteArray::number(i) + "\r\nSize=2 2\r\n";
    lib.put(big);
    EXPECT_EQ(lib.file.FindLibraryEntry("p19999"), 19999);
    EXPECT_EQ(lib.file.readList("/d/").size(), 20000u);
}

TEST(LibraryFile, WhatIsNoLibraryIsNeitherReadNorWritten)
{
    Library lib;
    // Far larger than any library: left as it is.
    QByteArray huge = "[Puzzle]\r\nPuzzle_Count=1\r\n[Puzzle1]\r\nName=A\r\n";
    huge += QByteArray(LibraryFile::kMaxBytes, ';');
    lib.put(huge);
    EXPECT_FALSE(lib.file.usable());
    EXPECT_EQ(lib.file.FindLibraryEntry("A"), 0);
    EXPECT_FALSE(lib.file.WriteLibraryEntry("B", 0, 1, 1));
    EXPECT_EQ(lib.bytes().size(), huge.size());

    // A fifo would block a reader for ever.
    QFile::remove(lib.path);
    ASSERT_EQ(::mkfifo(QFile::encodeName(lib.path).constData(), 0600), 0);
    EXPECT_FALSE(lib.file.usable());
    EXPECT_EQ(lib.file.count(), 0);
    EXPECT_TRUE(lib.file.readList("/d/").empty());
    EXPECT_FALSE(lib.file.WriteLibraryEntry("B", 0, 1, 1));
    EXPECT_FALSE(lib.file.RewriteLibrary({}));
}

TEST(LibraryFile, AFullListRefusesAnotherEntry)
{
    Library lib;
    lib.put("[Puzzle]\r\nPuzzle_Count=32767\r\n");
    EXPECT_FALSE(lib.file.WriteLibraryEntry("One", 0, 1, 1));
    EXPECT_EQ(lib.bytes(), QByteArray("[Puzzle]\r\nPuzzle_Count=32767\r\n"));
}

TEST(LibraryFile, AnUnwritableLibraryFailsAndKeepsItsFile)
{
    Library lib;
    lib.put(kThree);
    QFile::setPermissions(lib.dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool rootIgnoresPermissions = QFileInfo(lib.dir.path()).isWritable();
    if (!rootIgnoresPermissions) {
        EXPECT_FALSE(lib.file.RewriteLibrary({}));
        EXPECT_FALSE(lib.file.WriteLibraryEntry("Owl", 0, 1, 1));
        EXPECT_EQ(lib.bytes(), kThree);
    }
    QFile::setPermissions(lib.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(LibraryFile, OnlyALibraryIsEverWrittenAndALinkOnlyThroughToOne)
{
    Library lib;
    const QByteArray passwd = "root:x:0:0:root:/root:/bin/bash\n[not a section]\n";
    const QString other = lib.dir.filePath("passwd");
    putFile(other, passwd);
    const auto refusesAll = [&](const char* says) {
        EXPECT_FALSE(lib.file.WriteLibraryEntry("Cat", 0, 8, 6));
        EXPECT_TRUE(lib.file.lastError().contains(says)) << lib.file.lastError().toStdString();
        EXPECT_FALSE(lib.file.RewriteLibrary({{"Cat", "8X6", ""}}));
        EXPECT_FALSE(lib.file.renameEntry(1, "Dog"));
        QByteArray bytes;
        EXPECT_FALSE(lib.file.entryBytes("Cat", 0, 8, 6, bytes));
        EXPECT_FALSE(lib.file.whyNotWritable().isEmpty());
    };

    // A file of someone else's in the library's place, and a link to one.
    lib.put(passwd);
    refusesAll("not a puzzle library");
    EXPECT_EQ(lib.bytes(), passwd);
    QFile::remove(lib.path);
    ASSERT_TRUE(QFile::link(other, lib.path));
    refusesAll("is a link to");
    EXPECT_TRUE(QFileInfo(lib.path).isSymLink());
    EXPECT_EQ(fileBytes(other), passwd);

    // A link that names nothing is not followed to make a file there.
    QFile::remove(lib.path);
    const QString nowhere = lib.dir.filePath("nowhere/puzzle.ini");
    ASSERT_TRUE(QFile::link(nowhere, lib.path));
    refusesAll("does not exist");
    EXPECT_FALSE(QFileInfo::exists(nowhere));

    // A link to a real library is written through and stays a link; an
    // empty file in the library's place becomes one.
    QFile::remove(lib.path);
    const QString shared = lib.dir.filePath("shared.ini");
    putFile(shared, kThree);
    ASSERT_TRUE(QFile::link(shared, lib.path));
    EXPECT_TRUE(lib.file.whyNotWritable().isEmpty()) << lib.file.whyNotWritable().toStdString();
    ASSERT_TRUE(lib.file.WriteLibraryEntry("Owl", 0, 4, 3)) << lib.file.lastError().toStdString();
    EXPECT_TRUE(QFileInfo(lib.path).isSymLink());
    EXPECT_EQ(fileBytes(shared), kThree.left(kThree.indexOf("3")) + "4" + kThree.mid(kThree.indexOf("3") + 1)
                                     + "[Puzzle4]\r\nName=Owl\r\nSize=4 3\r\n");
    QFile::remove(lib.path);
    lib.put("");
    EXPECT_TRUE(lib.file.WriteLibraryEntry("Owl", 0, 4, 3));
    EXPECT_EQ(lib.file.count(), 1);
}

TEST(FirstStart, ListsTheShippedSampleWithItsGridAndThumbnailOnlyWhileThereIsNoLibrary)
{
    SuiteTree tree;
    const QString sample = tree.data("Sample.puz");
    LibraryFile lib(tree.folders.libraryFile);

    // A damaged sample is not listed, and no library is made for it.
    putFile(sample, "PU damaged");
    EXPECT_FALSE(library_start::listShippedSample(tree.folders));
    EXPECT_FALSE(QFileInfo::exists(lib.path()));

    ASSERT_TRUE(puzzle_file::writeFile(sample, testfiles::makePuzzle(6, 4, 48)));
    library_start::prepare(tree.folders);
    EXPECT_EQ(lib.readList(tree.folders.data),
              (std::vector<LibraryRecord>{{"Sample", "6X4", tree.data("Sample.bmp")}}));
    ToolkitBitmap thumb;
    ASSERT_TRUE(imaging::load(tree.data("Sample.bmp"), thumb, 0));
    EXPECT_EQ(thumb.image.size(), QSize(100, 66));
    EXPECT_EQ(tree.dataFiles(), (QStringList{"Sample.bmp", "Sample.puz"}));

    // Deleted by the user: the library exists, so it is never added again.
    ASSERT_TRUE(lib.RewriteLibrary({}));
    EXPECT_FALSE(library_start::listShippedSample(tree.folders));
    EXPECT_EQ(lib.count(), 0);

    // A thumbnail shipped beside it is kept as it is.
    QFile::remove(lib.path());
    putFile(tree.data("Sample.bmp"), "shipped");
    EXPECT_TRUE(library_start::listShippedSample(tree.folders));
    EXPECT_EQ(fileBytes(tree.data("Sample.bmp")), "shipped");
}
