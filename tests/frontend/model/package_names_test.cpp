// Names a shell would run, split or mangle, on the whole journey of a
// puzzle: made and packed by the real command line in a throw-away install
// tree, then opened with sh by a receiver with a home of its own. The
// player in the tree is a script that records how it was started.
#include "frontend_fixture.h"
#include "package.h"
#include "puzzle_package.h"
#include "test_files.h"

#include <QDirIterator>

#include <gtest/gtest.h>

#include <ostream>

// Failures name the puzzle name as it reads.
inline void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace {

// Between them every character a name may hold that a shell, printf or a
// URL reads as more than text.
const QStringList kNames{
    QStringLiteral("$(touch P)"), QStringLiteral("a\"b'c"),   QStringLiteral("`touch Q`;&|"),
    QStringLiteral("*~%!x"),      QStringLiteral("-lead"),    QStringLiteral("Łódź ünï"),
};

void putScript(const QString& path, const QByteArray& text)
{
    putFile(path, text);
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Files anywhere below `folder` that a name's commands would have made.
QStringList madeByANameBelow(const QString& folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (const QString f = it.next(); QFileInfo(f).fileName() == QLatin1String("P")
                                         || QFileInfo(f).fileName() == QLatin1String("Q"))
            found << f;
    return found;
}

struct Journey {
    SuiteTree tree;
    QTemporaryDir sender;   // where the sender runs Vorlin from
    QTemporaryDir receiver; // the receiver's home, and where it runs sh from
    QString vorlin = tree.folders.program + QStringLiteral("Vorlin");

    Journey()
    {
#ifdef VORLIN_CLI_DRIVER
        QFile::copy(QStringLiteral(VORLIN_CLI_DRIVER), vorlin);
#endif
        testfiles::patternImage(320, 240).save(tree.dir.filePath(QStringLiteral("photo.jpg")), "jpeg", 90);
        putFile(tree.folders.program + QStringLiteral("TileMenderBk.JPG"), "background");
        putFile(tree.folders.program + QStringLiteral("finish.bmp"), "finish");
        putFile(tree.folders.program + QStringLiteral("app.wav"), "sound");
        putScript(tree.folders.program + QStringLiteral("TileMender"),
                  "#!/bin/sh\n{ printf '%s\\n' \"$@\"; pwd; } > \"$PLAYER_RECORD\"\n");
        QFile::copy(QStringLiteral(PACKAGE_START_SCRIPT), tree.folders.program + QStringLiteral("package_start.sh"));
        for (const char* f : {"home", "here", "tmp"})
            QDir().mkpath(receiver.filePath(QString::fromLatin1(f)));
    }
    Outcome vorlinRun(const QStringList& args) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(v));
        return runProgram(vorlin, args, env, sender.path());
    }
    Outcome open(const QString& package, const QStringList& args = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), receiver.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), receiver.filePath(QStringLiteral("home/data")));
        env.insert(QStringLiteral("TMPDIR"), receiver.filePath(QStringLiteral("tmp")));
        env.insert(QStringLiteral("PLAYER_RECORD"), receiver.filePath(QStringLiteral("player.txt")));
        env.remove(QStringLiteral("DISPLAY"));
        return runProgram(QStringLiteral("sh"), QStringList{package} + args, env, receiver.filePath(QStringLiteral("here")));
    }
    QString received(const QString& name) const
    {
        return receiver.filePath(QStringLiteral("home/data/PuzzleSuite/Received/") + name);
    }
};

// sh -n on the package's header: the payload after it is no shell text.
Outcome parseHeader(const QString& package, const QString& folder)
{
    const QString header = folder + QStringLiteral("/header.sh");
    putFile(header, SelfExtractingArchive::headerOf(package));
    return runProgram(QStringLiteral("sh"), {QStringLiteral("-n"), header});
}

class PackageNames : public ::testing::TestWithParam<QString> {};

} // namespace

