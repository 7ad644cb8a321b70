// Vorlin --make run as its own process in a throw-away install tree, with no
// display: exit codes, what it prints, what it writes.
#include "command_line.h"
#include "frontend_fixture.h"
#include "library_file.h"
#include "puzzle_file.h"
#include "test_files.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <optional>

#include <unistd.h>

namespace {

struct Cli {
    SuiteTree tree;
    QString program = tree.folders.program + QStringLiteral("Vorlin");
    QString picture = tree.dir.filePath(QStringLiteral("photo.jpg"));

    Cli()
    {
        QFile::copy(QStringLiteral(VORLIN_CLI_DRIVER), program);
        testfiles::patternImage(640, 480).save(picture, "jpeg", 90);
    }
    Outcome run(const QStringList& args, int killAfterStep = 0)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // No display of any kind: the command line must not need one.
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(v));
        if (killAfterStep > 0)
            env.insert(QStringLiteral("SUITE_TEST_KILL_AFTER_STEP"), QString::number(killAfterStep));
        return runProgram(program, args, env);
    }
    QStringList make(const QString& name) const
    {
        return {QStringLiteral("--make"), picture, QStringLiteral("--name"), name};
    }
};

// Every file of the install tree that a make may change, by its path in the
// tree: all of Data and Bin but the program, the scratch picture and the
// lock a killed writer leaves (the next writer takes it over).
using Files = std::map<QString, QByteArray>;

Files filesOf(const SuiteTree& tree)
{
    Files out;
    const QDir root(tree.folders.root);
    for (const QString& folder : {tree.folders.data, tree.folders.program}) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = it.fileName();
            if (name != "Vorlin" && name != "Nuvark_Puzzle.JPG" && name != "puzzle.ini.lock")
                out[root.relativeFilePath(path)] = fileBytes(path);
        }
    }
    return out;
}

void restore(const SuiteTree& tree, const Files& files)
{
    for (const auto& [path, bytes] : filesOf(tree))
        QFile::remove(tree.folders.root + path);
    for (const auto& [path, bytes] : files)
        putFile(tree.folders.root + path, bytes);
}

QString names(const Files& files)
{
    QStringList out;
    for (const auto& [path, bytes] : files)
        out << path + "(" + QString::number(bytes.size()) + ")";
    return out.join(' ');
}

// What the kills of one make left behind.
struct Kills {
    int kills = 0;
    int leftOld = 0;      // the old files untouched
    int leftNew = 0;      // the new files all in place
    int finishedNext = 0; // cut off after its journal; the next start finished it
};

// Runs `args` once per step of its writes, killed right after that step,
// each time from `before`; after every kill the next start (--list) must
// show exactly `before` or exactly `after`, and `check` sees which.
Kills killAtEveryStep(Cli& cli, const QStringList& args, const Files& before, const Files& after,
                      const std::function<void(bool isNew)>& check)
{
    Kills k;
    for (int step = 1; step < 1000; ++step) {
        restore(cli.tree, before);
        const Outcome r = cli.run(args, step);
        if (r.code == 0) {
            EXPECT_EQ(filesOf(cli.tree), after) << "the make that ran to its end";
            return k;
        }
        EXPECT_EQ(r.code, -2) << "step " << step << ": " << r.err.toStdString();
        ++k.kills;
        const Files left = filesOf(cli.tree);
        const bool journal = left.count("Bin/puzzle.ini.pending") > 0;
        const Outcome list = cli.run({"--list"});
        EXPECT_EQ(list.code, 0) << list.err.toStdString();
        const Files next = filesOf(cli.tree);
        if (next == before) {
            EXPECT_FALSE(journal) << "step " << step;
            ++k.leftOld;
        } else if (next == after) {
            ++(journal ? k.finishedNext : k.leftNew);
        } else {
            ADD_FAILURE() << "step " << step << " left " << names(left).toStdString() << "\nand the next start "
                          << names(next).toStdString();
            return k;
        }
        check(next == after);
    }
    ADD_FAILURE() << "the make never ran to its end";
    return k;
}

void report(const char* what, const Kills& k)
{
    std::cout << what << ": " << k.kills << " kills; " << k.leftOld << " left the old files, " << k.leftNew
              << " the new ones, " << k.finishedNext << " were finished by the next start\n";
}

} // namespace

