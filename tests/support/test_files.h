#pragma once
// Fixtures made by code: pictures, puzzle files and scratch folders.

#include "imaging.h"
#include "puzzle_file.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTemporaryDir>

namespace testfiles {

// A picture whose every pixel differs from its neighbours, so misplaced
// copies show.
QImage patternImage(int width, int height);
QByteArray encode(const QImage& image, const char* format, int quality = 95);
// A complete puzzle as the front end writes it: edges chosen from the
// generator's current state, the pattern picture as JPEG (or PNG when lossless).
PuzzleFileData makePuzzle(int columns, int rows, int cellSize, bool rotation = true,
                          bool lossless = false);
QByteArray puzzleBytes(const PuzzleFileData& data);
// The most memory a puzzle the player takes can ask for: one cell of 2048
// pixels whose knobs reach as far as allowed, with 2048 x 2048 pictures.
PuzzleFileData largestPuzzle();
// A small progressive grey JPEG with `extraScans` empty AC scans added before
// its end: each costs the decoder a pass over the whole picture.
QByteArray manyScanJpeg(int width, int height, int extraScans);

} // namespace testfiles
