// The game in progress, kept beside its puzzle: Save gathers what each
// window holds into the game's snapshot and writes it; Load reads and checks
// the whole file first and only then closes the trays, clears the board and
// gives each window the pieces the snapshot deals it.

#include "main_frame.h"

#include "board_view.h"
#include "file_read.h"
#include "game_snapshot.h"
#include "message_box.h"
#include "piece_strip.h"
#include "popup_menu.h"
#include "saved_game.h"
#include "frame_host.h"
#include "player_look.h"
#include "player_messages.h"
#include "player_state.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The whole path: the player may have been started on a relative one.
QString shownPath(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

} // namespace

saved_game::SavedGame CMainFrame::captureGame() const
{
    game_snapshot::Parts parts;
    parts.elapsed = playTime();
    parts.finished = doc_->finished;
    parts.backgroundOption = app_->playerState().backgroundOption;
    parts.soundOption = app_->playerState().soundOption;
    parts.nextTray = view_->trayCascade().next;
    parts.nextMinimizedTrayY = view_->trayCascade().nextMinimizedY;
    for (const CTrayWnd* t : view_->trays())
        parts.trays.push_back({t->number(), t->placement(), &t->pieces(), t->carriedPiece(), t->carriedFrom()});
    parts.board = &view_->boardList();
    parts.carriedOnBoard = &view_->carriedPieces();
    parts.trayTable = view_->trayNumbers().table();
    parts.box = &doc_->boxList();
    if (CPieceStrip* s = strip()) {
        parts.maximumScroll = s->maximumScroll();
        parts.scrollPosition = s->scrollPosition();
    }
    return game_snapshot::capture(parts);
}

bool CMainFrame::saveGame()
{
    // Cleared even when nothing is written; a failed write sets it again so
    // that the user is still asked on leaving.
    const int32_t wasModified = app_->playerState().modified;
    app_->playerState().modified = 0;
    // The menu may be running the command that brought us here, so it goes
    // once its own event is over.
    if (menu_)
        menu_->deleteLater();
    if (doc_->pathName().isEmpty())
        return true;
    const QString path = CTileMenderDoc::savedGamePath(doc_->pathName());

    // The clock is brought up to date so the file holds the time played until now.
    if (!doc_->finished)
        clock_.stop();
    const saved_game::SavedGame g = captureGame();

    QString error;
    if (!saved_game::writeFile(path, g, &error)) {
        app_->playerState().modified = wasModified ? wasModified : 1;
        messageBox(this,
                   tr("The game could not be saved to %1: %2. The previous saved game, if there is one, "
                      "is unchanged.")
                       .arg(shownPath(path), error),
                   messages::boxCaption(), mb::Ok | mb::IconExclamation);
        return false;
    }
    dropRecovery(recoveryPath());
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
                   messages::boxCaption(), mb::Ok | mb::IconExclamation);
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
                   messages::boxCaption(), mb::Ok | mb::IconExclamation);
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
    const int32_t wasModified = app_->playerState().modified;

    applyGame(g);
    app_->playerState().modified = wasModified;
    return true;
}

void CMainFrame::applyGame(const saved_game::SavedGame& g)
{
    clock_.restore(g.elapsed);
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
    app_->playerState().backgroundOption = g.backgroundOption;
    app_->playerState().soundOption = g.soundOption;

    // Every piece is in the box now; the snapshot deals them out of it.
    PieceList& box = doc_->boxList();
    game_snapshot::Dealt dealt = game_snapshot::deal(g, box, doc_->columns(), doc_->rows(),
                                                     [this](CPiece& p) { doc_->rebuildPiece(p); });

    view_->trayCascade().next = QPoint(g.nextTrayX, g.nextTrayY);
    view_->trayCascade().nextMinimizedY = g.nextMinimizedTrayY;
    for (game_snapshot::Dealt::Tray& t : dealt.trays) {
        CTrayWnd* tray = view_->createTray(t.number);
        tray->setPlacement(t.placement);
        for (PieceList::Ptr& p : t.pieces)
            tray->pieces().append(std::move(p));
        tray->update();
    }
    for (PieceList::Ptr& p : dealt.board)
        view_->placeOnBoard(std::move(p));
    view_->setFixedCount(dealt.fixed);
    view_->trayNumbers().setTable(g.trayTable);
    box = std::move(dealt.box);

    if (CPieceStrip* s = strip()) {
        s->setList(&box, doc_->cellSize());
        s->setScrollValues(g.maximumScroll, g.scrollPosition);
        s->refresh();
        s->update();
    }
    view_->update();
    update();
}
