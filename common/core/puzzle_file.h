#pragma once
// The puzzle file (".puz"): magic "PU", the grid, two embedded picture files,
// the rotation flag and the piece list in the archive's object encoding.
// The front end writes it, the player reads it.

#include "piece.h"

#include <QByteArray>
#include <QString>

#include <vector>

class QIODevice;

struct PuzzleFileData {
    int32_t columns = 0;
    int32_t rows = 0;
    int32_t cellSize = 1;
    QByteArray picture;  // a complete image file (JPEG from the front end)
    QByteArray guide;    // the plain picture, as an image file
    int32_t rotationAllowed = 1;
    std::vector<PieceRecord> pieces; // row-major: index i is (i % columns, i / columns)
};

namespace puzzle_file {

enum class ReadResult {
    Ok,
    NotAPuzzle, // the first two bytes are not "PU": nothing else was read
    Corrupt,    // short, inconsistent or out-of-range content
};

// Limits a file must keep to be read. Every puzzle the front end makes (at
// most 640 x 480, cells of 24 pixels or more) stays far inside them; they are
// what keeps a hostile file from asking for gigabytes of piece images.
constexpr int32_t kMaxCellSize = 2048;
constexpr int32_t kMaxSide = 2048; // columns x cell size, rows x cell size
constexpr int32_t kMaxPieces = 10000;
// Each embedded picture, decoded, fits this square.
constexpr int32_t kMaxPictureSide = 2048;
// Two pictures of at most 2048 x 2048, even stored uncompressed, and the piece list.
constexpr qint64 kMaxFileBytes = 96ll * 1024 * 1024;
// One embedded picture file: 2048 x 2048 uncompressed at 32 bits, and room for its headers.
constexpr qint64 kMaxPictureBytes = 4ll * kMaxPictureSide * kMaxPictureSide + 1024 * 1024;

ReadResult read(const QByteArray& bytes, PuzzleFileData& out, QString* why = nullptr);
// The same, the picture keeping the file's own buffer rather than a copy of
// its part (a large puzzle's picture is most of its file); `bytes` is left
// empty.
ReadResult read(QByteArray&& bytes, PuzzleFileData& out, QString* why = nullptr);
// Reads a whole file, refusing one too large to be a puzzle.
ReadResult readFile(const QString& path, PuzzleFileData& out, QString* why = nullptr);

// Only the embedded picture (as an image file), for a preview: the grid is
// checked, the guide and the piece list are never looked at, so `head` may
// be just the start of a file. A picture file over kMaxPictureBytes is refused.
ReadResult readPicture(const QByteArray& head, QByteArray& picture, QString* why = nullptr);
// The same from a file, reading no more of it than the picture needs.
ReadResult readPictureFile(const QString& path, QByteArray& picture, QString* why = nullptr);

bool write(QIODevice* device, const PuzzleFileData& data);
// Writes beside the target and renames into place, so a failed write keeps the old file.
bool writeFile(const QString& path, const PuzzleFileData& data);

// True when a record's values lie within twice the edge chooser's ranges
// (kinds -1..1, diameters up to half the cell, circle offsets up to a
// quarter of it), so no outline reaches more than half a cell beyond its
// square and a piece image stays within 2 x 2 cells.
bool recordInRange(const PieceRecord& r, int cellSize);

} // namespace puzzle_file
