// Playing without a mouse. The frame gets every key its children leave: Tab
// walks the pieces, the arrows carry the current one over the board, Return
// lets it go as a mouse would, Escape puts it back. keyboard_play decides
// what the keys mean; the board carries and drops the pieces itself.

#include "main_frame.h"

#include "board_rules.h"
#include "board_view.h"
#include "keyboard_play.h"
#include "piece.h"
#include "piece_strip.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"

#include <QKeyEvent>

#include <algorithm>

std::vector<CMainFrame::KeyTarget> CMainFrame::keyTargets() const
{
    std::vector<KeyTarget> targets;
    if (CPieceStrip* s = strip(); s && s->list()) {
        const edge_order::ShownPieces shown = s->shownPieces();
        for (int row = 0; row < shown.count(); ++row) {
            const int i = shown.filtered() ? shown.listIndex(row) : row;
            targets.push_back({s->list()->at(i), ContainerKind::Strip, s});
        }
    }
    const PieceList& board = view_->boardList();
    const int k = doc_->cellSize();
    auto groupOf = [&](int i) {
        // A group is named by the lowest board place among its pieces.
        int lowest = i;
        for (CPiece* g : board_rules::group(view_->grid(), *board.at(i), k))
            lowest = std::min(lowest, board.indexOf(g));
        return lowest;
    };
    auto fixed = [&](int i) { return board.at(i)->fixed != 0; };
    for (int i : keyboard_play::looseGroupEntries(board.size(), groupOf, fixed))
        targets.push_back({board.at(i), ContainerKind::Board, view_});
    // The trays by their numbers: the list's own order changes as each comes forward.
    std::vector<CTrayWnd*> trays = view_->trays();
    std::stable_sort(trays.begin(), trays.end(), [](const CTrayWnd* a, const CTrayWnd* b) { return a->number() < b->number(); });
    for (CTrayWnd* tray : trays) {
        if (tray->closed())
            continue;
        for (const auto& p : tray->pieces())
            targets.push_back({p.get(), ContainerKind::Tray, tray});
    }
    return targets;
}

void CMainFrame::tabToPiece(bool backwards)
{
    const std::vector<KeyTarget> targets = keyTargets();
    int current = -1;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (targets[i].piece == current_)
            current = int(i);
    }
    // A board piece that is no entry of its own stands for its group's entry.
    if (current < 0 && current_ && currentKind_ == ContainerKind::Board) {
        for (CPiece* g : board_rules::group(view_->grid(), *current_, doc_->cellSize())) {
            for (size_t i = 0; i < targets.size(); ++i) {
                if (targets[i].piece == g)
                    current = int(i);
            }
        }
    }
    const int next = keyboard_play::nextIndex(int(targets.size()), current, backwards);
    if (next < 0)
        return;
    const KeyTarget& t = targets[size_t(next)];
    select(t.piece, t.kind, t.container);
    if (t.kind == ContainerKind::Strip) {
        strip()->scrollToPiece(t.piece);
    } else if (t.kind == ContainerKind::Tray) {
        auto* tray = static_cast<CTrayWnd*>(t.container);
        tray->raise();
        view_->moveTrayToHead(tray);
    } else {
        view_->redrawPiece(t.piece);
    }
}

