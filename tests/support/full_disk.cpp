#include "full_disk.h"

#include <QFile>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace testfiles {
namespace {

constexpr int kNotHere = 77;

bool put(const char* path, const QByteArray& text)
{
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), size_t(text.size())) == text.size();
    ::close(fd);
    return ok;
}

bool ownNamespace()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0)
        return ::unshare(CLONE_NEWNS) == 0;
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0 && put("/proc/self/setgroups", "deny")
        && put("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1")
        && put("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1");
}

void fill(const QByteArray& folder)
{
    const int fd = ::open((folder + "/filler").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const QByteArray zeros(4096, '\0');
    while (fd >= 0 && ::write(fd, zeros.constData(), size_t(zeros.size())) > 0) {
    }
    // The last pages may be short of a whole block.
    while (fd >= 0 && ::write(fd, zeros.constData(), 1) > 0) {
    }
    if (fd >= 0)
        ::close(fd);
}

} // namespace

std::optional<QString> onFullDisk(const QString& folder, const std::function<void()>& setup,
                                  const std::function<QString()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return std::nullopt;
    if (pid == 0) {
        ::close(fds[0]);
        const QByteArray where = QFile::encodeName(folder);
        if (!ownNamespace() || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || ::mount("tmpfs", where.constData(), "tmpfs", 0, "size=64k") != 0)
            ::_exit(kNotHere);
        setup();
        fill(where);
        const QByteArray said = body().toUtf8();
        const bool ok = ::write(fds[1], said.constData(), size_t(said.size())) == said.size();
        ::_exit(ok ? 0 : 1);
    }
    ::close(fds[1]);
    QByteArray said;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, n);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == kNotHere)
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("the child process failed");
    return QString::fromUtf8(said);
}

} // namespace testfiles
