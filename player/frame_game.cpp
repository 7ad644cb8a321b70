// The game in progress, kept beside its puzzle: Save takes every piece's
// place from the windows that hold it and writes the file; Load reads and
// checks the whole file first and only then closes the trays, clears the
// board and puts each piece where the file has it.

#include "main_frame.h"

#include "board_view.h"
#include "box_index.h"
#include "file_read.h"
#include "message_box.h"
#include "piece_strip.h"
#include "popup_menu.h"
#include "saved_game.h"
#include "tick_clock.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"

#include <QDir>
#include <QFileInfo>

namespace {

saved_game::PieceEntry entryOf(const CPiece& p)
{
    return {p.column, p.row, p.rotation, p.x, p.y, p.fixed};
}

std::vector<saved_game::PieceEntry> entriesOf(const PieceList& list)
{
    std::vector<saved_game::PieceEntry> out;
    out.reserve(size_t(list.size()));
    for (const auto& p : list)
        out.push_back(entryOf(*p));
    return out;
}

// The whole path: the player may have been started on a relative one.
QString shownPath(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

} // namespace

bool CMainFrame::saveGame()
{
    // Cleared even when nothing is written; a failed write sets it again so
    // that the user is still asked on leaving.
    const int32_t wasModified = app_->state.modified;
    app_->state.modified = 0;
    // The menu may be running the command that brought us here, so it goes
    // once its own event is over.
    if (menu_)
        menu_->deleteLater();
    if (doc_->pathName().isEmpty())
        return true;
    const QString path = CTileMenderDoc::savedGamePath(doc_->pathName());

    saved_game::SavedGame g;
    if (!doc_->finished) {
        // The clock is brought up to date so the file holds the time played until now.
        const uint32_t now = tick::now();
        elapsed += int32_t(now - clockStart);
        clockStart = now;
    }
    g.elapsed = elapsed;
    g.finished = doc_->finished;
    g.backgroundOption = app_->state.backgroundOption;
    g.soundOption = app_->state.soundOption;

    g.nextTrayX = view_->nextTrayPosition.x();
    g.nextTrayY = view_->nextTrayPosition.y();
    g.nextMinimizedTrayY = view_->nextMinimizedTrayY;
    // Pieces being carried right now are kept where they were picked up.
    for (const CTrayWnd* t : view_->trays()) {
        g.trays.push_back({t->number(), t->placement(), entriesOf(t->pieces())});
        if (const CPiece* c = t->carriedPiece()) {
            saved_game::PieceEntry e = entryOf(*c);
            e.x = t->carriedFrom().x();
            e.y = t->carriedFrom().y();
            g.trays.back().pieces.push_back(e);
        }
    }
    g.board = entriesOf(view_->boardList());
    for (const auto& c : view_->carriedPieces())
        g.board.push_back(entryOf(*c));
    g.trayTable = view_->trayNumbers().table();

    for (const auto& p : doc_->boxList())
        g.box.push_back({p->column, p->row, p->rotation, p->fixed});
    if (CPieceStrip* s = strip()) {
        g.maximumScroll = s->maximumScroll();
        g.scrollPosition = s->scrollPosition();
    }

    QString error;
    if (!saved_game::writeFile(path, g, &error)) {
        app_->state.modified = wasModified ? wasModified : 1;
        messageBox(this,
                   tr("The game could not be saved to %1: %2. The previous saved game, if there is one, "
                      "is unchanged.")
                       .arg(shownPath(path), error),
                   CTileMenderApp::boxCaption(), mb::Ok | mb::IconExclamation);
        return false;
    }
    return true;
}

bool CMainFrame::loadGame()
{
    if (menu_)
        menu_->deleteLater();
    if (doc_->pathName().isEmpty())
        return false;
    const QString path = CTileMenderDoc::savedGamePath(doc_->pathName());
    if (!QFileInfo::exists(path))
        return false;

    // The whole file is read and checked before the game is touched.
    auto damaged = [this, &path] {
        messageBox(this, tr("The saved game %1 is damaged and was not loaded.").arg(shownPath(path)),
                   CTileMenderApp::boxCaption(), mb::Ok | mb::IconExclamation);
        return false;
    };
    QByteArray bytes;
    QString why;
    switch (file_read::readWhole(path, saved_game::kMaxFileBytes, bytes, &why)) {
    case file_read::Result::Ok:
        break;
    case file_read::Result::Missing:
        return false;
    case file_read::Result::NotRegular:
    case file_read::Result::TooLarge:
        // A device or a pipe under the saved game's name, or a file no game fills.
        return damaged();
    case file_read::Result::Failed:
        messageBox(this, tr("The saved game %1 could not be read (%2).").arg(shownPath(path), why),
                   CTileMenderApp::boxCaption(), mb::Ok | mb::IconExclamation);
        return false;
    }
    saved_game::SavedGame g;
    switch (saved_game::read(bytes, g, nullptr, doc_->columns() * doc_->rows())) {
    case saved_game::ReadResult::NotASavedGame:
        return false;
    case saved_game::ReadResult::Damaged:
        return damaged();
    case saved_game::ReadResult::Ok:
        break;
    }

    // Closing trays and clearing the board mark the game as changed; loading
    // does not.
    const int32_t wasModified = app_->state.modified;

    elapsed = g.elapsed;
    clockStart = tick::now();
    doc_->finished = g.finished;

    // No flash may go on over a piece that is about to move.
    hintTimer_.stop();
    for (const HintEntry& h : hintList_)
        if (h.piece)
            h.piece->hintLevel = 0;
    hintList_.clear();
    hintLevel_ = 0;
    clearCurrentPiece();

    view_->closeAllTrays();
    view_->clearBoard();
    app_->state.backgroundOption = g.backgroundOption;
    app_->state.soundOption = g.soundOption;

    // Every piece is in the box now. Each record takes its piece out of it,
    // so a record naming a piece a second time, or one the puzzle does not
    // have, finds nothing and is passed over.
    PieceList& box = doc_->boxList();
    BoxIndex index(box, doc_->columns(), doc_->rows());
    auto takeFromBox = [&index](int32_t column, int32_t row) { return index.take(column, row); };

    view_->nextTrayPosition = QPoint(g.nextTrayX, g.nextTrayY);
    view_->nextMinimizedTrayY = g.nextMinimizedTrayY;
    for (const saved_game::TrayEntry& t : g.trays) {
        CTrayWnd* tray = view_->createTray(t.number);
        tray->setPlacement(t.placement);
        for (const saved_game::PieceEntry& e : t.pieces) {
            PieceList::Ptr p = takeFromBox(e.column, e.row);
            if (!p)
                continue;
            p->rotation = e.rotation;
            p->x = e.x;
            p->y = e.y;
            // Fixed pieces never leave the board, so a fixed flag here is
            // damage; counting it would finish the game with pieces still loose.
            p->fixed = 0;
            doc_->rebuildPiece(*p);
            tray->pieces().append(std::move(p));
        }
        tray->update();
    }
    int fixed = 0;
    for (const saved_game::PieceEntry& e : g.board) {
        PieceList::Ptr p = takeFromBox(e.column, e.row);
        if (!p)
            continue;
        p->rotation = e.rotation;
        p->x = e.x;
        p->y = e.y;
        p->fixed = e.fixed;
        fixed += e.fixed;
        doc_->rebuildPiece(*p);
        view_->placeOnBoard(std::move(p));
    }
    view_->setFixedCount(fixed);
    view_->trayNumbers().setTable(g.trayTable);

    PieceList ordered;
    for (const saved_game::BoxEntry& e : g.box) {
        PieceList::Ptr p = takeFromBox(e.column, e.row);
        if (!p)
            continue;
        p->rotation = e.rotation;
        p->fixed = 0;
        doc_->rebuildPiece(*p);
        ordered.append(std::move(p));
    }
    // Pieces the file never mentions stay in the game, after the ones it lists.
    ordered.insertAll(ordered.size(), index.rest());
    box = std::move(ordered);

    if (CPieceStrip* s = strip()) {
        s->setList(&box, doc_->cellSize());
        s->setScrollValues(g.maximumScroll, g.scrollPosition);
        s->refresh();
        s->update();
    }
    view_->update();
    update();
    app_->state.modified = wasModified;
    return true;
}