bool CMainFrame::keyMove(QPoint delta)
{
    if (view_->keyCarrying()) {
        view_->keyMoveBy(delta);
        return true;
    }
    if (!current_ || dragUnderWay() || !overlay_)
        return false;
    switch (currentKind_) {
    case ContainerKind::Board:
        // The first arrow lifts the group; fixed pieces never move.
        return view_->keyLiftGroup(current_);
    case ContainerKind::Strip: {
        CPieceStrip* s = strip();
        const int index = s->list()->indexOf(current_);
        if (index < 0)
            return false;
        actionStarts();
        keyOrigin_ = {ContainerKind::Strip, s, index, QPoint(current_->x, current_->y)};
        std::unique_ptr<CPiece> piece = s->list()->take(index);
        s->refresh();
        s->update();
        // It comes down in the board's first free place from the top-left.
        std::vector<QRect> taken;
        std::vector<QPoint> takenCells;
        for (const auto& p : view_->boardList()) {
            taken.push_back(p->bounds().translated(p->x, p->y));
            takenCells.emplace_back(p->x, p->y);
        }
        // An empty cell of the board first: from there Shift and the arrows
        // step a cell at a time, and land exactly where a drop snaps.
        const QRect area(QPoint(0, 0), view_->size());
        const QRect b = piece->bounds();
        const std::optional<QPoint> cell = keyboard_play::freeCell(view_->boardOrigin(), doc_->columns(), doc_->rows(),
                                                                   doc_->cellSize(), takenCells);
        const QPoint at = cell && area.contains(b.translated(*cell))
                              ? *cell
                              : keyboard_play::freePlace(b.size(), area, taken, doc_->cellSize()) - b.topLeft();
        view_->keyLiftPiece(std::move(piece), at);
        return true;
    }
    case ContainerKind::Tray: {
        auto* tray = qobject_cast<CTrayWnd*>(currentContainer_.data());
        const int index = tray ? tray->pieces().indexOf(current_) : -1;
        if (index < 0)
            return false;
        actionStarts();
        keyOrigin_ = {ContainerKind::Tray, tray, index, QPoint(current_->x, current_->y)};
        std::unique_ptr<CPiece> piece = tray->pieces().take(index);
        tray->update();
        // Lifted just over where it lay in its tray.
        const QPoint global = tray->mapToGlobal(tray->clientOrigin() + keyOrigin_.at);
        view_->keyLiftPiece(std::move(piece), view_->mapFromGlobal(global) + view_->scrollPosition());
        return true;
    }
    }
    return false;
}

bool CMainFrame::keyDrop()
{
    if (!view_->keyCarrying())
        return false;
    view_->keyDrop();
    announceCurrent();
    return true;
}

bool CMainFrame::keyEscape()
{
    if (!view_->keyCarrying())
        return false;
    std::unique_ptr<CPiece> piece = view_->keyCancel();
    if (piece) {
        CPiece* p = piece.get();
        // Back as it was, where it was.
        p->x = keyOrigin_.at.x();
        p->y = keyOrigin_.at.y();
        auto* tray = qobject_cast<CTrayWnd*>(keyOrigin_.container.data());
        if (keyOrigin_.kind == ContainerKind::Tray && tray && !tray->closed()) {
            tray->pieces().insert(std::min(keyOrigin_.index, tray->pieces().size()), std::move(piece));
            tray->update();
            select(p, ContainerKind::Tray, tray);
        } else if (CPieceStrip* s = strip(); s && s->list()) {
            s->list()->insert(std::min(keyOrigin_.index, s->list()->size()), std::move(piece));
            s->refresh();
            s->update();
            select(p, ContainerKind::Strip, s);
        } else {
            std::vector<std::unique_ptr<CPiece>> one;
            one.push_back(std::move(piece));
            returnToBox(std::move(one));
        }
        actionDone();
    }
    announceCurrent();
    return true;
}

bool CMainFrame::focusNextPrevChild(bool next)
{
    // Tab never moves the focus between the frame's parts: it picks pieces.
    // A piece being carried is let go or put back first.
    if (!view_->keyCarrying())
        tabToPiece(!next);
    return true;
}

void CMainFrame::keyPressEvent(QKeyEvent* e)
{
    const bool cell = e->modifiers() & Qt::ShiftModifier;
    const int k = doc_->cellSize();
    using keyboard_play::Direction;
    auto arrow = [&](Direction d) { keyMove(view_->keyCarrying() ? keyboard_play::step(d, cell, k) : QPoint()); };
    switch (e->key()) {
    case Qt::Key_Left:
        arrow(Direction::Left);
        break;
    case Qt::Key_Right:
        arrow(Direction::Right);
        break;
    case Qt::Key_Up:
        arrow(Direction::Up);
        break;
    case Qt::Key_Down:
        arrow(Direction::Down);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        keyDrop();
        break;
    case Qt::Key_Escape:
        keyEscape();
        break;
    case Qt::Key_R:
        // A carried piece is turned once it lies down again.
        if (!view_->keyCarrying())
            pictureButtonClicked(CTileMenderView::Rotate);
        break;
    case Qt::Key_H:
        if (!view_->keyCarrying())
            pictureButtonClicked(CTileMenderView::Hint);
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}
