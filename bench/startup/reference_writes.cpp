// The least a program can do for what `Vorlin --make` does: decode the
// picture (djpeg, started and waited for as a process of its own) and write
// the puzzle's files with the same crash-safe steps. The bytes are those of
// a puzzle Vorlin made before in the same tree; they are read first (from
// the page cache: a few hundred kilobytes) and written back unchanged, so
// running it again and again leaves the tree as it was.
//
//   startup_reference_writes [--passes] ROOT NAME PICTURE
//
// With --passes the picture is not handed to djpeg but put through the JPEG
// passes a make cannot do without, in this process with libjpeg: decoded,
// encoded at quality 100 and decoded again (the scratch picture's round
// trip), then encoded twice at quality 50 (the puzzle's picture and its
// guide, the guide on a second thread as Vorlin does). That is the floor of a
// make that links no toolkit at all; the bytes written are still Vorlin's.
//
// The steps, as Vorlin takes them: the scratch picture overwritten in place
// three times (the quality-100 pass, then the puzzle's picture and guide;
// here its final bytes each time) without a flush; the library's lock made
// and flushed; the thumbnail, the library and the puzzle file each staged
// beside its target and flushed; a journal naming them staged, flushed and
// renamed into place, its folder flushed; each staged file renamed over its
// target, its folder flushed; the journal and the lock removed.
//
// No Qt and no C++ library beyond the standard one and libjpeg: what is
// timed is the process start, the pictures and the disk. Exits 0 when every
// step succeeded.

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <jpeglib.h>

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

// libjpeg's fatal errors end the process by default; here they end the
// pass with false instead.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

void jumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->back, 1);
}

struct Pixels {
    std::vector<unsigned char> bytes; // 4 bytes a pixel, as the toolkit holds them
    unsigned width = 0, height = 0;
};

bool decodeJpeg(const std::vector<unsigned char>& file, Pixels& out)
{
    jpeg_decompress_struct info {};
    JpegError error {};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jumpBack;
    if (setjmp(error.back)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    out.width = info.output_width;
    out.height = info.output_height;
    out.bytes.resize(size_t(out.width) * out.height * 4);
    while (info.output_scanline < info.output_height) {
        unsigned char* row = out.bytes.data() + size_t(info.output_scanline) * out.width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool encodeJpeg(const Pixels& in, int quality, std::vector<unsigned char>& file)
{
    jpeg_compress_struct info {};
    JpegError error {};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jumpBack;
    unsigned char* bytes = nullptr;
    unsigned long size = 0;
    if (setjmp(error.back)) {
        jpeg_destroy_compress(&info);
        std::free(bytes);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &bytes, &size);
    info.image_width = in.width;
    info.image_height = in.height;
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<unsigned char*>(in.bytes.data() + size_t(info.next_scanline) * in.width * 4);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    file.assign(bytes, bytes + size);
    std::free(bytes);
    jpeg_destroy_compress(&info);
    return true;
}

bool passes(const std::string& picture)
{
    std::vector<char> file;
    if (!readFile(picture, file))
        return false;
    Pixels pixels;
    std::vector<unsigned char> scratch, puzzle, guide;
    if (!decodeJpeg(std::vector<unsigned char>(file.begin(), file.end()), pixels)
        || !encodeJpeg(pixels, 100, scratch) || !decodeJpeg(scratch, pixels)) {
        std::fprintf(stderr, "startup_reference_writes: libjpeg failed on %s\n", picture.c_str());
        return false;
    }
    bool guideMade = false;
    std::thread second([&] { guideMade = encodeJpeg(pixels, 50, guide); });
    const bool puzzleMade = encodeJpeg(pixels, 50, puzzle);
    second.join();
    if (!puzzleMade || !guideMade) {
        std::fprintf(stderr, "startup_reference_writes: libjpeg failed to encode %s\n", picture.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const bool inProcess = argc == 5 && std::strcmp(argv[1], "--passes") == 0;
    if (inProcess) {
        --argc;
        ++argv;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: startup_reference_writes [--passes] ROOT NAME PICTURE\n");
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
    if (!(inProcess ? passes(argv[3]) : decode(argv[3])))
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
