// Packing a puzzle with the real makeself in a throw-away install tree whose
// player is a script, and opening the package as a receiver would with sh.
#include "frontend_fixture.h"
#include "library_file.h"
#include "package.h"
#include "puzzle_package.h"
#include "message_box.h"
#include "vorlin_app.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

Outcome run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
           const QString& folder = QString())
{
    return runProgram(program, args, env, folder);
}

void putScript(const QString& path, const QByteArray& text)
{
    putFile(path, text);
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

// Sets PATH for one scope.
struct PathSetting {
    QByteArray old = qgetenv("PATH");
    explicit PathSetting(const QByteArray& path) { qputenv("PATH", path); }
    ~PathSetting() { qputenv("PATH", old); }
};

struct PackTree : SuiteTree {
    QTemporaryDir home;
    QByteArray puzzle = QByteArray("a puzzle's bytes\0\1\2", 19);

    PackTree()
    {
        putFile(data(QStringLiteral("Cat.puz")), puzzle);
        putFile(folders.program + QStringLiteral("TileMenderBk.JPG"), "background");
        putFile(folders.program + QStringLiteral("finish.bmp"), "finish picture");
        putFile(folders.program + QStringLiteral("app.wav"), "sound");
        // The player says what it was started on and where, and keeps a
        // saved game beside its puzzle.
        putScript(folders.program + QStringLiteral("TileMender"),
                  "#!/bin/sh\necho \"started on $1 in $(pwd)\"\necho game >> Vorlin0.sav\n");
        QFile::copy(QStringLiteral(PACKAGE_START_SCRIPT), folders.program + QStringLiteral("package_start.sh"));
    }
    // The receiver: its own data folder, an optional folder of fake tools first.
    QProcessEnvironment receiver(const QString& tools = QString()) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        // No desktop unless a test gives one: messages stay on standard error.
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (!tools.isEmpty())
            env.insert(QStringLiteral("PATH"), tools + QLatin1Char(':') + env.value(QStringLiteral("PATH")));
        return env;
    }
    QString received(const QString& name) const
    {
        return home.filePath(QStringLiteral("data/PuzzleSuite/Received/") + name);
    }
    QStringList everythingInData() const
    {
        return QDir(folders.data).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
};

const QStringList kPackaged{QStringLiteral("TileMender"), QStringLiteral("TileMenderBk.JPG"),
                            QStringLiteral("Vorlin.puz"), QStringLiteral("app.wav"),
                            QStringLiteral("finish.bmp"), QStringLiteral("package_start.sh")};

} // namespace

TEST(PuzzlePackage, BuiltOnceThenReusedAndNoCopyLeft)
{
    PackTree t;
    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    EXPECT_EQ(path, t.data(QStringLiteral("CatPuz.run")));
    EXPECT_EQ(t.everythingInData(), (QStringList{QStringLiteral("Cat.puz"), QStringLiteral("CatPuz.run")}));
    EXPECT_FALSE(QFile::exists(t.folders.program + QStringLiteral("Vorlin.puz")));

    // The second send builds nothing: it works without makeself and keeps
    // the package as it was, even when the puzzle has changed since.
    const QByteArray first = fileBytes(path);
    putFile(t.data(QStringLiteral("Cat.puz")), "changed");
    PathSetting noMakeself("/nonexistent");
    QString again;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), again, error)) << error.toStdString();
    EXPECT_EQ(again, path);
    EXPECT_EQ(fileBytes(path), first);
}

