#pragma once
// What the player's start can do before the application connects to the
// display, which takes as long as an open: the font configuration (a few
// dozen XML files and the font caches, most of what the first text drawn
// costs), and, on a second thread, the puzzle named on the command line
// read, its picture decoded and its pieces dealt (from the seed the start
// deals with), then the window's background. The start
// takes each when it gets to it, waiting only for what is not done yet.
//
// Nothing on these threads may go near the toolkit's plugins: their paths
// are set up while the application object is made, and an image reader
// looking them up meanwhile crashed one start in fifty. JPEGs go through
// libjpeg itself (jpeg_decode); anything else waits for the open.

#include "imaging.h"
#include "tile_mender_doc.h"

#include <QString>

#include <future>
#include <memory>
#include <thread>

class StartAhead {
public:
    // From main()'s arguments, before the application object is made. The
    // puzzle read ahead is the one the start would open: the only argument,
    // or with none, the packaged puzzle beside the program.
    StartAhead(int argc, char** argv);
    ~StartAhead(); // waits for both threads: what they read is the process's own
    StartAhead(const StartAhead&) = delete;
    StartAhead& operator=(const StartAhead&) = delete;

    // The puzzle read ahead when it is `path`; null otherwise, and on every
    // call after the first.
    std::unique_ptr<CTileMenderDoc::ReadAhead> takePuzzle(const QString& path);
    // The background decoded; null when it did not load or was taken.
    std::unique_ptr<ToolkitBitmap> takeBackground();
    // The seed the puzzle was dealt ahead from: the start seeds its
    // generator with it, so that the open takes that deal.
    uint32_t seed() const { return seed_; }

    // The puzzle the start would open for these arguments (after the
    // program's name), or empty for none. `folder` is the program's, with
    // its trailing "/".
    static QString puzzleFor(const QStringList& arguments, const QString& folder);

private:
    uint32_t seed_ = 0;
    std::thread fonts_;
    std::thread files_;
    std::future<std::unique_ptr<CTileMenderDoc::ReadAhead>> puzzle_;
    std::future<std::unique_ptr<ToolkitBitmap>> background_;
};
