#pragma once
// The game in progress as it is kept beside its puzzle (name + "0.sav"):
// magic "SA02", the clock, the finished flag, the two options, the board
// view's block (tray cascade, trays with their placements and pieces, the
// board's pieces, the tray-number table), the box in column order and the
// column's two scroll values. Every field is a little-endian 32-bit word.
//
// This is only the file's content; the frame takes it from the windows and
// puts it back into them (frame_game.cpp). Reading checks the whole file
// before it returns anything, so a damaged file can never half-apply.

#include "puzzle_file.h"
#include "window_placement.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace saved_game {

// A piece on the board or in a tray: its home cell, how it is turned, its
// origin in the coordinates of the window that holds it, and whether it is fixed.
struct PieceEntry {
    int32_t column = 0;
    int32_t row = 0;
    int32_t rotation = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t fixed = 0;
    bool operator==(const PieceEntry&) const = default;
};

// A piece in the box has no place of its own: the column lays it out.
struct BoxEntry {
    int32_t column = 0;
    int32_t row = 0;
    int32_t rotation = 0;
    int32_t fixed = 0;
    bool operator==(const BoxEntry&) const = default;
};

struct TrayEntry {
    int32_t number = 0; // 0-based; the title shows number + 1
    WindowPlacement placement;
    std::vector<PieceEntry> pieces; // the tray's stacking order, bottom first
    bool operator==(const TrayEntry&) const = default;
};

struct SavedGame {
    int32_t elapsed = 0; // play time in milliseconds
    int32_t finished = 0;
    int32_t backgroundOption = 0;
    int32_t soundOption = 1;
    // The board view's block.
    int32_t nextTrayX = 0;
    int32_t nextTrayY = 0;
    int32_t nextMinimizedTrayY = 0;
    std::vector<TrayEntry> trays;   // the view's tray-list order, head first
    std::vector<PieceEntry> board;  // bottom of the stack first
    std::vector<int32_t> trayTable; // entry n is 1 while tray n exists
    // The box in column order, then the column's scroll values.
    std::vector<BoxEntry> box;
    int32_t maximumScroll = 0;
    int32_t scrollPosition = 0;
    bool operator==(const SavedGame&) const = default;
};

enum class ReadResult {
    Ok,
    NotASavedGame, // the first four bytes are not "SA02", or there are not four
    Damaged,       // short, inconsistent or out of range anywhere
};

// Bytes of the fixed records.
constexpr int kPlacementBytes = 44;
constexpr int kPieceBytes = 6 * 4;
constexpr int kBoxBytes = 4 * 4;
// Any place we store lies inside the 800 x 600 frame; a coordinate beyond
// this can only come from a damaged file, and would make windows or
// arithmetic absurd.
constexpr int32_t kCoordinateLimit = 32768;
// Room for the most records the counts allow (every tray, the board and the
// box each naming every piece of the largest puzzle); a sound file of that
// puzzle takes a quarter of a megabyte.
constexpr qint64 kMaxFileBytes = 64ll * 1024 * 1024;

// Checks everything before `out` is touched: counts against the bytes that
// remain, each tray's, the board's and the box's records against the
// puzzle's `pieces`, the trays and their table against the most a player can
// open, rotations, coordinates, placements and tray numbers (each once, each
// marked in the table). Bytes after the last field are not looked at. `why`
// gets a short English reason for a damaged file.
ReadResult read(const QByteArray& bytes, SavedGame& out, QString* why = nullptr,
                int pieces = puzzle_file::kMaxPieces);

QByteArray write(const SavedGame& game);
// Writes beside `path` and renames into place, so a failure keeps the old
// file whole. On failure `error` says what went wrong, in words for the
// user ("the disk is full").
bool writeFile(const QString& path, const SavedGame& game, QString* error = nullptr);

} // namespace saved_game