TEST(PuzzlePackage, FailedBuildLeavesNothingAndIsRetried)
{
    PackTree t;
    QTemporaryDir tools;
    // makeself passes on what gzip or tar said.
    putScript(tools.filePath(QStringLiteral("makeself")),
              "#!/bin/sh\necho 'gzip: stdout: No space left on device' >&2\nexit 1\n");
    QString path, error;
    {
        PathSetting broken(tools.path().toLocal8Bit() + ':' + qgetenv("PATH"));
        EXPECT_FALSE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error));
    }
    EXPECT_TRUE(error.startsWith(QStringLiteral("Error #%1 while adding").arg(int(SelfExtractingArchive::MakeselfFailed))))
        << error.toStdString();
    EXPECT_TRUE(error.endsWith(QStringLiteral("makeself failed: the disk is full"))) << error.toStdString();
    EXPECT_EQ(t.everythingInData(), QStringList{QStringLiteral("Cat.puz")});

    // Any other failure is told as it was.
    putScript(tools.filePath(QStringLiteral("makeself")), "#!/bin/sh\necho 'tar: files: Permission denied' >&2\nexit 2\n");
    {
        PathSetting broken(tools.path().toLocal8Bit() + ':' + qgetenv("PATH"));
        EXPECT_FALSE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error));
    }
    EXPECT_TRUE(error.endsWith(QStringLiteral("makeself failed: tar: files: Permission denied"))) << error.toStdString();

    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(path).isFile());
}

TEST(PuzzlePackage, ClearRefusalsWithoutAPackage)
{
    PackTree t;
    QString path, error;
    EXPECT_FALSE(packPuzzle(t.folders, QStringLiteral("Dog"), path, error));
    EXPECT_TRUE(error.contains(QStringLiteral("Dog.puz"))) << error.toStdString();

    {
        PathSetting noMakeself("/nonexistent");
        EXPECT_FALSE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error));
        EXPECT_TRUE(error.contains(QStringLiteral("makeself is not installed"))) << error.toStdString();
    }

    QFile::remove(t.folders.program + QStringLiteral("TileMender"));
    EXPECT_FALSE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error));
    EXPECT_TRUE(error.contains(QStringLiteral("player"))) << error.toStdString();
    EXPECT_EQ(t.everythingInData(), QStringList{QStringLiteral("Cat.puz")});
}

TEST(PuzzlePackage, UnwritableDataFolderIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere";
    PackTree t;
    QFile::setPermissions(t.folders.data, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QString path, error;
    EXPECT_FALSE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error));
    EXPECT_TRUE(error.contains(t.folders.data)) << error.toStdString();
    QFile::setPermissions(t.folders.data, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(t.everythingInData(), QStringList{QStringLiteral("Cat.puz")});
}

TEST(PuzzlePackage, ListedAndUnpackedWithMakeselfsOwnOptions)
{
    PackTree t;
    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    const QProcessEnvironment env = t.receiver();

    EXPECT_EQ(run(QStringLiteral("sh"), {path, QStringLiteral("--check")}, env).code, 0);
    const Outcome list = run(QStringLiteral("sh"), {path, QStringLiteral("--list")}, env);
    ASSERT_EQ(list.code, 0) << list.err.toStdString();
    for (const QString& f : kPackaged)
        EXPECT_TRUE(list.out.contains(f)) << f.toStdString();

    QTemporaryDir target;
    const Outcome unpack = run(QStringLiteral("sh"), {path, QStringLiteral("--noexec"), QStringLiteral("--target"), target.path()}, env);
    ASSERT_EQ(unpack.code, 0) << unpack.err.toStdString();
    QStringList got = QDir(target.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(got, kPackaged);
    EXPECT_EQ(fileBytes(target.filePath(QStringLiteral("Vorlin.puz"))), t.puzzle);
    EXPECT_FALSE(unpack.out.contains(QStringLiteral("started on")));
    EXPECT_FALSE(QFile::exists(t.received(QStringLiteral("Cat"))));
}

TEST(PuzzlePackage, ReceiverStartsThePlayerInALastingFolder)
{
    PackTree t;
    // A name that a shell would split or unquote.
    const QString name = QStringLiteral("Tom's $cat");
    putFile(t.data(name + QStringLiteral(".puz")), t.puzzle);
    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, name, path, error)) << error.toStdString();
    // Saved attachments lose their execute bit.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    const QString folder = t.received(name);
    // What an opening cut short left behind is cleared, not unpacked into.
    QDir().mkpath(folder + QStringLiteral("/.files.new"));
    QDir().mkpath(folder + QStringLiteral("/.runtime.new/lib"));
    putFile(folder + QStringLiteral("/.files.new/Vorlin.puz"), "half a puzzle");
    putFile(folder + QStringLiteral("/.runtime.new/lib/half.so"), "half a library");
    for (int i = 0; i < 2; ++i) {
        const Outcome r = run(QStringLiteral("sh"), {path}, t.receiver(), t.home.path());
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(QStringLiteral("started on %1/Vorlin.puz in %1").arg(folder))) << r.out.toStdString();
    }
    EXPECT_EQ(fileBytes(folder + QStringLiteral("/Vorlin.puz")), t.puzzle);
    // The game saved by the first run is still there for the second.
    EXPECT_EQ(fileBytes(folder + QStringLiteral("/Vorlin0.sav")), QByteArray("game\ngame\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
              (QStringList{QStringLiteral("TileMender"), QStringLiteral("TileMenderBk.JPG"), QStringLiteral("Vorlin.puz"),
                           QStringLiteral("Vorlin0.sav"), QStringLiteral("app.wav"), QStringLiteral("finish.bmp")}));
}

