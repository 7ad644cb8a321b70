#pragma once
// The game in progress as plain data, between the windows that hold it and
// the saved game codec: capture() gathers what each window holds into the
// record a save writes; deal() gives a read record's pieces back out of the
// box to the places the windows will take them from. Neither touches a
// window, so both are tested on plain lists.

#include "piece_list.h"
#include "saved_game.h"
#include "window_placement.h"

#include <QPoint>

#include <cstdint>
#include <functional>
#include <vector>

namespace game_snapshot {

// One open tray as it is now; a piece carried out of it is saved where it
// was picked up.
struct TrayPart {
    int32_t number = 0;
    WindowPlacement placement;
    const PieceList* pieces = nullptr;
    const CPiece* carried = nullptr;
    QPoint carriedFrom;
};

struct Parts {
    int32_t elapsed = 0; // brought up to date by the caller
    int32_t finished = 0;
    int32_t backgroundOption = 0;
    int32_t soundOption = 1;
    QPoint nextTray;
    int32_t nextMinimizedTrayY = 0;
    std::vector<TrayPart> trays; // the tray list's order, head first
    const PieceList* board = nullptr;
    // A group lifted off the board goes back where it was lifted from.
    const PieceList* carriedOnBoard = nullptr;
    std::vector<int32_t> trayTable;
    const PieceList* box = nullptr; // null when there is none
    int32_t maximumScroll = 0;
    int32_t scrollPosition = 0;
};

saved_game::SavedGame capture(const Parts& parts);

// A saved game's pieces, taken out of the box for each window.
struct Dealt {
    struct Tray {
        int32_t number = 0;
        WindowPlacement placement;
        std::vector<PieceList::Ptr> pieces; // bottom first
    };
    std::vector<Tray> trays; // the file's order, head first
    std::vector<PieceList::Ptr> board; // bottom of the stack first
    int fixed = 0;                     // how many of the board's are fixed
    PieceList box;                     // the column's order
};

// Every piece of the game is in `box`, which is left empty. Each record takes
// its piece out of it, so a record naming a piece a second time, or one the
// puzzle does not have, finds nothing and is passed over; pieces the file
// never mentions stay in the game, after the box's listed ones. `rebuild`
// remakes a piece for the rotation the file gives it.
Dealt deal(const saved_game::SavedGame& game, PieceList& box, int columns, int rows,
           const std::function<void(CPiece&)>& rebuild);

} // namespace game_snapshot
