// Vorlin: the puzzle suite's front end. Given one of its command-line options
// it works without a display; otherwise it shows the main menu, and a picture
// named on its command line opens the wizard on that picture.
//
// The program itself holds only the command line and the model, on Qt Core
// and Gui: a script that makes or lists puzzles waits for nothing else. The
// windows are loaded from libvorlin_windows.so beside the program when they
// are wanted; the library takes the model and common code from the program
// (exported for it), so both run on one copy of them.
#include "command_line.h"
#include "windows_entry.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

// A program built with the windows linked in (the tests' copy of Vorlin)
// defines the entry itself; in Vorlin it is left undefined and is null.
extern "C" int vorlin_windows_main(int argc, char** argv) __attribute__((weak));

namespace {

// The folder of the running program with its trailing "/", links resolved:
// a command linked from /usr/games still finds the library of its tree.
std::string programFolder()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return std::string();
    const std::string program(path, size_t(n));
    const size_t cut = program.rfind('/');
    return cut == std::string::npos ? std::string() : program.substr(0, cut + 1);
}

int startWindows(int argc, char** argv)
{
    if (vorlin_windows_main)
        return vorlin_windows_main(argc, argv);
    const std::string library = programFolder() + VORLIN_WINDOWS_LIBRARY;
    // Never closed: the windows' objects live until the process ends.
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    using Entry = int (*)(int, char**);
    Entry entry = handle ? reinterpret_cast<Entry>(::dlsym(handle, VORLIN_WINDOWS_ENTRY)) : nullptr;
    if (!entry) {
        const char* why = ::dlerror();
        std::fprintf(stderr,
                     "Vorlin: cannot open its windows: %s\n"
                     "The file %s belongs beside the program, as the suite was built or installed;\n"
                     "the command line (Vorlin --help) works without it.\n",
                     why ? why : "no entry point", library.c_str());
        return 1;
    }
    return entry(argc, argv);
}

} // namespace

int main(int argc, char* argv[])
{
    if (wantsCommandLine(argc, argv))
        return commandLineMain(argc, argv);
    return startWindows(argc, argv);
}
