#include "profile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

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
    f.put("; keep me\n[Puzzles]\nCOUNT=3\nName1=Beach\n\n[Other]\nx=1\n");
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

TEST(Profile, AFileThatCannotBeReadIsNeverReplaced)
{
    ProfileFile f;
    // Too large to be a profile: writes fail and keep it whole.
    QByteArray huge = "[a]\r\nk=v\r\n";
    huge += QByteArray(17 * 1024 * 1024, ';');
    f.put(huge);
    EXPECT_EQ(profile::readString(f.path, "a", "k", "none"), "none");
    EXPECT_FALSE(profile::writeString(f.path, "a", "k", "w"));
    EXPECT_FALSE(profile::writeStrings(f.path, {{"a", "k", "w"}}));
    EXPECT_FALSE(profile::deleteKey(f.path, "a", "k"));
    EXPECT_FALSE(profile::deleteSection(f.path, "a"));
    EXPECT_EQ(f.bytes().size(), huge.size());

    // A folder in the file's place.
    const QString folder = f.dir.filePath("folder.ini");
    QDir().mkpath(folder);
    EXPECT_FALSE(profile::writeString(folder, "a", "k", "v"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
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
