// Times one whole process from its fork: until the screen stops changing
// (what a user sees as "started"), or until it exits.
//
//   startup_watch [--exit] [--still MS] [--timeout MS] -- PROGRAM ARGS...
//
// Prints the milliseconds on standard output and exits 0; exits 1 (with the
// reason on standard error) when the program showed nothing, failed or ran
// out of time. In screen mode the root window is read every few
// milliseconds; the time printed is that of the last change seen before the
// screen stayed as it was for MS milliseconds (150 unless told), so the
// settle time itself is not counted. The program is ended afterwards, and
// the screen given time to be still again before we return, so that the
// next run starts from the same empty screen.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

// Reads the whole root window, through shared memory where the server
// offers it (a copy of 3 MB then costs well under a millisecond).
class RootGrabber {
public:
    bool open()
    {
        // A server that just lost its last client resets, and refuses
        // connections for that moment.
        for (int i = 0; i < 100 && !display_; ++i) {
            display_ = XOpenDisplay(nullptr);
            if (!display_)
                usleep(20000);
        }
        if (!display_)
            return false;
        const int screen = DefaultScreen(display_);
        root_ = RootWindow(display_, screen);
        width_ = DisplayWidth(display_, screen);
        height_ = DisplayHeight(display_, screen);
        if (XShmQueryExtension(display_)) {
            image_ = XShmCreateImage(display_, DefaultVisual(display_, screen), unsigned(DefaultDepth(display_, screen)),
                                     ZPixmap, nullptr, &shm_, unsigned(width_), unsigned(height_));
            if (image_) {
                shm_.shmid = shmget(IPC_PRIVATE, size_t(image_->bytes_per_line) * size_t(height_), IPC_CREAT | 0600);
                if (shm_.shmid >= 0) {
                    shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
                    shm_.readOnly = False;
                    stride_ = image_->bytes_per_line;
                    if (XShmAttach(display_, &shm_)) {
                        XSync(display_, False);
                        shmctl(shm_.shmid, IPC_RMID, nullptr); // gone once both sides detach
                        return true;
                    }
                }
                XDestroyImage(image_);
                image_ = nullptr;
            }
        }
        return true;
    }

    // The current screen into `out`; false when it could not be read.
    bool grab(std::vector<char>& out)
    {
        if (image_) {
            if (!XShmGetImage(display_, root_, image_, 0, 0, AllPlanes))
                return false;
            out.assign(image_->data, image_->data + size_t(image_->bytes_per_line) * size_t(height_));
            return true;
        }
        XImage* img = XGetImage(display_, root_, 0, 0, unsigned(width_), unsigned(height_), AllPlanes, ZPixmap);
        if (!img)
            return false;
        stride_ = img->bytes_per_line;
        out.assign(img->data, img->data + size_t(img->bytes_per_line) * size_t(height_));
        XDestroyImage(img);
        return true;
    }

private:
    Display* display_ = nullptr;
    Window root_ = 0;
public:
    int width_ = 0, height_ = 0, stride_ = 0;

private:
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
};

// Waits until the screen has stayed the same for `stillMs`; false after
// `timeoutMs`.
bool waitStill(RootGrabber& g, double stillMs, double timeoutMs, std::vector<char>& screen)
{
    const auto t0 = Clock::now();
    std::vector<char> now;
    if (!g.grab(screen))
        return false;
    auto since = Clock::now();
    while (msSince(t0) < timeoutMs) {
        usleep(2000);
        if (!g.grab(now))
            return false;
        if (now != screen) {
            screen.swap(now);
            since = Clock::now();
        } else if (msSince(since) >= stillMs) {
            return true;
        }
    }
    return false;
}

pid_t start(char** argv)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        const int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            if (!std::getenv("STARTUP_WATCH_STDERR"))
                dup2(null, 2);
        }
        execvp(argv[0], argv);
        _exit(127);
    }
    if (pid > 0)
        setpgid(pid, pid);
    return pid;
}

