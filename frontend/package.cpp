#include "package.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// makeself only archives a folder; a hard link costs nothing, a copy is
// needed across file systems.
bool placeFile(const QString& from, const QString& to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    return QFile::copy(from, to);
}

// A value the start-up script reads as one word whatever it holds.
QByteArray shellQuoted(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace("'", "'\\''");
    return "'" + bytes + "'";
}

QString firstLine(const QByteArray& text)
{
    const QString s = QString::fromLocal8Bit(text).trimmed();
    const QStringList lines = s.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.last().trimmed();
}

} // namespace

void SelfExtractingArchive::SetStubFlag(short index, bool on)
{
    if (index == OpenTerminal)
        openTerminal_ = on;
    else if (index == WaitAfterRun)
        waitAfterRun_ = on;
}

void SelfExtractingArchive::SetFileList(const QString& list)
{
    files_.clear();
    for (QString line : list.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (!line.isEmpty())
            files_ << line;
    }
}

QString SelfExtractingArchive::findMakeself()
{
    for (const char* name : {"makeself", "makeself.sh"}) {
        const QString found = QStandardPaths::findExecutable(QLatin1String(name));
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

short SelfExtractingArchive::fail(Result code, const QString& why)
{
    error_ = why;
    return short(code);
}

short SelfExtractingArchive::CreateArchive(short)
{
    error_.clear();
    if (files_.isEmpty())
        return fail(NoFiles, QStringLiteral("The package has no files."));
    QSet<QString> names{stubName()};
    for (const QString& f : files_) {
        const QFileInfo info(f);
        if (!info.isFile() || !info.isReadable())
            return fail(FileMissing, QStringLiteral("%1 is missing or cannot be read.").arg(f));
        if (names.contains(info.fileName()))
            return fail(NameClash, QStringLiteral("Two files of the package are named %1.").arg(info.fileName()));
        names.insert(info.fileName());
    }
    QFile stub(stub_);
    if (!QFileInfo(stub_).isFile() || !stub.open(QIODevice::ReadOnly))
        return fail(FileMissing, QStringLiteral("The package's start-up script %1 is missing.").arg(stub_));
    QByteArray script = stub.readAll();
    stub.close();

    const QString makeself = findMakeself();
    if (makeself.isEmpty())
        return fail(NoMakeself, QStringLiteral("makeself is not installed (apt-get install makeself)."));

    // Everything is gathered beside the package, so an unwritable or full
    // folder shows before makeself runs and nothing is left in it after.
    const QFileInfo out(output_);
    QTemporaryDir work(out.absolutePath() + QStringLiteral("/.") + out.fileName() + QStringLiteral("-XXXXXX"));
    if (!work.isValid())
        return fail(StagingFailed, QStringLiteral("Cannot write in %1: %2").arg(out.absolutePath(), work.errorString()));
    const QString files = work.filePath(QStringLiteral("files"));
    if (!QDir().mkpath(files))
        return fail(StagingFailed, QStringLiteral("Cannot write in %1.").arg(out.absolutePath()));
    for (const QString& f : files_) {
        const QString to = files + QLatin1Char('/') + QFileInfo(f).fileName();
        if (!placeFile(f, to))
            return fail(StagingFailed, QStringLiteral("Cannot copy %1 into the package (is the disk full?).").arg(f));
    }
    // The name goes in right below the script's first line.
    const qsizetype eol = script.indexOf('\n');
    script.insert(eol < 0 ? script.size() : eol + 1, "PACKAGE_NAME=" + shellQuoted(packageName_) + "\n");
    QFile staged(files + QLatin1Char('/') + stubName());
    if (!staged.open(QIODevice::WriteOnly) || staged.write(script) != script.size() || !staged.flush())
        return fail(StagingFailed, QStringLiteral("Cannot write the start-up script (is the disk full?)."));
    staged.close();
    staged.setPermissions(staged.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther);

    const QString archive = work.filePath(QStringLiteral("package.run"));
    QStringList args{QStringLiteral("--quiet")};
    if (!openTerminal_)
        args << QStringLiteral("--nox11");
    if (!waitAfterRun_)
        args << QStringLiteral("--nowait");
    args << files << archive << (title_.isEmpty() ? out.fileName() : title_)
         << QStringLiteral("./") + stubName();
    QProcess maker;
    maker.setProcessChannelMode(QProcess::SeparateChannels);
    maker.start(makeself, args);
    if (!maker.waitForStarted() || !maker.waitForFinished(300000)) {
        maker.kill();
        maker.waitForFinished();
        return fail(MakeselfFailed, QStringLiteral("makeself could not be run."));
    }
    if (maker.exitStatus() != QProcess::NormalExit || maker.exitCode() != 0 || !QFileInfo(archive).isFile()) {
        const QString why = firstLine(maker.readAllStandardError() + maker.readAllStandardOutput());
        return fail(MakeselfFailed, QStringLiteral("makeself failed%1").arg(why.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + why));
    }
    // makeself does not always notice a short write; the archive checks itself.
    QProcess check;
    check.start(QStringLiteral("sh"), {archive, QStringLiteral("--check")});
    if (!check.waitForFinished(300000) || check.exitStatus() != QProcess::NormalExit || check.exitCode() != 0) {
        check.kill();
        check.waitForFinished();
        return fail(MakeselfFailed, QStringLiteral("The package came out damaged (is the disk full?)."));
    }
    if (::rename(QFile::encodeName(archive).constData(), QFile::encodeName(output_).constData()) != 0)
        return fail(OutputFailed, QStringLiteral("Cannot write %1: %2").arg(output_, QString::fromLocal8Bit(std::strerror(errno))));
    return Success;
}
