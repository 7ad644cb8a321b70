#include "package.h"

#include "file_write.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <functional>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace package_files {

namespace {

int writeAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= n;
    }
    return 0;
}

// The new file gets `mode`; whatever fails, no partial file stays.
int writeNew(const QString& path, mode_t mode, const std::function<int(int)>& fill)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0)
        return errno;
    int error = fill(fd);
    // Some file systems report a full disk only when the file is closed.
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error != 0)
        ::unlink(name.constData());
    return error;
}

} // namespace

int copyFile(const QString& from, const QString& to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    struct stat st {};
    if (::fstat(in, &st) != 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    // The player must stay executable.
    const int error = writeNew(to, st.st_mode & 0777, [in](int out) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n == 0)
                return 0;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (const int e = writeAll(out, buffer, n))
                return e;
        }
    });
    ::close(in);
    return error;
}

int writeFile(const QString& path, const QByteArray& bytes)
{
    return writeNew(path, 0644, [&bytes](int out) { return writeAll(out, bytes.constData(), bytes.size()); });
}

} // namespace package_files

namespace {

// makeself only archives a folder; a hard link costs nothing, a copy is
// needed across file systems.
int placeFile(const QString& from, const QString& to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return 0;
    return package_files::copyFile(from, to);
}

// A value the start-up script reads as one word whatever it holds.
QByteArray shellQuoted(const QString& text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace("'", "'\\''");
    return "'" + bytes + "'";
}

// makeself writes the title between double quotes into the header
// (label="..."), and again inside the double-quoted --info line that echoes
// its own command; there only these four are not plain text.
QByteArray doubleQuoted(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\\' || c == '"' || c == '$' || c == '`')
            out += '\\';
        out += c;
    }
    return out;
}

// The title as printf's format prints it.
QByteArray printfLiteral(QByteArray text)
{
    text.replace("\\", "\\\\");
    text.replace("%", "%%");
    return text;
}

QString withoutControls(QString text)
{
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return text;
}

// makeself prints the title through printf as the format itself
// ("Uncompressing <title>") and through echo for --info; no one escaping of
// a "%" is right for both. So makeself gets its own header back with that one
// call passing the title as printf's argument. A makeself whose header is not
// the one we know keeps it, and gets the title with "%" doubled: the
// unpacking line still reads right, --info shows "%%", and nothing runs.
const QByteArray kTitleAsFormat = "MS_Printf \"Uncompressing \\$label\"";
const QByteArray kTitleAsArgument = "printf '%s' \"Uncompressing \\$label\"";

QByteArray readSmall(const QString& path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly))
        return {};
    return f.read(1 << 20);
}

// Where this makeself keeps its header: the path it names (Debian's build
// does), or beside the script (a plain unpacked makeself).
QString stockHeader(const QString& makeself)
{
    QStringList candidates;
    for (const QByteArray& raw : readSmall(makeself).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (!line.startsWith("HEADER="))
            continue;
        QByteArray value = line.mid(7);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        if (value.startsWith('/') && !value.contains('$') && !value.contains('`'))
            candidates << QFile::decodeName(value);
        break;
    }
    candidates << QFileInfo(QFileInfo(makeself).canonicalFilePath()).absolutePath()
                      + QStringLiteral("/makeself-header.sh");
    for (const QString& c : candidates)
        if (QFileInfo(c).isFile())
            return c;
    return QString();
}

// Writes the header with the title as printf's argument into `folder`; its
// name there, or empty when this makeself's header is not the known one.
QString titleSafeHeader(const QString& makeself, const QString& folder)
{
    const QString stock = stockHeader(makeself);
    if (stock.isEmpty())
        return QString();
    QByteArray header = readSmall(stock);
    if (header.count(kTitleAsFormat) != 1)
        return QString();
    header.replace(kTitleAsFormat, kTitleAsArgument);
    const QString file = QStringLiteral("header.sh");
    if (package_files::writeFile(folder + QLatin1Char('/') + file, header) != 0)
        return QString();
    // makeself sources it with ".", which looks for a bare name on PATH.
    return QStringLiteral("./") + file;
}

// makeself writes its own command line, path included, into the header
// between double quotes; these characters there would not stay text.
bool usablePath(const QString& path)
{
    for (const QChar c : path)
        if (c == QLatin1Char('"') || c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('\\')
            || c.unicode() < 0x20)
            return false;
    return true;
}

struct ToolRun {
    bool ok = false;
    QString output; // standard error, then standard output
};

ToolRun runTool(const QString& program, const QStringList& args, const QString& folder = QString())
{
    QProcess p;
    // Messages in one language, so a full disk can be told from the rest.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.setStandardInputFile(QProcess::nullDevice());
    if (!folder.isEmpty())
        p.setWorkingDirectory(folder);
    p.start(program, args);
    ToolRun r;
    if (!p.waitForStarted() || !p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
        r.output = QStringLiteral("%1 could not be run").arg(QFileInfo(program).fileName());
        return r;
    }
    r.output = QString::fromLocal8Bit(p.readAllStandardError() + p.readAllStandardOutput());
    r.ok = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return r;
}

QString firstLine(const QString& text)
{
    const QStringList lines = text.trimmed().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.first().trimmed();
}

