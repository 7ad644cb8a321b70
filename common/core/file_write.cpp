#include "file_write.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file_write {
namespace {

// Large files go out in pieces, so that a test's kill can also land in the
// middle of one.
constexpr qsizetype kChunk = 64 * 1024;

// The test hook: the step after which this process kills itself, 0 for never.
long killAfter()
{
    static const long n = [] {
        const char* v = std::getenv("SUITE_TEST_KILL_AFTER_STEP");
        return v ? std::strtol(v, nullptr, 10) : 0L;
    }();
    return n;
}

void step()
{
    static long done = 0;
    if (killAfter() > 0 && ++done == killAfter())
        ::raise(SIGKILL);
}

QByteArray native(const QString& path) { return QFile::encodeName(path); }

bool fail(int* error, int code)
{
    if (error)
        *error = code;
    return false;
}

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
}

// The rename is only lasting once the folder that holds the name is flushed.
void syncFolder(const QString& folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    step();
    ::close(fd);
}

bool writeAll(int fd, QByteArrayView bytes, int* error)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + at, size_t(std::min(kChunk, bytes.size() - at)));
        step();
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(error, errno);
        }
        if (n == 0)
            return fail(error, ENOSPC);
        at += n;
    }
    return true;
}

} // namespace

QString reason(int error)
{
    switch (error) {
    case ENOSPC: return QStringLiteral("the disk is full");
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("the disk quota is used up");
#endif
    case EROFS: return QStringLiteral("the disk is read-only");
    case EACCES:
    case EPERM: return QStringLiteral("permission denied; is its folder writable?");
    case EFBIG: return QStringLiteral("the file would be larger than this system allows");
    case ENOENT:
    case ENOTDIR: return QStringLiteral("its folder does not exist");
    case EISDIR: return QStringLiteral("a folder is in its place");
    case ELOOP: return QStringLiteral("a link is in its place");
    case EIO: return QStringLiteral("the disk reported an input/output error");
    case 0: return QStringLiteral("only part of it could be written");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString failure(const QString& what, const QString& path, int error)
{
    return QStringLiteral("Cannot write the %1 \"%2\": %3.").arg(what, path, reason(error));
}

QString finalTarget(const QString& path)
{
    QString at = path;
    for (int links = 0; links <= 40; ++links) {
        const QFileInfo info(at);
        if (!info.isSymLink())
            return at;
        // A relative link is relative to the folder holding it.
        const QString target = QFile::symLinkTarget(at);
        if (target.isEmpty())
            return QString();
        at = target;
    }
    return QString();
}

QString stagingName(const QString& target) { return target + QStringLiteral(".vorlin-new"); }

bool stage(const QString& temp, QByteArrayView bytes, const QString& modeOf, int* error)
{
    const QByteArray name = native(temp);
    if (::unlink(name.constData()) == 0)
        step();
    struct stat st {};
    const bool keepMode = !modeOf.isEmpty() && ::stat(native(modeOf).constData(), &st) == 0;
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    step();
    if (fd < 0)
        return fail(error, errno);
    bool ok = writeAll(fd, bytes, error);
    if (ok && keepMode)
        ::fchmod(fd, st.st_mode & 07777);
    if (ok && ::fsync(fd) != 0)
        ok = fail(error, errno);
    if (ok)
        step();
    if (::close(fd) != 0 && ok)
        ok = fail(error, errno);
    if (!ok)
        ::unlink(name.constData());
    return ok;
}

bool rename(const QString& from, const QString& to, int* error)
{
    const int r = ::rename(native(from).constData(), native(to).constData());
    step();
    if (r != 0)
        return fail(error, errno);
    syncFolder(folderOf(to));
    return true;
}

bool remove(const QString& path, int* error)
{
    const int r = ::unlink(native(path).constData());
    if (r != 0)
        return errno == ENOENT || fail(error, errno);
    step();
    return true;
}

bool replace(const QString& path, QByteArrayView bytes, int* error)
{
    const QString target = finalTarget(path);
    if (target.isEmpty())
        return fail(error, ELOOP);
    const QString temp = stagingName(target);
    if (!stage(temp, bytes, target, error))
        return false;
    if (!rename(temp, target, error)) {
        ::unlink(native(temp).constData());
        return false;
    }
    return true;
}

bool overwrite(const QString& path, QByteArrayView bytes, int* error)
{
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    step();
    if (fd < 0)
        return fail(error, errno);
    bool ok = writeAll(fd, bytes, error);
    if (ok && ::ftruncate(fd, off_t(bytes.size())) != 0)
        ok = fail(error, errno);
    if (::close(fd) != 0 && ok)
        ok = fail(error, errno);
    return ok;
}

} // namespace file_write