TEST(CommandLine, WantsItOnlyWithArguments)
{
    char prog[] = "Vorlin";
    char arg[] = "--help";
    char* one[] = {prog, nullptr};
    char* two[] = {prog, arg, nullptr};
    EXPECT_FALSE(wantsCommandLine(1, one));
    EXPECT_TRUE(wantsCommandLine(2, two));
}

TEST(CommandLine, MakesAPuzzleAndPrintsTheFilesItWrote)
{
    Cli cli;
    const Outcome r = cli.run(cli.make("Beach"));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    EXPECT_EQ(r.out.split('\n', Qt::SkipEmptyParts),
              (QStringList{cli.tree.data("Beach.puz"), cli.tree.data("Beach.bmp"), cli.tree.folders.libraryFile}));
    PuzzleFileData d;
    ASSERT_EQ(puzzle_file::readFile(cli.tree.data("Beach.puz"), d), puzzle_file::ReadResult::Ok);
    // Normal by default, rotation allowed.
    EXPECT_EQ(d.columns, 8);
    EXPECT_EQ(d.rows, 6);
    EXPECT_EQ(d.rotationAllowed, 1);

    // The same name again: refused without --yes, nothing changed.
    const QByteArray before = fileBytes(cli.tree.data("Beach.puz"));
    const Outcome again = cli.run(cli.make("beach") << "--level" << "hard");
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.err.contains("--yes")) << again.err.toStdString();
    EXPECT_TRUE(again.out.isEmpty());
    EXPECT_EQ(fileBytes(cli.tree.data("Beach.puz")), before);

    const Outcome yes = cli.run(cli.make("beach") << "--level" << "hard" << "--yes" << "--no-rotation");
    ASSERT_EQ(yes.code, 0) << yes.err.toStdString();
    EXPECT_EQ(cli.tree.dataFiles(), (QStringList{"beach.bmp", "beach.puz"}));
    ASSERT_EQ(puzzle_file::readFile(cli.tree.data("beach.puz"), d), puzzle_file::ReadResult::Ok);
    EXPECT_EQ(d.columns, 13);
    EXPECT_EQ(d.rotationAllowed, 0);
    EXPECT_EQ(LibraryFile(cli.tree.folders.libraryFile).count(), 1);
}

TEST(CommandLine, RowsAreTheCustomLevelAsItsButtonsLeaveIt)
{
    Cli cli;
    const Outcome r = cli.run(cli.make("Fine") << "--rows" << "15");
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    PuzzleFileData d;
    ASSERT_EQ(puzzle_file::readFile(cli.tree.data("Fine.puz"), d), puzzle_file::ReadResult::Ok);
    EXPECT_EQ(d.columns, 20);
    EXPECT_EQ(d.rows, 15);
    EXPECT_EQ(d.cellSize, 32);

    ASSERT_EQ(cli.run(cli.make("Start") << "--rows" << "7").code, 0);
    ASSERT_EQ(puzzle_file::readFile(cli.tree.data("Start.puz"), d), puzzle_file::ReadResult::Ok);
    EXPECT_EQ(d.cellSize, 64);
    EXPECT_EQ(d.columns, 10);

    for (const char* rows : {"16", "3", "0", "-2"}) {
        const Outcome bad = cli.run(cli.make("Bad") << "--rows" << rows);
        EXPECT_EQ(bad.code, 1) << rows;
        EXPECT_TRUE(bad.err.contains("cannot show")) << bad.err.toStdString();
    }
    EXPECT_FALSE(cli.tree.exists("Bad.puz"));
}

