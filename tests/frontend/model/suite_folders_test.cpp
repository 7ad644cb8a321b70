// Where the user's files go: beside the programs in a tree the user may
// write (a user's own install), under the user's data folder when the
// program folder takes no new files (a system install). The command line is
// run as its own process on both kinds of tree.
#include "frontend_fixture.h"
#include "library_file.h"
#include "puzzle_file.h"
#include "test_files.h"

#include <QDirIterator>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

void setMode(const QString& path, mode_t mode) { ::chmod(QFile::encodeName(path).constData(), mode); }

// Every file under `folder`, relative to it.
QStringList filesUnder(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

// An install tree holding the command-line program and the shipped sample,
// and a data home of its own; `readOnly` makes the tree a system install's.
struct Install {
    QTemporaryDir dir;
    QString tree = dir.filePath(QStringLiteral("suite"));
    QString dataHome = dir.filePath(QStringLiteral("share"));
    QString program = tree + QStringLiteral("/Bin/Vorlin");
    QString picture = dir.filePath(QStringLiteral("photo.jpg"));

    explicit Install(bool readOnly)
    {
        QDir().mkpath(tree + QStringLiteral("/Bin"));
        QDir().mkpath(tree + QStringLiteral("/Data"));
        QDir().mkpath(dataHome);
        QFile::copy(QStringLiteral(VORLIN_CLI_DRIVER), program);
        puzzle_file::writeFile(tree + QStringLiteral("/Data/Sample.puz"), testfiles::makePuzzle(4, 3, 48));
        testfiles::patternImage(320, 240).save(picture, "jpeg", 90);
        if (readOnly)
            for (const char* folder : {"/Bin", "/Data", ""})
                setMode(tree + QLatin1String(folder), 0555);
    }
    ~Install()
    {
        // QTemporaryDir must be able to remove what is inside.
        for (const char* folder : {"", "/Bin", "/Data"})
            setMode(tree + QLatin1String(folder), 0755);
    }
    Outcome run(const QStringList& args) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(v));
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        return runProgram(program, args, env, dir.path());
    }
    QStringList make(const QString& name) const { return {QStringLiteral("--make"), picture, QStringLiteral("--name"), name}; }
};

} // namespace

TEST(SuiteFolders, AWritableTreeKeepsEverythingAndAReadOnlyOneSendsTheUsersFilesToTheDataHome)
{
    QTemporaryDir dir;
    const QString root = dir.filePath("Suite") + "/";
    QDir().mkpath(root + "Bin");
    const QString home = dir.filePath("share");

    const SuiteFolders own = SuiteFolders::fromProgramPath(root + "Bin/Vorlin", home);
    EXPECT_FALSE(own.systemInstall());
    EXPECT_EQ(own.userRoot, root);
    EXPECT_EQ(own.data, root + "Data/");
    EXPECT_EQ(own.libraryFile, root + "Bin/puzzle.ini");
    EXPECT_EQ(own.scratchPicture(), root + "Bin/Nuvark_Puzzle.JPG");

    setMode(root + "Bin", 0555);
    // A trailing "/" on the data home does not double the separator.
    const SuiteFolders system = SuiteFolders::fromProgramPath(root + "Bin/Vorlin", home + "/");
    setMode(root + "Bin", 0755);
    EXPECT_TRUE(system.systemInstall());
    const QString user = home + "/PuzzleSuite/";
    EXPECT_EQ(system.userRoot, user);
    EXPECT_EQ(system.data, user + "Data/");
    EXPECT_EQ(system.libraryFolder, user + "Bin/");
    EXPECT_EQ(system.libraryFile, user + "Bin/puzzle.ini");
    EXPECT_EQ(system.scratchPicture(), user + "Bin/Nuvark_Puzzle.JPG");
    // What ships stays where it was installed.
    EXPECT_EQ(system.program, root + "Bin/");
    EXPECT_EQ(system.shippedData, root + "Data/");
    EXPECT_EQ(system.helpFile, root + "Snapp'It.html");

    // A program folder not made yet is where Vorlin will make it.
    EXPECT_FALSE(SuiteFolders::fromProgramPath(dir.filePath("New/Bin/Vorlin"), home).systemInstall());
}

TEST(SuiteFolders, ASystemInstallListsMakesAndKeepsTheJournalInTheUsersFolder)
{
    Install install(true);
    const QStringList shipped = filesUnder(install.tree);
    const QString user = install.dataHome + "/PuzzleSuite/";

    const Outcome first = install.run({"--list"});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QRegularExpression("1  Sample +4X3 +yes +yes"))) << first.out.toStdString();
    // The sample was copied, so the player's saved game can go beside it.
    EXPECT_EQ(fileBytes(user + "Data/Sample.puz"), fileBytes(install.tree + "/Data/Sample.puz"));

    const Outcome made = install.run(install.make("Harbour"));
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_EQ(made.out.split('\n', Qt::SkipEmptyParts),
              (QStringList{user + "Data/Harbour.puz", user + "Data/Harbour.bmp", user + "Bin/puzzle.ini"}));
    const std::vector<LibraryRecord> list = LibraryFile(user + "Bin/puzzle.ini").readList(user + "Data/");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Sample");
    EXPECT_EQ(list[1].name, "Harbour");
    // No journal, staged file or lock is left in the program folder, and
    // nothing of the tree changed.
    EXPECT_EQ(filesUnder(install.tree), shipped);
    EXPECT_EQ(filesUnder(user),
              (QStringList{"Bin/Nuvark_Puzzle.JPG", "Bin/puzzle.ini", "Data/Harbour.bmp", "Data/Harbour.puz",
                           "Data/Sample.bmp", "Data/Sample.puz"}));

    // A user who deleted the sample does not get it back.
    ASSERT_TRUE(LibraryFile(user + "Bin/puzzle.ini").RewriteLibrary({}));
    const Outcome again = install.run({"--list"});
    EXPECT_TRUE(again.out.startsWith("No puzzles")) << again.out.toStdString();
}

TEST(SuiteFolders, AUsersOwnInstallWritesBesideItsProgramsAndLeavesTheDataHomeAlone)
{
    Install install(false);
    const Outcome first = install.run({"--list"});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QRegularExpression("1  Sample +4X3"))) << first.out.toStdString();
    const Outcome made = install.run(install.make("Harbour"));
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_EQ(made.out.split('\n', Qt::SkipEmptyParts),
              (QStringList{install.tree + "/Data/Harbour.puz", install.tree + "/Data/Harbour.bmp",
                           install.tree + "/Bin/puzzle.ini"}));
    EXPECT_TRUE(filesUnder(install.dataHome).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(install.dataHome + "/PuzzleSuite"));
}
