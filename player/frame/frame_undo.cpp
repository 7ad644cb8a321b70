// Undo and redo in the frame: the children say when a user action starts
// and when it is over, the frame reads the game into records at both ends and
// keeps what changed as one step (undo_history does the arithmetic). Taking
// a step back puts the touched pieces back into the windows' lists, reopens,
// closes and places the trays the step changed, and makes the piece that was
// current then current again.

#include "main_frame.h"

#include "board_view.h"
#include "piece_strip.h"
#include "popup_menu.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"

#include <algorithm>

using namespace undo_history;

GameRecord CMainFrame::recordGame() const
{
    GameRecord g;
    capture(g.pieces, doc_->boxList(), Where::Box);
    capture(g.pieces, view_->boardList(), Where::Board);
    // The view's children are kept in stacking order, the bottom first.
    std::vector<const CTrayWnd*> stack;
    for (const QObject* child : view_->children())
        if (const auto* tray = qobject_cast<const CTrayWnd*>(child); tray && !tray->closed())
            stack.push_back(tray);
    for (const CTrayWnd* t : view_->trays()) {
        capture(g.pieces, t->pieces(), Where::Tray, t->number());
        TrayState s;
        s.number = t->number();
        s.placement = t->placement();
        s.stacking = int32_t(std::find(stack.begin(), stack.end(), t) - stack.begin());
        g.trays.trays.push_back(s);
    }
    g.trays.nextTray = view_->trayCascade().next;
    g.trays.nextMinimizedY = view_->trayCascade().nextMinimizedY;
    g.trays.table = view_->trayNumbers().table();
    g.current = current_ ? keyOf(*current_) : kNoPiece;
    return g;
}

void CMainFrame::actionStarts()
{
    if (holding_)
        return;
    // Always read afresh: an action that never ended (a click on a fixed
    // piece) leaves nothing behind that the next one could take for its own.
    actionBefore_ = recordGame();
    actionOpen_ = true;
}

void CMainFrame::actionDone()
{
    if (holding_ || !actionOpen_)
        return;
    actionOpen_ = false;
    std::optional<Step> step = diff(actionBefore_, recordGame());
    actionBefore_ = GameRecord();
    if (step)
        history_.record(std::move(*step));
}

void CMainFrame::runAsOneStep(const std::function<void()>& action)
{
    if (holding_) {
        action();
        return;
    }
    actionStarts();
    ++holding_;
    action();
    --holding_;
    actionDone();
}

void CMainFrame::runUnrecorded(const std::function<void()>& action)
{
    ++holding_;
    action();
    --holding_;
    actionOpen_ = false;
}

bool CMainFrame::dragUnderWay() const
{
    if (view_->dragging() || (strip() && strip()->dragging()))
        return true;
    for (const CTrayWnd* t : view_->trays())
        if (t->dragging())
            return true;
    return false;
}

bool CMainFrame::undo()
{
    if (menu_)
        menu_->deleteLater();
    const Step* step = history_.nextUndo();
    if (!step || dragUnderWay())
        return false;
    restoreSide(*step, false);
    history_.undone();
    return true;
}

bool CMainFrame::redo()
{
    if (menu_)
        menu_->deleteLater();
    const Step* step = history_.nextRedo();
    if (!step || dragUnderWay())
        return false;
    restoreSide(*step, true);
    history_.redone();
    return true;
}

void CMainFrame::restoreSide(const Step& step, bool after)
{
    // The trays closed and opened here report their own actions; they are this one.
    ++holding_;
    // No flash may go on over a piece that is about to move.
    hintTimer_.stop();
    for (const HintEntry& h : hintList_)
        if (h.piece)
            h.piece->hintLevel = 0;
    hintList_.clear();
    hintLevel_ = 0;
    clearCurrentPiece();

    const std::vector<PieceState>& side = after ? step.after : step.before;
    const std::optional<TraysState>& trays = after ? step.traysAfter : step.traysBefore;
    auto findTray = [this](int32_t number) -> CTrayWnd* {
        for (CTrayWnd* t : view_->trays())
            if (t->number() == number)
                return t;
        return nullptr;
    };
    auto wanted = [&trays](int32_t number) {
        return std::any_of(trays->trays.begin(), trays->trays.end(),
                           [number](const TrayState& s) { return s.number == number; });
    };

    // Trays come back before their pieces do.
    if (trays)
        for (const TrayState& s : trays->trays)
            if (!findTray(s.number))
                view_->createTray(s.number);

    Lists lists;
    lists.box = &doc_->boxList();
    lists.board = &view_->boardList();
    for (CTrayWnd* t : view_->trays())
        lists.trays.push_back({t->number(), &t->pieces()});
    restore(lists, side, [this](CPiece& p) { doc_->rebuildPiece(p); });

    if (trays) {
        // Trays this side has not are empty now; closing one puts back
        // anything still in it, so no piece is lost.
        for (CTrayWnd* t : std::vector<CTrayWnd*>(view_->trays()))
            if (!wanted(t->number()))
                t->closeTray();
        for (const TrayState& s : trays->trays)
            if (CTrayWnd* t = findTray(s.number); t && !(t->placement() == s.placement))
                t->setPlacement(s.placement);
        for (auto it = trays->trays.rbegin(); it != trays->trays.rend(); ++it)
            view_->moveTrayToHead(findTray(it->number));
        std::vector<const TrayState*> byStacking;
        for (const TrayState& s : trays->trays)
            byStacking.push_back(&s);
        std::stable_sort(byStacking.begin(), byStacking.end(),
                         [](const TrayState* a, const TrayState* b) { return a->stacking < b->stacking; });
        for (const TrayState* s : byStacking)
            if (CTrayWnd* t = findTray(s->number))
                t->raise();
        view_->trayCascade().next = trays->nextTray;
        view_->trayCascade().nextMinimizedY = trays->nextMinimizedY;
        view_->trayNumbers().setTable(trays->table);
    }

    view_->boardListChanged();
    for (CTrayWnd* t : view_->trays())
        t->update();
    if (CPieceStrip* s = strip()) {
        s->refresh();
        s->update();
    }

    const PieceKey current = after ? step.currentAfter : step.currentBefore;
    if (current != kNoPiece) {
        auto in = [current](const PieceList& list) -> CPiece* {
            for (int i = 0; i < list.size(); ++i)
                if (keyOf(*list[i]) == current)
                    return list[i];
            return nullptr;
        };
        if (CPiece* p = in(view_->boardList()))
            select(p, ContainerKind::Board, view_);
        else if (CPiece* q = in(doc_->boxList()))
            select(q, ContainerKind::Strip, strip());
        else
            for (CTrayWnd* t : view_->trays())
                if (CPiece* r = in(t->pieces())) {
                    select(r, ContainerKind::Tray, t);
                    break;
                }
    }
    markModified();
    actionOpen_ = false;
    --holding_;
    update();
}