TEST(CommandLine, RefusalsExitNonZeroWithAReason)
{
    Cli cli;
    putFile(cli.tree.dir.filePath("broken.jpg"), QByteArray(1000, 'x'));
    const struct {
        QStringList args;
        int code;
        const char* says;
    } cases[] = {
        {{"--make", cli.tree.dir.filePath("broken.jpg"), "--name", "A"}, 1, "Cannot read"},
        {{"--make", cli.tree.dir.filePath("none.jpg"), "--name", "A"}, 1, "does not exist"},
        {cli.make(""), 1, "name"},
        {cli.make("ThirteenChars"), 1, "12 characters"},
        {cli.make("a/b"), 1, "\"/\""},
        {cli.make("A") << "--level" << "extreme", 2, "Unknown level"},
        {cli.make("A") << "--level" << "easy" << "--rows" << "5", 2, "--rows"},
        {cli.make("A") << "--rows" << "many", 2, "--rows"},
        {cli.make("A") << "--colour", 2, "Unknown option"},
        {{"--make", cli.picture}, 2, "--name"},
        {{"--name", "A"}, 2, "Unknown option"},
        {{"--frobnicate"}, 2, "Unknown option"},
        {{"--make"}, 2, "picture"},
    };
    for (const auto& c : cases) {
        const Outcome r = cli.run(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromLatin1(c.says))) << r.err.toStdString();
        EXPECT_EQ(c.code == 2, r.err.contains("Usage:")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_TRUE(cli.tree.dataFiles().isEmpty());
    EXPECT_FALSE(QFile::exists(cli.tree.folders.libraryFile));
}

TEST(CommandLine, HelpPrintsTheUsage)
{
    Cli cli;
    const Outcome r = cli.run({"--help"});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith("Usage: Vorlin --make PICTURE --name NAME"));
    EXPECT_TRUE(r.err.isEmpty());
}

TEST(CommandLine, AMakeKilledAtAnyStepLeavesTheOldPuzzleOrTheNewOneWhole)
{
    Cli cli;
    // Small, so that each of the many runs is quick.
    testfiles::patternImage(200, 150).save(cli.picture, "jpeg", 90);

    // Replacing Cat (2 x 1 pieces) by a harder Cat (4 x 3) with --yes; its
    // saved game goes with the old puzzle.
    ASSERT_EQ(cli.run(cli.make("Cat") << "--level" << "easy").code, 0);
    putFile(cli.tree.data("Cat0.sav"), "SA02 old game");
    const Files oldCat = filesOf(cli.tree);
    const QStringList remake = cli.make("Cat") << "--level" << "hard" << "--yes";
    ASSERT_EQ(cli.run(remake).code, 0);
    const Files newCat = filesOf(cli.tree);
    ASSERT_EQ(newCat.count("Data/Cat0.sav"), 0u);
    ASSERT_NE(newCat.at("Data/Cat.puz"), oldCat.at("Data/Cat.puz"));
    ASSERT_NE(newCat.at("Bin/puzzle.ini"), oldCat.at("Bin/puzzle.ini"));
    const Kills replaced = killAtEveryStep(cli, remake, oldCat, newCat, [](bool) {});
    report("replacing Cat", replaced);

    // Adding Eel beside Cat; after each kill, a make of Eel asks first
    // exactly when an Eel is there.
    const QStringList add = cli.make("Eel");
    restore(cli.tree, newCat);
    ASSERT_EQ(cli.run(add).code, 0);
    const Files withEel = filesOf(cli.tree);
    ASSERT_EQ(withEel.count("Data/Eel.bmp"), 1u);
    const Kills added = killAtEveryStep(cli, add, newCat, withEel, [&](bool isNew) {
        const Outcome again = cli.run(add);
        EXPECT_EQ(again.code, isNew ? 1 : 0) << again.err.toStdString();
        EXPECT_EQ(again.err.contains("--yes"), isNew) << again.err.toStdString();
    });
    report("adding Eel", added);

    for (const Kills& k : {replaced, added}) {
        EXPECT_GE(k.kills, 20);
        EXPECT_GT(k.leftOld, 0);
        EXPECT_GT(k.finishedNext, 0);
    }
}

namespace {

// Runs the command line in a mount namespace of its own in which the folder
// `full` is a small file system filled to its last byte; `setup` runs there
// first (as sh, with $F the full folder). Nothing when this machine allows
// no mount namespace, as for a user without root where user namespaces are
// off: the caller skips.
std::optional<Outcome> runOnFullDisk(Cli& cli, const QString& full, const QString& setup, const QStringList& args)
{
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty())
        return std::nullopt;
    const QStringList how{::geteuid() == 0 ? QStringLiteral("-m") : QStringLiteral("-rm")};
    if (runProgram(unshare, how + QStringList{"sh", "-c", "mount -t tmpfs -o size=64k tmpfs \"$0\"", full}).code != 0)
        return std::nullopt;
    const QString script = QStringLiteral(
                               "F=$1; shift\n"
                               "mount -t tmpfs -o size=64k tmpfs \"$F\" || exit 77\n"
                               "head -c 1048576 /dev/zero > \"$F/filler\" 2>/dev/null\n"
                               "%1\n"
                               "\"$@\"; rc=$?\n"
                               "echo '--- left:'; ls -A \"$F\"\n"
                               "exit $rc\n")
                               .arg(setup);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    const Outcome r = runProgram(unshare, how + QStringList{"sh", "-c", script, "sh", full, cli.program} + args, env);
    if (r.code == 77)
        return std::nullopt;
    return r;
}

} // namespace

