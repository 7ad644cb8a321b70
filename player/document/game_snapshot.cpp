#include "game_snapshot.h"

#include "box_index.h"

namespace game_snapshot {

namespace {

saved_game::PieceEntry entryOf(const CPiece& p) { return {p.column, p.row, p.rotation, p.x, p.y, p.fixed}; }

void appendEntries(std::vector<saved_game::PieceEntry>& out, const PieceList* list)
{
    if (!list)
        return;
    for (const auto& p : *list)
        out.push_back(entryOf(*p));
}

} // namespace

saved_game::SavedGame capture(const Parts& parts)
{
    saved_game::SavedGame g;
    g.elapsed = parts.elapsed;
    g.finished = parts.finished;
    g.backgroundOption = parts.backgroundOption;
    g.soundOption = parts.soundOption;
    g.nextTrayX = parts.nextTray.x();
    g.nextTrayY = parts.nextTray.y();
    g.nextMinimizedTrayY = parts.nextMinimizedTrayY;
    for (const TrayPart& t : parts.trays) {
        saved_game::TrayEntry entry{t.number, t.placement, {}};
        appendEntries(entry.pieces, t.pieces);
        if (t.carried) {
            saved_game::PieceEntry e = entryOf(*t.carried);
            e.x = t.carriedFrom.x();
            e.y = t.carriedFrom.y();
            entry.pieces.push_back(e);
        }
        g.trays.push_back(std::move(entry));
    }
    appendEntries(g.board, parts.board);
    appendEntries(g.board, parts.carriedOnBoard);
    g.trayTable = parts.trayTable;
    if (parts.box)
        for (const auto& p : *parts.box)
            g.box.push_back({p->column, p->row, p->rotation, p->fixed});
    g.maximumScroll = parts.maximumScroll;
    g.scrollPosition = parts.scrollPosition;
    return g;
}

Dealt deal(const saved_game::SavedGame& game, PieceList& box, int columns, int rows,
           const std::function<void(CPiece&)>& rebuild)
{
    Dealt out;
    BoxIndex index(box, columns, rows);
    auto placed = [&](const saved_game::PieceEntry& e) {
        PieceList::Ptr p = index.take(e.column, e.row);
        if (p) {
            p->rotation = e.rotation;
            p->x = e.x;
            p->y = e.y;
        }
        return p;
    };
    for (const saved_game::TrayEntry& t : game.trays) {
        Dealt::Tray tray{t.number, t.placement, {}};
        for (const saved_game::PieceEntry& e : t.pieces) {
            PieceList::Ptr p = placed(e);
            if (!p)
                continue;
            // Fixed pieces never leave the board, so a fixed flag here is
            // damage; counting it would finish the game with pieces still loose.
            p->fixed = 0;
            rebuild(*p);
            tray.pieces.push_back(std::move(p));
        }
        out.trays.push_back(std::move(tray));
    }
    for (const saved_game::PieceEntry& e : game.board) {
        PieceList::Ptr p = placed(e);
        if (!p)
            continue;
        p->fixed = e.fixed;
        out.fixed += e.fixed;
        rebuild(*p);
        out.board.push_back(std::move(p));
    }
    for (const saved_game::BoxEntry& e : game.box) {
        PieceList::Ptr p = index.take(e.column, e.row);
        if (!p)
            continue;
        p->rotation = e.rotation;
        p->fixed = 0;
        rebuild(*p);
        out.box.append(std::move(p));
    }
    out.box.insertAll(out.box.size(), index.rest());
    return out;
}

} // namespace game_snapshot
