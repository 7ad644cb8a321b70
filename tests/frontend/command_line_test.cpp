// Vorlin --make run as its own process in a throw-away install tree, with no
// display: exit codes, what it prints, what it writes.
#include "command_line.h"
#include "frontend_fixture.h"
#include "library_file.h"
#include "puzzle_file.h"
#include "test_files.h"

#include <QProcess>

#include <gtest/gtest.h>

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
    Outcome run(const QStringList& args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // No display of any kind: the command line must not need one.
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(v));
        return runProgram(program, args, env);
    }
    QStringList make(const QString& name) const
    {
        return {QStringLiteral("--make"), picture, QStringLiteral("--name"), name};
    }
};

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
