// Where a dropped piece lands, decided for every source by one rule over the
// windows' rectangles, and the one hand-over that puts it there and makes it
// the current piece. Each source keeps only what happens when nowhere takes it.

#include "main_frame.h"

#include "board_view.h"
#include "drop_rules.h"
#include "piece_strip.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"

DropTarget CMainFrame::dropTarget(QPoint cursor, const QRect& dragRect) const
{
    drop_rules::Areas areas;
    const std::vector<CTrayWnd*> trays = view_ ? view_->traysTopmostFirst() : std::vector<CTrayWnd*>();
    for (const CTrayWnd* tray : trays)
        areas.trays.push_back({QRect(tray->mapToGlobal(QPoint(0, 0)), tray->size()), tray->isMinimizedTray()});
    if (view_)
        areas.board = QRect(view_->mapToGlobal(QPoint(0, 0)), view_->size());
    if (const CPieceStrip* s = strip())
        areas.strip = s->globalRect();

    const drop_rules::Choice choice = drop_rules::choose(areas, cursor, dragRect);
    switch (choice.kind) {
    case drop_rules::Choice::Tray:
        return {DropTarget::Tray, trays[size_t(choice.tray)]};
    case drop_rules::Choice::Board:
        return {DropTarget::Board, nullptr};
    case drop_rules::Choice::Strip:
        return {DropTarget::Strip, nullptr};
    case drop_rules::Choice::Nowhere:
        break;
    }
    return {};
}

void CMainFrame::handOver(std::unique_ptr<CPiece> piece, const DropTarget& target, QPoint globalPoint)
{
    if (!piece)
        return;
    CPiece* p = piece.get();
    switch (target.kind) {
    case DropTarget::Tray:
        target.tray->addPiece(std::move(piece), globalPoint);
        select(p, ContainerKind::Tray, target.tray);
        break;
    case DropTarget::Board:
        view_->dropSinglePiece(std::move(piece), globalPoint);
        select(p, ContainerKind::Board, view_);
        break;
    case DropTarget::Strip:
        strip()->addPiece(std::move(piece), globalPoint);
        select(p, ContainerKind::Strip, strip());
        break;
    case DropTarget::Nowhere: {
        // Sources keep a piece nowhere takes; one handed over anyway is
        // still never lost.
        std::vector<std::unique_ptr<CPiece>> one;
        one.push_back(std::move(piece));
        returnToBox(std::move(one));
        break;
    }
    }
}

void CMainFrame::returnToBox(std::vector<std::unique_ptr<CPiece>> pieces)
{
    if (pieces.empty())
        return;
    if (CPieceStrip* s = strip()) {
        // A point above the column: each piece goes before the first row shown.
        s->addPieces(std::move(pieces), s->mapToGlobal(QPoint(1, 1)));
        s->update();
    } else {
        doc_->boxList().insertAll(doc_->boxList().size(), std::move(pieces));
    }
}