void endGroup(pid_t pid)
{
    kill(-pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            kill(-pid, SIGKILL); // anything it left behind
            return;
        }
        usleep(10000);
    }
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// The screen as it was when timing stopped, for a developer who wants to see
// what was timed (STARTUP_WATCH_SHOT=file.ppm); 32-bit TrueColor only.
void writeShot(const char* path, const RootGrabber& g, const std::vector<char>& screen)
{
    FILE* f = std::fopen(path, "wb");
    if (!f || g.stride_ < g.width_ * 4)
        return;
    std::fprintf(f, "P6\n%d %d\n255\n", g.width_, g.height_);
    for (int y = 0; y < g.height_; ++y)
        for (int x = 0; x < g.width_; ++x) {
            const auto* p = reinterpret_cast<const unsigned char*>(screen.data()) + size_t(y) * size_t(g.stride_) + size_t(x) * 4;
            const unsigned char rgb[3] = {p[2], p[1], p[0]};
            std::fwrite(rgb, 1, 3, f);
        }
    std::fclose(f);
}

int fail(const std::string& why)
{
    std::fprintf(stderr, "startup_watch: %s\n", why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    bool untilExit = false;
    double stillMs = 150, timeoutMs = 30000;
    int at = 1;
    for (; at < argc; ++at) {
        const std::string a = argv[at];
        if (a == "--exit")
            untilExit = true;
        else if (a == "--still" && at + 1 < argc)
            stillMs = std::atof(argv[++at]);
        else if (a == "--timeout" && at + 1 < argc)
            timeoutMs = std::atof(argv[++at]);
        else if (a == "--") {
            ++at;
            break;
        } else
            return fail("unknown option " + a);
    }
    if (at >= argc)
        return fail("no program given");
    char** program = argv + at;

    if (untilExit) {
        const auto t0 = Clock::now();
        const pid_t pid = start(program);
        if (pid < 0)
            return fail("cannot fork");
        int status = 0;
        waitpid(pid, &status, 0);
        const double ms = msSince(t0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return fail(std::string(program[0]) + " failed");
        std::printf("%.1f\n", ms);
        return 0;
    }

    RootGrabber g;
    if (!g.open())
        return fail("no display");
    std::vector<char> before;
    if (!waitStill(g, stillMs, 5000, before))
        return fail("the screen does not keep still before the start");

    const auto t0 = Clock::now();
    if (std::getenv("STARTUP_WATCH_TRACE"))
        std::fprintf(stderr, "start at %.3f ms (monotonic)\n",
                     std::chrono::duration<double, std::milli>(t0.time_since_epoch()).count());
    const pid_t pid = start(program);
    if (pid < 0)
        return fail("cannot fork");

    std::vector<char> last = before, now;
    double lastChange = -1;
    std::string why;
    // STARTUP_WATCH_TRACE=1 lists every change seen, to tell a late repaint
    // from a slow first one.
    const bool trace = std::getenv("STARTUP_WATCH_TRACE") != nullptr;
    for (;;) {
        usleep(2000);
        if (!g.grab(now)) {
            why = "the screen cannot be read";
            break;
        }
        const double t = msSince(t0);
        if (now != last) {
            last.swap(now);
            lastChange = t;
            if (trace)
                std::fprintf(stderr, "change at %.1f ms\n", t);
        } else if (lastChange >= 0 && t - lastChange >= stillMs && last != before) {
            break;
        }
        if (t > timeoutMs) {
            why = "no still screen within the time allowed";
            break;
        }
        int status = 0;
        if (lastChange < 0 && waitpid(pid, &status, WNOHANG) == pid) {
            why = std::string(program[0]) + " ended without showing anything ("
                  + (WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                         : "exit status " + std::to_string(WEXITSTATUS(status)))
                  + ")";
            lastChange = -2;
            break;
        }
    }
    if (const char* shot = std::getenv("STARTUP_WATCH_SHOT"))
        writeShot(shot, g, last);
    if (lastChange != -2)
        endGroup(pid);
    std::vector<char> after;
    waitStill(g, stillMs, 5000, after);
    if (!why.empty())
        return fail(why);
    std::printf("%.1f\n", lastChange);
    return 0;
}