// The reason a tool gave, or that the disk is full when it said so.
QString reasonIn(const QString& output)
{
    if (output.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
        return file_write::reason(ENOSPC);
    return firstLine(output);
}

bool diskFull(const QString& folder)
{
    struct statvfs fs {};
    return ::statvfs(QFile::encodeName(folder).constData(), &fs) == 0 && fs.f_bavail == 0;
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

QByteArray SelfExtractingArchive::headerOf(const QString& package)
{
    // makeself records how many lines its header has (skip="N").
    const QByteArray start = readSmall(package);
    const qsizetype at = start.indexOf("\nskip=\"");
    if (at < 0)
        return {};
    const qsizetype end = start.indexOf('"', at + 7);
    bool ok = false;
    const int lines = end < 0 ? 0 : start.mid(at + 7, end - at - 7).toInt(&ok);
    if (!ok || lines <= 0)
        return {};
    qsizetype pos = 0;
    for (int i = 0; i < lines; ++i) {
        pos = start.indexOf('\n', pos);
        if (pos < 0)
            return {};
        ++pos;
    }
    return start.left(pos);
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
    for (const QChar c : scriptArgument_)
        if (!c.isLetter() || c.unicode() > 0x7F)
            return fail(StagingFailed, QStringLiteral("The start-up script's argument must be a plain word."));
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
    if (!usablePath(makeself))
        return fail(NoMakeself, QStringLiteral("makeself cannot be used from %1: it would write that path into "
                                               "the package, where its quotes or \"$\" would not stay text.")
                                    .arg(makeself));

    // Everything is gathered beside the package, so an unwritable or full
    // folder shows before makeself runs and nothing is left in it after. The
    // folder's name holds no puzzle name: makeself records the paths it gets.
    const QFileInfo out(output_);
    QTemporaryDir work(out.absolutePath() + QStringLiteral("/.package-XXXXXX"));
    if (!work.isValid())
        return fail(StagingFailed, QStringLiteral("Cannot write in %1: %2").arg(out.absolutePath(), work.errorString()));
    const QString files = work.filePath(QStringLiteral("files"));
    if (::mkdir(QFile::encodeName(files).constData(), 0700) != 0)
        return fail(StagingFailed, QStringLiteral("Cannot write in %1: %2.").arg(out.absolutePath(), file_write::reason(errno)));
    for (const QString& f : files_) {
        const QString to = files + QLatin1Char('/') + QFileInfo(f).fileName();
        if (const int e = placeFile(f, to))
            return fail(StagingFailed, QStringLiteral("Cannot copy %1 into the package: %2.").arg(f, file_write::reason(e)));
    }
    // The name goes in right below the script's first line.
    const qsizetype eol = script.indexOf('\n');
    script.insert(eol < 0 ? script.size() : eol + 1, "PACKAGE_NAME=" + shellQuoted(packageName_) + "\n");
    const QString staged = files + QLatin1Char('/') + stubName();
    if (const int e = package_files::writeFile(staged, script))
        return fail(StagingFailed, QStringLiteral("Cannot write the start-up script: %1.").arg(file_write::reason(e)));
    QFile::setPermissions(staged, QFile::permissions(staged) | QFileDevice::ExeOwner | QFileDevice::ExeGroup
                                      | QFileDevice::ExeOther);

    const QString header = titleSafeHeader(makeself, work.path());
    const QByteArray title = withoutControls(title_.isEmpty() ? out.fileName() : title_).toUtf8();
    const QByteArray label = doubleQuoted(header.isEmpty() ? printfLiteral(title) : title);

    // Relative paths from inside the work folder: the header records them.
    const QString archive = work.filePath(QStringLiteral("package.run"));
    QStringList args{QStringLiteral("--quiet")};
    if (!openTerminal_)
        args << QStringLiteral("--nox11");
    if (!waitAfterRun_)
        args << QStringLiteral("--nowait");
    if (!compressed_)
        args << QStringLiteral("--nocomp");
    if (!header.isEmpty())
        args << QStringLiteral("--header") << header;
    args << QStringLiteral("files") << QStringLiteral("package.run") << QString::fromUtf8(label)
         << QStringLiteral("./") + stubName();
    if (!scriptArgument_.isEmpty())
        args << scriptArgument_;
    const ToolRun made = runTool(makeself, args, work.path());
    if (!made.ok || !QFileInfo(archive).isFile()) {
        const QString why = reasonIn(made.output);
        return fail(MakeselfFailed, QStringLiteral("makeself failed%1").arg(why.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + why));
    }
    // A header that does not parse would stop the receiver at its first line.
    const QByteArray head = headerOf(archive);
    const QString headFile = work.filePath(QStringLiteral("header-check.sh"));
    if (head.isEmpty())
        return fail(MakeselfFailed, QStringLiteral("The package came out without a readable header."));
    if (const int e = package_files::writeFile(headFile, head))
        return fail(StagingFailed, QStringLiteral("Cannot check the package: %1.").arg(file_write::reason(e)));
    if (const ToolRun parsed = runTool(QStringLiteral("sh"), {QStringLiteral("-n"), headFile}); !parsed.ok)
        return fail(MakeselfFailed, QStringLiteral("The package's header does not parse: %1").arg(firstLine(parsed.output)));
    // makeself does not always notice a short write; the archive checks itself.
    if (const ToolRun checked = runTool(QStringLiteral("sh"), {archive, QStringLiteral("--check")}); !checked.ok) {
        const QString why = diskFull(work.path()) ? file_write::reason(ENOSPC) : reasonIn(checked.output);
        return fail(MakeselfFailed, QStringLiteral("The package came out damaged: %1.").arg(why));
    }
    if (::rename(QFile::encodeName(archive).constData(), QFile::encodeName(output_).constData()) != 0)
        return fail(OutputFailed, QStringLiteral("Cannot write %1: %2.").arg(output_, file_write::reason(errno)));
    return Success;
}