TEST(PuzzlePackage, ReceiverToldWhyAFileCouldNotBeCopied)
{
    PackTree t;
    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    QTemporaryDir tools;
    const QString cp = tools.filePath(QStringLiteral("cp"));
    putScript(cp, "#!/bin/sh\necho \"cp: error writing 'x': No space left on device\" >&2\nexit 1\n");
    Outcome r = run(QStringLiteral("sh"), {path}, t.receiver(tools.path()));
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral(": the disk is full.\n"))) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("started on")));

    putScript(cp, "#!/bin/sh\necho \"cp: cannot create regular file 'x': Permission denied\" >&2\nexit 1\n");
    r = run(QStringLiteral("sh"), {path}, t.receiver(tools.path()));
    EXPECT_NE(r.code, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral(": cp: cannot create regular file 'x': Permission denied\n")))
        << r.err.toStdString();
    // No half-copied file is left under a name.
    EXPECT_EQ(QDir(t.received(QStringLiteral("Cat"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
}

TEST(PuzzlePackage, MissingLibrariesNameTheDebianPackages)
{
    PackTree t;
    QString path, error;
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error)) << error.toStdString();
    QTemporaryDir tools;
    putScript(tools.filePath(QStringLiteral("ldd")),
              "#!/bin/sh\nprintf '\\tlibQt6Widgets.so.6 => not found\\n\\tlibc.so.6 => /lib/libc.so.6 (0x1)\\n"
              "\\tlibQt6Core.so.6 => not found\\n\\tlibfoo_bar2.so.1 => not found\\n'\n");
    const Outcome r = run(QStringLiteral("sh"), {path}, t.receiver(tools.path()));
    EXPECT_NE(r.code, 0);
    EXPECT_FALSE(r.out.contains(QStringLiteral("started on")));
    EXPECT_TRUE(r.err.contains(QStringLiteral("apt-get install libqt6widgets6 libqt6core6 libfoo-bar2-1\n")))
        << r.err.toStdString();
}

#ifdef VORLIN_CLI_DRIVER
TEST(PuzzlePackage, PackOnTheCommandLine)
{
    PackTree t;
    const QString program = t.folders.program + QStringLiteral("Vorlin");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORLIN_CLI_DRIVER), program));
    LibraryFile(t.folders.libraryFile).WriteLibraryEntry(QStringLiteral("Cat"), 0, 6, 8);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));

    // Names ignore case; the files take the library's spelling.
    const Outcome packed = run(program, {QStringLiteral("--pack"), QStringLiteral("cat")}, env);
    ASSERT_EQ(packed.code, 0) << packed.err.toStdString();
    EXPECT_EQ(packed.out, t.data(QStringLiteral("CatPuz.run")) + QLatin1Char('\n'));

    const Outcome unknown = run(program, {QStringLiteral("--pack"), QStringLiteral("Dog")}, env);
    EXPECT_EQ(unknown.code, 1);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("No puzzle named \"Dog\""))) << unknown.err.toStdString();
    EXPECT_EQ(run(program, {QStringLiteral("--pack")}, env).code, 2);
}
#endif

