// The least a program can do for what `Vorlin --make` does: decode the
// picture (djpeg, started and waited for as a process of its own) and write
// the puzzle's files with the same crash-safe steps. The bytes are those of
// a puzzle Vorlin made before in the same tree; they are read first (from
// the page cache: a few hundred kilobytes) and written back unchanged, so
// running it again and again leaves the tree as it was.
//
//   startup_reference_writes ROOT NAME PICTURE
//
// The steps, as Vorlin takes them: the scratch picture overwritten in place
// three times (the quality-100 pass, then the puzzle's picture and guide;
// here its final bytes each time) without a flush; the library's lock made
// and flushed; the thumbnail, the library and the puzzle file each staged
// beside its target and flushed; a journal naming them staged, flushed and
// renamed into place, its folder flushed; each staged file renamed over its
// target, its folder flushed; the journal and the lock removed.
//
// No Qt and no C++ library beyond the standard one: what is timed is the
// process start, djpeg and the disk. Exits 0 when every step succeeded.

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

bool fail(const std::string& what)
{
    std::fprintf(stderr, "startup_reference_writes: %s: %s\n", what.c_str(), std::strerror(errno));
    return false;
}

bool readFile(const std::string& path, std::vector<char>& out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail("cannot open " + path);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return fail("cannot stat " + path);
    }
    out.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
        if (n <= 0) {
            ::close(fd);
            return fail("cannot read " + path);
        }
        done += size_t(n);
    }
    ::close(fd);
    return true;
}

bool writeAll(int fd, const std::vector<char>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

bool overwrite(const std::string& path, const std::vector<char>& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail("cannot open " + path);
    const bool ok = writeAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0;
    ::close(fd);
    return ok || fail("cannot write " + path);
}

bool stage(const std::string& staged, const std::vector<char>& bytes)
{
    ::unlink(staged.c_str());
    const int fd = ::open(staged.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail("cannot create " + staged);
    const bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    ::close(fd);
    return ok || fail("cannot write " + staged);
}

bool flushFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail("cannot open " + folder);
    ::fsync(fd);
    ::close(fd);
    return true;
}

bool renameInto(const std::string& from, const std::string& to, const std::string& folder)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return fail("cannot rename " + from);
    return flushFolder(folder);
}

bool decode(const std::string& picture)
{
    const char* args[] = {"djpeg", "-outfile", "/dev/null", picture.c_str(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "djpeg", nullptr, nullptr, const_cast<char* const*>(args), environ) != 0)
        return fail("cannot start djpeg");
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "startup_reference_writes: djpeg failed on %s\n", picture.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: startup_reference_writes ROOT NAME PICTURE\n");
        return 2;
    }
    const std::string root = std::string(argv[1]) + "/";
    const std::string name = argv[2];
    const std::string bin = root + "Bin", data = root + "Data";
    const std::string scratch = bin + "/Nuvark_Puzzle.JPG", library = bin + "/puzzle.ini";
    const std::string puz = data + "/" + name + ".puz", bmp = data + "/" + name + ".bmp";
    const std::string journal = library + ".pending", lock = library + ".lock";
    const std::string staged = ".vorlin-new";

    std::vector<char> scratchBytes, libraryBytes, puzBytes, bmpBytes;
    if (!readFile(scratch, scratchBytes) || !readFile(library, libraryBytes) || !readFile(puz, puzBytes)
        || !readFile(bmp, bmpBytes))
        return 1;
    if (!decode(argv[3]))
        return 1;

    for (int i = 0; i < 3; ++i)
        if (!overwrite(scratch, scratchBytes))
            return 1;

    const std::string lockText = std::to_string(::getpid()) + "\nstartup_reference_writes\nhost\n";
    const int lockFd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (lockFd < 0)
        return fail("cannot lock " + lock), 1;
    const bool locked = writeAll(lockFd, std::vector<char>(lockText.begin(), lockText.end())) && ::fdatasync(lockFd) == 0;
    ::close(lockFd);
    if (!locked)
        return fail("cannot write " + lock), 1;

    const std::string plan = "{\"put\":[\"" + bmp + "\",\"" + library + "\",\"" + puz + "\"],\"remove\":[]}";
    const bool written = stage(bmp + staged, bmpBytes) && stage(library + staged, libraryBytes)
        && stage(puz + staged, puzBytes) && stage(journal + staged, std::vector<char>(plan.begin(), plan.end()))
        && renameInto(journal + staged, journal, bin) && renameInto(bmp + staged, bmp, data)
        && renameInto(library + staged, library, bin) && renameInto(puz + staged, puz, data);
    ::unlink(journal.c_str());
    ::unlink(lock.c_str());
    return written ? 0 : 1;
}
