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

} // namespace

Result readWhole(const QString& path, qint64 maxBytes, QByteArray& out, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a FIFO without a writer returns at once
    // instead of waiting for one; the type is checked on what was opened.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int code = errno;
        return fail(error, code == ENOENT || code == ENOTDIR ? Result::Missing : Result::Failed,
                    systemError(code));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(error, Result::Failed, systemError(errno));
    if (!S_ISREG(st.st_mode))
        return fail(error, Result::NotRegular, QStringLiteral("not a regular file"));
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
        const ssize_t n = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(error, Result::Failed, systemError(errno));
        }
        if (n == 0)
            break;
        used += n;
    }
    if (used > maxBytes)
        return fail(error, Result::TooLarge, QStringLiteral("file too large"));
    bytes.truncate(qsizetype(used));
    out = std::move(bytes);
    return Result::Ok;
}

} // namespace file_read
