#include "profile.h"

#include "file_write.h"
#include "full_disk.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {
struct ProfileFile {
    QTemporaryDir dir;
    QString path = dir.filePath("puzzle.ini");
    void put(const QByteArray& text)
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(text);
    }
    QByteArray bytes() const
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};
} // namespace

TEST(Profile, ReadsWithWindowsMatchingTrimmingAndDefaults)
{
    ProfileFile f;
    f.put("; a comment\r\n[Puzzles]\r\nCount = 3 \r\nName1=\"  Beach  \"\r\nName2= plain text \r\n"
          "Bad=12abc\r\nWord=abc\r\nNeg=-5\r\nEmpty=\r\n[other]\r\ncount=9\r\n");
    EXPECT_EQ(profile::readInt(f.path, "puzzles", "COUNT", 0), 3);
    EXPECT_EQ(profile::readInt(f.path, "Other", "Count", 0), 9);
    EXPECT_EQ(profile::readString(f.path, "Puzzles", "Name1"), "  Beach  ");
    EXPECT_EQ(profile::readString(f.path, "Puzzles", "Name2"), "plain text");
    EXPECT_EQ(profile::readString(f.path, "Puzzles", "Missing", "def"), "def");
    EXPECT_EQ(profile::readString(f.path, "Nowhere", "Name2", "def"), "def");
    EXPECT_EQ(profile::readString(f.path, "Puzzles", "Name2", "", 6), "plain");
    EXPECT_EQ(profile::readInt(f.path, "Puzzles", "Bad", 7), 12);
    EXPECT_EQ(profile::readInt(f.path, "Puzzles", "Word", 7), 0);
    EXPECT_EQ(profile::readInt(f.path, "Puzzles", "Neg", 7), -5);
    EXPECT_EQ(profile::readInt(f.path, "Puzzles", "Empty", 7), 7);
    EXPECT_EQ(profile::readInt(f.path, "Puzzles", "Missing", 7), 7);
    EXPECT_EQ(profile::readInt(f.path + "-none", "Puzzles", "Count", 4), 4);
    EXPECT_EQ(profile::sections(f.path), QStringList({"Puzzles", "other"}));
    EXPECT_EQ(profile::keys(f.path, "PUZZLES").size(), 7);
}

TEST(Profile, WriteReplacesOneKeyAndKeepsTheRest)
{
    ProfileFile f;
    f.put("; keep me\r\n[Puzzles]\r\nCOUNT=3\r\nName1=Beach\r\n\r\n[Other]\r\nx=1\r\n");
    ASSERT_TRUE(profile::writeString(f.path, "puzzles", "count", "4"));
    EXPECT_EQ(f.bytes(), QByteArray("; keep me\r\n[Puzzles]\r\nCOUNT=4\r\nName1=Beach\r\n\r\n[Other]\r\nx=1\r\n"));

    ASSERT_TRUE(profile::writeString(f.path, "Puzzles", "Name2", "Dunes"));
    EXPECT_EQ(profile::readString(f.path, "Puzzles", "Name2"), "Dunes");
    // The new key joins its section, ahead of the blank line that closes it.
    EXPECT_TRUE(f.bytes().contains("Name1=Beach\r\nName2=Dunes\r\n\r\n[Other]"));

    ASSERT_TRUE(profile::writeString(f.path, "New", "k", "v"));
    EXPECT_TRUE(f.bytes().endsWith("x=1\r\n[New]\r\nk=v\r\n"));

    ASSERT_TRUE(profile::deleteKey(f.path, "Puzzles", "NAME1"));
    EXPECT_EQ(profile::readString(f.path, "Puzzles", "Name1", "gone"), "gone");
    ASSERT_TRUE(profile::deleteSection(f.path, "other"));
    EXPECT_EQ(profile::sections(f.path), QStringList({"Puzzles", "New"}));
    EXPECT_EQ(profile::readInt(f.path, "Puzzles", "Count", 0), 4);
}

TEST(Profile, WriteCreatesAMissingFile)
{
    ProfileFile f;
    ASSERT_TRUE(profile::writeString(f.path, "Mail", "MailAdd0", "a@b.c"));
    EXPECT_EQ(f.bytes(), QByteArray("[Mail]\r\nMailAdd0=a@b.c\r\n"));
    EXPECT_FALSE(profile::writeString(f.dir.filePath("no/such/folder/x.ini"), "a", "b", "c"));
}

