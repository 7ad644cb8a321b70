#include "puzzle_package.h"

#include "file_write.h"
#include "package.h"
#include "player_runtime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

namespace puzzle_package {

QString packagePath(const SuiteFolders& folders, const QString& name)
{
    return folders.data + name + QStringLiteral("Puz.run");
}

QStringList ownLibraries(const SuiteFolders& folders, const QString& program)
{
    QProcess ldd;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    ldd.setProcessEnvironment(env);
    ldd.start(QStringLiteral("ldd"), {program});
    if (!ldd.waitForFinished(30000) || ldd.exitCode() != 0)
        return {};
    const QString root = QFileInfo(folders.root).canonicalFilePath() + QLatin1Char('/');
    QStringList own;
    // Lines read "libname.so.1 => /path/libname.so.1 (0x...)".
    for (const QByteArray& line : ldd.readAllStandardOutput().split('\n')) {
        const qsizetype arrow = line.indexOf("=> /");
        if (arrow < 0)
            continue;
        QByteArray path = line.mid(arrow + 3);
        if (const qsizetype paren = path.lastIndexOf(" ("); paren >= 0)
            path.truncate(paren);
        const QString lib = QFileInfo(QFile::decodeName(path.trimmed())).canonicalFilePath();
        if (!lib.isEmpty() && lib.startsWith(root) && !own.contains(lib))
            own << lib;
    }
    return own;
}

QString strippedPlayer(const QString& player, const QString& folder)
{
    // A build with debug information carries megabytes the receiver never
    // uses and a mail server may refuse; without objcopy the player goes as it is.
    const QString objcopy = QStandardPaths::findExecutable(QStringLiteral("objcopy"));
    if (objcopy.isEmpty())
        return player;
    const QString stripped = folder + QStringLiteral("/TileMender");
    QProcess strip;
    strip.start(objcopy, {QStringLiteral("--strip-debug"), player, stripped});
    if (strip.waitForFinished(60000) && strip.exitStatus() == QProcess::NormalExit && strip.exitCode() == 0
        && QFileInfo(stripped).size() > 0)
        return stripped;
    strip.kill();
    strip.waitForFinished();
    QFile::remove(stripped);
    return player;
}

QString startScript(const SuiteFolders& folders)
{
    return folders.program + SelfExtractingArchive::stubName();
}

namespace {

// The start-up script's argument, which the package's header records.
QString kindWord(Kind kind)
{
    return kind == Kind::Full ? QStringLiteral("full") : QStringLiteral("lean");
}

} // namespace

Kind kindOf(const QString& path)
{
    const QByteArray word = kindWord(Kind::Full).toLatin1();
    return SelfExtractingArchive::headerOf(path).contains("\nscriptargs=\"" + word + "\"") ? Kind::Full : Kind::Lean;
}

} // namespace puzzle_package

bool packPuzzle(const SuiteFolders& folders, const QString& name, QString& packagePath, QString& error,
                puzzle_package::Kind kind)
{
    packagePath = puzzle_package::packagePath(folders, name);
    error.clear();
    if (QFileInfo(packagePath).isFile() && puzzle_package::kindOf(packagePath) == kind)
        return true;

    const QString puzzle = folders.data + name + QStringLiteral(".puz");
    const QString background = folders.program + QStringLiteral("TileMenderBk.JPG");
    const QString player = folders.program + QStringLiteral("TileMender");
    const QString finish = folders.program + QStringLiteral("finish.bmp");
    const QString sound = folders.program + QStringLiteral("app.wav");
    const QString script = puzzle_package::startScript(folders);
    const struct { QString path; const char* what; } needed[] = {
        {puzzle, "The puzzle file"},
        {background, "The player's background"},
        {finish, "The player's finish picture"},
        {sound, "The player's completion sound"},
        {player, "The player"},
        {script, "The package's start-up script"},
    };
    for (const auto& n : needed)
        if (!QFileInfo(n.path).isFile()) {
            error = QStringLiteral("%1 %2 is missing.").arg(QLatin1String(n.what), n.path);
            return false;
        }
    if (SelfExtractingArchive::findMakeself().isEmpty()) {
        error = QStringLiteral("makeself is not installed, so no package can be built. "
                               "Install it with: apt-get install makeself");
        return false;
    }

    // Every package carries its puzzle under one fixed name. The copy lives in
    // a folder of its own that goes away with it, whatever the result.
    QTemporaryDir copyDir(folders.data + QStringLiteral(".pack-XXXXXX"));
    if (!copyDir.isValid()) {
        error = QStringLiteral("Cannot write in %1: %2").arg(folders.data, copyDir.errorString());
        return false;
    }
    const QString copy = copyDir.filePath(QStringLiteral("Vorlin.puz"));
    if (const int e = package_files::copyFile(puzzle, copy)) {
        error = QStringLiteral("Cannot copy %1: %2.").arg(puzzle, file_write::reason(e));
        return false;
    }

    // The finish picture and the sound go in either kind: the player looks
    // for them beside itself.
    QStringList list{copy, background};
    QString runtime;
    if (kind == puzzle_package::Kind::Full && !player_runtime::prepare(player, {finish, sound}, runtime, error))
        return false;
    if (!runtime.isEmpty()) {
        // Under the one name the start-up script looks for.
        const QString named = copyDir.filePath(player_runtime::archiveName());
        if (::link(QFile::encodeName(runtime).constData(), QFile::encodeName(named).constData()) != 0) {
            if (const int e = package_files::copyFile(runtime, named)) {
                error = QStringLiteral("Cannot copy %1: %2.").arg(runtime, file_write::reason(e));
                return false;
            }
        }
        list << named;
    } else {
        list << finish << sound << puzzle_package::strippedPlayer(player, copyDir.path());
        list << puzzle_package::ownLibraries(folders, player);
    }

    SelfExtractingArchive archive;
    archive.SetStubIcon(QStringLiteral("Puzzle %1").arg(name));
    archive.SetStubFlag(SelfExtractingArchive::OpenTerminal, false);
    archive.SetStubFlag(SelfExtractingArchive::WaitAfterRun, false);
    archive.SetOutputFile(packagePath);
    archive.SetFileList(list.join(QStringLiteral("\r\n")));
    archive.SetStubModule(script);
    archive.SetPackageName(name);
    archive.SetScriptArgument(puzzle_package::kindWord(kind));
    // The runtime is xz already, the puzzle and background are JPEG.
    archive.SetCompressed(runtime.isEmpty());
    const short result = archive.CreateArchive(0);
    if (result >= 100) {
        error = QStringLiteral("Error #%1 while adding").arg(result);
        if (!archive.lastError().isEmpty())
            error += QLatin1Char('\n') + archive.lastError();
        return false;
    }
    return true;
}