TEST(PuzzlePackage, PlayerTravelsWithoutDebugInformation)
{
    if (QStandardPaths::findExecutable(QStringLiteral("objcopy")).isEmpty())
        GTEST_SKIP() << "no objcopy";
    PackTree t;
    // This test program stands in for the player: built with debug information.
    const QString player = t.folders.program + QStringLiteral("TileMender");
    QFile::remove(player);
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), player));
    QString path, error;
    // The lean package carries the player file itself.
    ASSERT_TRUE(packPuzzle(t.folders, QStringLiteral("Cat"), path, error, puzzle_package::Kind::Lean))
        << error.toStdString();
    QTemporaryDir target;
    ASSERT_EQ(run(QStringLiteral("sh"), {path, QStringLiteral("--noexec"), QStringLiteral("--target"), target.path()},
                  t.receiver()).code, 0);
    const QString sent = target.filePath(QStringLiteral("TileMender"));
    EXPECT_TRUE(fileBytes(sent).startsWith("\x7f" "ELF"));
    EXPECT_LT(QFileInfo(sent).size(), QFileInfo(player).size());
    EXPECT_TRUE(QFileInfo(sent).isExecutable());
    // It still runs: the test program lists its cases.
    EXPECT_EQ(run(sent, {QStringLiteral("--gtest_list_tests")}, t.receiver()).code, 0);
}

// E-mail from the wizard or the load window: the package is built and lands
// in the mail program, or the user is told why not and nothing starts.
TEST(PuzzlePackage, EmailPuzzleHandsThePackageToTheMailProgram)
{
    PackTree t;
    CVorlinApp app(t.folders);
    QTemporaryDir tools;
    const QString args = tools.filePath(QStringLiteral("args.txt"));
    putScript(tools.filePath(QStringLiteral("thunderbird")),
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + args.toUtf8() + ".part' && mv '" + args.toUtf8() + ".part' '"
                  + args.toUtf8() + "'\n");
    // No desktop default (the machine's own desktop files out of sight): the
    // mail program is the first one installed.
    const char* const xdg[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"};
    std::vector<QByteArray> saved;
    for (const char* name : xdg) {
        saved.push_back(qgetenv(name));
        qputenv(name, t.home.filePath(QString::fromLatin1(name)).toUtf8());
    }
    {
        MessageBoxScript boxes;
        PathSetting noMakeself(tools.path().toUtf8());
        app.EmailPuzzle(QStringLiteral("Cat"), nullptr);
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_TRUE(boxes.calls()[0].text.contains(QStringLiteral("makeself"))) << boxes.calls()[0].text.toStdString();
        EXPECT_FALSE(app.busy);
        EXPECT_FALSE(QFile::exists(args));
    }
    {
        MessageBoxScript boxes;
        PathSetting withTools(tools.path().toUtf8() + ':' + qgetenv("PATH"));
        app.EmailPuzzle(QStringLiteral("Cat"), nullptr);
        EXPECT_TRUE(boxes.calls().empty());
        EXPECT_FALSE(app.busy);
        for (int i = 0; i < 3000 && fileBytes(args).isEmpty(); ++i)
            QThread::msleep(10);
        const QByteArray got = fileBytes(args);
        EXPECT_TRUE(got.startsWith("-compose\nattachment='file://")) << got.constData();
        EXPECT_TRUE(got.contains("CatPuz.run'")) << got.constData();
        EXPECT_TRUE(t.exists(QStringLiteral("CatPuz.run")));
    }
    for (size_t i = 0; i < std::size(xdg); ++i)
        saved[i].isNull() ? qunsetenv(xdg[i]) : qputenv(xdg[i], saved[i]);
}