TEST(Profile, ASnapshotAnswersAsTheFileFunctions)
{
    ProfileFile f;
    QByteArray text = "[One]\r\nk=1\r\n[one]\r\nk=2\r\nj=3\r\n[Two]\r\nK = \"quoted\" \r\nn=12abc\r\n";
    text += QByteArray("[Three]\r\nz=\0after\r\n", 19);
    f.put(text);
    const profile::Snapshot s(f.path);
    for (const auto& [section, key] : {std::pair{"ONE", "k"}, {"one", "j"}, {"two", "k"}, {"Two", "n"},
                                       {"three", "z"}, {"Four", "x"}}) {
        EXPECT_EQ(s.readString(section, key, "def", 5), profile::readString(f.path, section, key, "def", 5));
        EXPECT_EQ(s.readInt(section, key, -1), profile::readInt(f.path, section, key, -1));
    }
    EXPECT_EQ(s.sections(), profile::sections(f.path));
    EXPECT_TRUE(s.hasSection("THREE"));
    EXPECT_FALSE(profile::Snapshot().hasSection("One"));
}

TEST(Profile, AWriteKeepsEveryOtherByteAndTheFilesOwnLineEnds)
{
    ProfileFile f;
    // LF lines, a Latin-1 comment and key the program never touches, and no
    // line end after the last line.
    const QByteArray before = "; caf\xe9\n[Recent File List]\nFile1=/a.puz\n[Other]\nna\xefve=\xff\xfe\nlast=1";
    f.put(before);
    ASSERT_TRUE(profile::writeString(f.path, "Recent File List", "File1", "/b.puz"));
    QByteArray expected = before;
    expected.replace("File1=/a.puz", "File1=/b.puz");
    EXPECT_EQ(f.bytes(), expected);
    // Writing the same again changes nothing: the file does not grow.
    ASSERT_TRUE(profile::writeString(f.path, "Recent File List", "File1", "/b.puz"));
    EXPECT_EQ(f.bytes(), expected);

    // New lines take the file's LF; the unterminated last line gets one first.
    ASSERT_TRUE(profile::writeString(f.path, "Other", "more", "2"));
    EXPECT_EQ(f.bytes(), expected + "\nmore=2\n");
    ASSERT_TRUE(profile::writeString(f.path, "Recent File List", "File2", "/c.puz"));
    EXPECT_TRUE(f.bytes().contains("File1=/b.puz\nFile2=/c.puz\n[Other]\nna\xefve=\xff\xfe\n"));
    ASSERT_TRUE(profile::deleteKey(f.path, "Recent File List", "File2"));
    EXPECT_EQ(f.bytes(), expected + "\nmore=2\n");
}

TEST(Profile, AFileThatCannotBeReadWholeIsNeitherReadNorOverwritten)
{
    ProfileFile f;
    // Over the size limit: a sparse file, so the test stays small on disk.
    f.put("[Recent File List]\r\nFile1=/a.puz\r\n");
    {
        QFile big(f.path);
        ASSERT_TRUE(big.open(QIODevice::ReadWrite));
        ASSERT_TRUE(big.resize(16 * 1024 * 1024 + 1));
    }
    EXPECT_EQ(profile::readString(f.path, "Recent File List", "File1", "none"), "none");
    EXPECT_FALSE(profile::writeString(f.path, "Recent File List", "File1", "/b.puz"));
    EXPECT_FALSE(profile::writeStrings(f.path, {{"Recent File List", "File1", "/b.puz"}}));
    EXPECT_FALSE(profile::deleteSection(f.path, "Recent File List"));
    EXPECT_EQ(QFileInfo(f.path).size(), 16 * 1024 * 1024 + 1);
    EXPECT_TRUE(f.bytes().startsWith("[Recent File List]\r\nFile1=/a.puz\r\n"));

    // A named pipe with no writer and a device: nothing hangs, nothing is written.
    const QString fifo = f.dir.filePath("pipe.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(profile::readString(fifo, "a", "b", "def"), "def");
    EXPECT_FALSE(profile::writeString(fifo, "a", "b", "c"));
    EXPECT_EQ(profile::readString("/dev/zero", "a", "b", "def"), "def");
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_FALSE(QFileInfo(fifo).isFile());
}

TEST(Profile, AWriteOnAFullDiskSaysSoAndKeepsTheFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("suite.ini");
    const QByteArray old = "[Suite]\r\nLanguage=1\r\n";
    const auto said = testfiles::onFullDisk(
        dir.path(),
        [&] {
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(old);
        },
        [&] {
            int error = 0;
            const bool written = profile::writeString(path, "Suite", "Language", "a longer value than before", &error);
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return QStringLiteral("%1|%2|%3|%4")
                .arg(written)
                .arg(file_write::reason(error), QString::fromUtf8(f.readAll()),
                     QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(' '));
        });
    if (!said)
        GTEST_SKIP() << "no mount namespace on this machine";
    EXPECT_EQ(said->toStdString(), "0|the disk is full|" + old.toStdString() + "|filler suite.ini");
}
