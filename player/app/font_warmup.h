#pragma once
// Reading the font configuration (a few dozen XML files and the font caches)
// is most of what the first measured text costs, and it needs no window
// system. Started at the top of main(), it runs on a thread of its own while
// the application connects to the display, and the first text drawn finds
// it done.

#include <thread>

class FontWarmUp {
public:
    FontWarmUp();
    ~FontWarmUp(); // waits for the thread: the configuration is the process's own
    FontWarmUp(const FontWarmUp&) = delete;
    FontWarmUp& operator=(const FontWarmUp&) = delete;

    // Until the configuration is read; at once when it already is.
    void wait();

private:
    std::thread thread_;
};
