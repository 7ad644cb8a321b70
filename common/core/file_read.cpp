#include "file_read.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file_read {
namespace {

Result fail(QString* error, Result r, const QString& why)
{
    if (error)
        *error = why;
    return r;
}

QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// Opens a regular file the way readWhole and readStart need: never blocking
// on a FIFO, the type checked on what was opened. -1 on failure.
int openRegular(const QString& path, struct stat& st, Result& r, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO without a writer returns at once
    // instead of waiting for one; the type is checked on what was opened.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int code = errno;
        r = fail(error, code == ENOENT || code == ENOTDIR ? Result::Missing : Result::Failed,
                 systemError(code));
        return -1;
    }
    if (::fstat(fd, &st) != 0) {
        r = fail(error, Result::Failed, systemError(errno));
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        r = fail(error, Result::NotRegular, QStringLiteral("not a regular file"));
        ::close(fd);
        return -1;
    }
    return fd;
}

struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
};

// Reads into `bytes` from `used` on until the end of the file or until
// `bytes` is full; false (with `error` set) when a read fails.
bool fill(int fd, QByteArray& bytes, qint64& used, QString* error)
{
    while (used < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(error, Result::Failed, systemError(errno));
            return false;
        }
        if (n == 0)
            break;
        used += n;
    }
    return true;
}

} // namespace

Result readWhole(const QString& path, qint64 maxBytes, QByteArray& out, QString* error)
{
    struct stat st {};
    Result r = Result::Ok;
    const int fd = openRegular(path, st, r, error);
    if (fd < 0)
        return r;
    Closer closer{fd};
    if (st.st_size > maxBytes)
        return fail(error, Result::TooLarge, QStringLiteral("file too large"));

    // The file may grow while we read it: one byte beyond the bound is
    // enough to know it is too large.
    QByteArray bytes;
    bytes.resize(qsizetype(st.st_size) + 1);
    if (bytes.size() != qsizetype(st.st_size) + 1)
        return fail(error, Result::Failed, QStringLiteral("out of memory"));
    qint64 used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > maxBytes)
                return fail(error, Result::TooLarge, QStringLiteral("file too large"));
            const qint64 grown = std::min<qint64>(maxBytes + 1, used * 2 + 4096);
            bytes.resize(qsizetype(grown));
            if (bytes.size() != grown)
                return fail(error, Result::Failed, QStringLiteral("out of memory"));
        }
        if (!fill(fd, bytes, used, error))
            return Result::Failed;
        if (used < bytes.size())
            break; // the end of the file
    }
    if (used > maxBytes)
        return fail(error, Result::TooLarge, QStringLiteral("file too large"));
    bytes.truncate(qsizetype(used));
    out = std::move(bytes);
    return Result::Ok;
}

Result readStart(const QString& path, qint64 maxBytes, QByteArray& out, QString* error)
{
    struct stat st {};
    Result r = Result::Ok;
    const int fd = openRegular(path, st, r, error);
    if (fd < 0)
        return r;
    Closer closer{fd};
    // Sized by what the file holds now; should it grow meanwhile, what lies
    // past that is left unread like the rest beyond the bound.
    const qint64 want = std::max<qint64>(0, std::min<qint64>(maxBytes, st.st_size));
    QByteArray bytes;
    bytes.resize(qsizetype(want));
    if (bytes.size() != want)
        return fail(error, Result::Failed, QStringLiteral("out of memory"));
    qint64 used = 0;
    if (!fill(fd, bytes, used, error))
        return Result::Failed;
    bytes.truncate(qsizetype(used));
    out = std::move(bytes);
    return Result::Ok;
}

} // namespace file_read
