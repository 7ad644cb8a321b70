#pragma once
// `TileMender --thumbnail IN OUT SIZE`: the preview a file manager shows for a
// puzzle file. Only the picture embedded in the puzzle is decoded, scaled
// down to fit SIZE x SIZE and written to OUT as a PNG. It runs before any
// window system is touched (a file manager's thumbnailer has no display) and
// answers every failure with one line on stderr and a non-zero exit.

#include <QImage>
#include <QSize>
#include <QString>

namespace thumbnail_command {

constexpr const char* kOption = "--thumbnail";

// True when the command line asks for a thumbnail.
bool requested(int argc, char** argv);
// Runs the whole command (its own QCoreApplication included); the exit code.
int run(int argc, char** argv);

// The size of the thumbnail of a picture of `picture` pixels: the longer
// side `size`, the aspect kept, never enlarged past the picture itself.
QSize fitted(QSize picture, int size);
// The puzzle's picture at that size; a null image and `why` on failure.
QImage make(const QString& puzzle, int size, QString* why);
// make() written to `out` as a PNG that replaces the file at once.
bool write(const QString& puzzle, const QString& out, int size, QString* why);

} // namespace thumbnail_command