#ifdef VORLIN_CLI_DRIVER
TEST_P(PackageNames, NameStaysTextFromMakingToPlaying)
{
    const QString name = GetParam();
    Journey j;
    const Outcome made = j.vorlinRun({QStringLiteral("--make"), j.tree.dir.filePath(QStringLiteral("photo.jpg")),
                                      QStringLiteral("--name"), name, QStringLiteral("--yes")});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    const Outcome packed = j.vorlinRun({QStringLiteral("--pack"), name});
    ASSERT_EQ(packed.code, 0) << packed.err.toStdString();
    const QString package = j.tree.data(name + QStringLiteral("Puz.run"));
    EXPECT_EQ(packed.out, package + QLatin1Char('\n'));

    // The sender's side: its own files and nothing else, anywhere.
    EXPECT_TRUE(entries(j.sender.path()).isEmpty()) << entries(j.sender.path()).join(' ').toStdString();
    EXPECT_EQ(entries(j.tree.folders.data),
              (QStringList{name + QStringLiteral(".bmp"), name + QStringLiteral(".puz"), name + QStringLiteral("Puz.run")}));
    EXPECT_TRUE(madeByANameBelow(j.tree.dir.path()).isEmpty());
    const Outcome parsed = parseHeader(package, j.receiver.path());
    EXPECT_EQ(parsed.code, 0) << parsed.err.toStdString();

    // The receiver saved the attachment, execute bit lost.
    const QString saved = j.receiver.filePath(QStringLiteral("home/") + name + QStringLiteral("Puz.run"));
    ASSERT_TRUE(QFile::copy(package, saved));
    QFile::setPermissions(saved, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    const Outcome info = j.open(saved, {QStringLiteral("--info")});
    ASSERT_EQ(info.code, 0) << info.err.toStdString();
    EXPECT_TRUE(info.out.contains(QStringLiteral("Identification: Puzzle %1\n").arg(name))) << info.out.toStdString();
    const Outcome list = j.open(saved, {QStringLiteral("--list")});
    ASSERT_EQ(list.code, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.contains(QStringLiteral("./Vorlin.puz")) && list.out.contains(QStringLiteral("./TileMender")));
    const Outcome check = j.open(saved, {QStringLiteral("--check")});
    EXPECT_EQ(check.code, 0) << check.err.toStdString();
    const QString target = j.receiver.filePath(QStringLiteral("tmp/unpacked"));
    const Outcome unpacked = j.open(saved, {QStringLiteral("--noexec"), QStringLiteral("--target"), target});
    ASSERT_EQ(unpacked.code, 0) << unpacked.err.toStdString();
    EXPECT_EQ(fileBytes(target + QStringLiteral("/Vorlin.puz")), fileBytes(j.tree.data(name + QStringLiteral(".puz"))));
    EXPECT_FALSE(QFile::exists(j.receiver.filePath(QStringLiteral("player.txt"))));

    const Outcome played = j.open(saved);
    ASSERT_EQ(played.code, 0) << played.err.toStdString();
    EXPECT_TRUE(played.out.contains(QStringLiteral("Uncompressing Puzzle %1").arg(name))) << played.out.toStdString();
    // Its standard error has the progress, and no complaint of printf's.
    EXPECT_FALSE(played.err.contains(QStringLiteral("printf")) || played.err.contains(QStringLiteral("rror")))
        << played.err.toStdString();
    const QString folder = j.received(name);
    EXPECT_EQ(entries(j.receiver.filePath(QStringLiteral("home/data/PuzzleSuite/Received"))), QStringList{name});
    EXPECT_EQ(fileBytes(folder + QStringLiteral("/Vorlin.puz")), fileBytes(j.tree.data(name + QStringLiteral(".puz"))));
    EXPECT_EQ(QString::fromUtf8(fileBytes(j.receiver.filePath(QStringLiteral("player.txt")))),
              folder + QStringLiteral("/Vorlin.puz\n") + folder + QLatin1Char('\n'));

    // Nothing ran on the receiver's side either.
    EXPECT_TRUE(entries(j.receiver.filePath(QStringLiteral("here"))).isEmpty());
    EXPECT_TRUE(madeByANameBelow(j.receiver.path()).isEmpty()) << madeByANameBelow(j.receiver.path()).join(' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Names, PackageNames, ::testing::ValuesIn(kNames),
                         [](const ::testing::TestParamInfo<QString>& info) {
                             return "name" + std::to_string(info.index);
                         });
#endif

// A makeself whose header prints the title some other way than the one the
// packer knows: its header is kept, and the title still only shows.
TEST(PackageNames, UnknownMakeselfHeaderStillKeepsTheTitleText)
{
    const QString makeself = SelfExtractingArchive::findMakeself();
    ASSERT_FALSE(makeself.isEmpty());
    QTemporaryDir tools;
    const QString header = tools.filePath(QStringLiteral("other-header.sh"));
    QByteArray text = fileBytes(QStringLiteral("/usr/share/makeself/makeself-header.sh"));
    if (text.isEmpty())
        GTEST_SKIP() << "makeself keeps its header elsewhere";
    text.replace("MS_Printf \"Uncompressing \\$label\"", "MS_Printf \"Unpacking \\$label\"");
    putFile(header, text);
    QByteArray script = fileBytes(makeself);
    script.replace("HEADER=/usr/share/makeself/makeself-header.sh", "HEADER=" + header.toUtf8());
    putScript(tools.filePath(QStringLiteral("makeself")), script);

    Journey j;
    const QString name = QStringLiteral("50% $(touch P)");
    putFile(j.tree.data(name + QStringLiteral(".puz")), "puzzle");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(tools.path()) + ':' + path);
    QString package, error;
    const bool built = packPuzzle(j.tree.folders, name, package, error);
    qputenv("PATH", path);
    ASSERT_TRUE(built) << error.toStdString();

    EXPECT_EQ(parseHeader(package, j.receiver.path()).code, 0);
    const Outcome played = j.open(package);
    ASSERT_EQ(played.code, 0) << played.err.toStdString();
    EXPECT_TRUE(played.out.contains(QStringLiteral("Unpacking Puzzle 50% $(touch P)"))) << played.out.toStdString();
    // echo shows what printf needed.
    EXPECT_TRUE(j.open(package, {QStringLiteral("--info")}).out.contains(QStringLiteral("Puzzle 50%% $(touch P)")));
    EXPECT_TRUE(madeByANameBelow(j.receiver.path()).isEmpty());
}