TEST(CommandLine, AFullDiskIsSaidToBeFullAndNothingIsLeftHalfWritten)
{
    Cli cli;
    testfiles::patternImage(200, 150).save(cli.picture, "jpeg", 90);
    // The puzzle's folder is full: the first of its files says so, and the
    // library is not touched.
    const auto data = runOnFullDisk(cli, cli.tree.folders.data, QString(), cli.make("Cat"));
    if (!data)
        GTEST_SKIP() << "no mount namespace on this machine";
    EXPECT_EQ(data->code, 1) << data->err.toStdString();
    EXPECT_TRUE(data->err.contains(QStringLiteral("Cannot write the thumbnail \"%1\": the disk is full.")
                                       .arg(cli.tree.data("Cat.bmp"))))
        << data->err.toStdString();
    EXPECT_TRUE(data->out.endsWith("--- left:\nfiller\n")) << data->out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(cli.tree.folders.libraryFile));
    EXPECT_EQ(QDir(cli.tree.folders.program).entryList(QDir::Files),
              (QStringList{"Nuvark_Puzzle.JPG", "Vorlin"}));

    // The scratch picture lies on a full disk: the same, for the picture
    // the puzzle is made from.
    const QString scratch = cli.tree.folders.scratchPicture();
    const QString full = cli.tree.dir.filePath("full");
    QDir().mkpath(full);
    const auto bound = runOnFullDisk(cli, full,
                                     QStringLiteral(": > \"$F/scratch\"; touch '%1'; mount --bind \"$F/scratch\" '%1' || exit 77")
                                         .arg(scratch),
                                     cli.make("Cat"));
    ASSERT_TRUE(bound);
    EXPECT_EQ(bound->code, 1);
    EXPECT_TRUE(bound->err.contains(QStringLiteral("Cannot write the scratch picture \"%1\": the disk is full.").arg(scratch)))
        << bound->err.toStdString();
    EXPECT_TRUE(cli.tree.dataFiles().isEmpty());
}

TEST(CommandLine, AFirstStartListsTheShippedSampleAndADeletedOneStaysDeleted)
{
    Cli cli;
    puzzle_file::writeFile(cli.tree.data("Sample.puz"), testfiles::makePuzzle(4, 3, 48));
    const Outcome first = cli.run({"--list"});
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QRegularExpression("1  Sample +4X3 +yes +yes"))) << first.out.toStdString();

    ASSERT_TRUE(LibraryFile(cli.tree.folders.libraryFile).RewriteLibrary({}));
    EXPECT_TRUE(cli.run({"--list"}).out.startsWith("No puzzles"));
}

TEST(CommandLine, ALibraryLinkedToAnotherFileIsNeitherWrittenNorListed)
{
    Cli cli;
    testfiles::patternImage(200, 150).save(cli.picture, "jpeg", 90);
    const QString passwd = cli.tree.dir.filePath("passwd");
    const QByteArray users = "root:x:0:0:root:/root:/bin/bash\n";
    putFile(passwd, users);
    ASSERT_TRUE(QFile::link(passwd, cli.tree.folders.libraryFile));

    const Outcome made = cli.run(cli.make("Cat"));
    EXPECT_EQ(made.code, 1);
    EXPECT_TRUE(made.err.contains(QStringLiteral("\"%1\" is a link to \"%2\", which is not a puzzle library")
                                      .arg(cli.tree.folders.libraryFile, passwd)))
        << made.err.toStdString();
    const Outcome listed = cli.run({"--list"});
    EXPECT_EQ(listed.code, 1);
    EXPECT_TRUE(listed.err.contains("not a puzzle library")) << listed.err.toStdString();
    EXPECT_EQ(fileBytes(passwd), users);
    EXPECT_TRUE(QFileInfo(cli.tree.folders.libraryFile).isSymLink());
    EXPECT_TRUE(cli.tree.dataFiles().isEmpty());
}
