#pragma once
// Undo and redo of the player's moves, free of any window. The game is read
// into plain records before and after each user action; the step keeps only
// the pieces the action touched (where each lay, at which place in its list,
// how it was turned, whether it was fixed) and, when the trays changed, the
// trays' states. Restoring a side takes those pieces out of every list and
// puts them back at their recorded places: everything else keeps its order,
// so the lists come back exactly as they were. A step that fixed pieces is
// final: it is not kept, and neither is any earlier step that moved one of
// its pieces (or a piece such a step moved), so an undo can never move a
// fixed piece nor loosen it; the earlier steps that only ever met loose
// pieces stay undoable, around the fixed ones.

#include "piece_list.h"
#include "window_placement.h"

#include <QPoint>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace undo_history {

enum class Where : int8_t { Box = 0, Board = 1, Tray = 2 };

// A piece's home cell names it: no two pieces of a puzzle share one.
using PieceKey = int64_t;
constexpr PieceKey kNoPiece = -1;
inline PieceKey keyOf(int32_t column, int32_t row) { return (int64_t(uint32_t(column)) << 32) | uint32_t(row); }
inline PieceKey keyOf(const CPiece& p) { return keyOf(p.column, p.row); }

// One piece as it lies.
struct PieceState {
    int32_t column = 0;
    int32_t row = 0;
    int32_t tray = -1;  // the tray's number when it lies in one
    int32_t index = 0;  // its place in its list (bottom or first = 0)
    int32_t x = 0;
    int32_t y = 0;
    Where where = Where::Box;
    int8_t rotation = 0;
    int8_t fixed = 0;

    PieceKey key() const { return keyOf(column, row); }
    bool samePlace(const PieceState& o) const { return where == o.where && tray == o.tray; }
    bool operator==(const PieceState&) const = default;
};

struct TrayState {
    int32_t number = 0;
    WindowPlacement placement;
    int32_t stacking = 0; // 0 = below every other tray
    bool operator==(const TrayState&) const = default;
};

// The open trays and what decides where the next ones go.
struct TraysState {
    std::vector<TrayState> trays; // the tray list's order, head first
    QPoint nextTray;
    int32_t nextMinimizedY = 0;
    std::vector<int32_t> table;   // the tray numbers in use
    bool operator==(const TraysState&) const = default;
};

// The whole game as records: what a step is worked out from.
struct GameRecord {
    // Every piece, each list in its order: the box, the board, then the
    // trays in the tray list's order.
    std::vector<PieceState> pieces;
    TraysState trays;
    PieceKey current = kNoPiece;
    bool operator==(const GameRecord&) const = default;
};

// Appends a list's pieces to a record.
void capture(std::vector<PieceState>& out, const PieceList& list, Where where, int32_t tray = -1);

struct Step {
    // The touched pieces on each side, sorted by list and place in it.
    std::vector<PieceState> before;
    std::vector<PieceState> after;
    // Only when the trays changed.
    std::optional<TraysState> traysBefore;
    std::optional<TraysState> traysAfter;
    PieceKey currentBefore = kNoPiece;
    PieceKey currentAfter = kNoPiece;

    // Some piece went from loose to fixed.
    bool fixesPieces() const;
    // What the step holds in memory, roughly.
    size_t bytes() const;
};

// What changed from one record to the next; nothing when no piece and no
// tray did (a new current piece alone is no step). Pieces are touched when
// they changed list, place, turn or fixing, and when their order among the
// others of their list changed: the fewest such, found as the longest run
// of a list's pieces that kept their order.
std::optional<Step> diff(const GameRecord& before, const GameRecord& after);

// The live lists a step is restored into.
struct Lists {
    PieceList* box = nullptr;
    PieceList* board = nullptr;
    std::vector<std::pair<int32_t, PieceList*>> trays; // by tray number
    PieceList* find(Where where, int32_t tray) const;
};

// Puts the pieces named by `side` (one side of a step) where it says: they
// are taken out of whatever list holds them, get their position, turn and
// fixing back, and go into their lists at their places, lowest first. A
// piece that is nowhere is passed over; one whose tray is not open goes to
// the end of the box, so no piece is ever lost. `rebuild` remakes a piece
// whose turn changed.
void restore(const Lists& lists, const std::vector<PieceState>& side, const std::function<void(CPiece&)>& rebuild);

class UndoHistory {
public:
    static constexpr size_t kMaxSteps = 500;

    enum class Kept { Nothing, Step, Final };
    // A new step clears the redo list and may push the oldest out; a step
    // that fixed pieces is not kept and takes with it the earlier steps
    // that met its pieces (it is final).
    Kept record(Step step);

    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }
    size_t undoCount() const { return undo_.size(); }
    size_t redoCount() const { return redo_.size(); }
    // The step the next undo (redo) restores; null when there is none.
    const Step* nextUndo() const { return undo_.empty() ? nullptr : &undo_.back(); }
    const Step* nextRedo() const { return redo_.empty() ? nullptr : &redo_.back(); }
    // The caller restored nextUndo()'s before side (nextRedo()'s after side).
    void undone();
    void redone();
    void clear();
    size_t bytes() const;

private:
    void dropStepsMeeting(const Step& fixing);

    std::deque<Step> undo_;
    std::deque<Step> redo_;
};

} // namespace undo_history
