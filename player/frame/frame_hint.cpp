// The hint and the frame's timers: a hint picks one grid neighbour of a
// piece that is not yet joined to it, brings it into view and flashes its
// outline brighter in twelve steps; the clock timer keeps the caption's
// clock going. Turning the current piece lives here too, beside the other
// operation the view's buttons call.

#include "main_frame.h"

#include "board_view.h"
#include "crt_random.h"
#include "frame_caption.h"
#include "hint_rules.h"
#include "piece_strip.h"
#include "frame_host.h"
#include "player_look.h"
#include "player_messages.h"
#include "player_state.h"
#include "tile_mender_doc.h"
#include "tray_wnd.h"

#include <QTimerEvent>

namespace {
constexpr int kFlashInterval = 100; // ms between two steps of the flash
constexpr int kFlashStep = 20;
constexpr int kFlashTop = 255;

// The open tray that holds a piece, or null.
CTrayWnd* trayHolding(const CTileMenderView& view, const CPiece* p)
{
    for (CTrayWnd* tray : view.trays())
        if (tray->pieces().indexOf(p) >= 0)
            return tray;
    return nullptr;
}

// Repaints a piece wherever it lies now; the user may have moved it since
// it was hinted.
void redrawWhereItLies(CMainFrame& frame, const CPiece* p)
{
    CTileMenderView& view = *frame.view();
    if (view.boardList().indexOf(p) >= 0)
        view.redrawPiece(p);
    else if (CTrayWnd* tray = trayHolding(view, p))
        tray->redrawPiece(p);
    else if (frame.strip())
        frame.strip()->update();
}
} // namespace

void CMainFrame::hint(CPiece* piece)
{
    if (!piece)
        return;

    // 1. The previous flash goes out.
    hintTimer_.stop();
    if (!hintList_.empty() && hintList_.front().piece) {
        CPiece* old = hintList_.front().piece;
        old->hintLevel = 0;
        redrawWhereItLies(*this, old);
    }
    hintList_.clear();

    // 2. Candidates, the box's first, then the board's, then the trays'.
    const std::vector<CTrayWnd*> trays = view_->trays();
    std::vector<const PieceList*> trayLists;
    for (const CTrayWnd* tray : trays)
        trayLists.push_back(&tray->pieces());
    std::vector<hint_rules::Candidate> candidates =
        hint_rules::candidates(*piece, doc_->boxList(), view_->boardList(), trayLists, doc_->cellSize());

    // 3. Nothing to point at.
    if (candidates.empty())
        return;

    // 4. One of them, at random, heads the list and is brought into view.
    hint_rules::putFirst(candidates, crt::rand() % int(candidates.size()));
    for (const hint_rules::Candidate& c : candidates) {
        QWidget* where = c.kind == ContainerKind::Board ? static_cast<QWidget*>(view_)
                         : c.kind == ContainerKind::Tray ? static_cast<QWidget*>(trays[size_t(c.tray)])
                                                         : static_cast<QWidget*>(strip());
        hintList_.push_back({c.piece, c.kind, where});
    }
    CPiece* chosen = hintList_.front().piece;
    if (hintList_.front().kind == ContainerKind::Board) {
        view_->raisePiece(chosen);
        // Trays over the piece step aside so that it shows.
        const QRect at = chosen->bounds().translated(QPoint(chosen->x, chosen->y) - view_->scrollPosition());
        for (CTrayWnd* tray : std::vector<CTrayWnd*>(view_->trays()))
            if (tray->geometry().intersects(at))
                tray->minimizeTray();
        view_->redrawPiece(chosen);
    } else if (hintList_.front().kind == ContainerKind::Tray) {
        auto* tray = static_cast<CTrayWnd*>(hintList_.front().container.data());
        view_->moveTrayToHead(tray);
        tray->raisePiece(chosen);
        tray->restoreTray();
        tray->raise();
        view_->moveTrayToHead(tray);
    } else {
        strip()->scrollToPiece(chosen);
        strip()->update();
    }

    // 5. The flash starts dark, and a screen reader hears where it points,
    // whichever way the hint was asked for.
    hintLevel_ = 0;
    hintTimer_.start(kFlashInterval, this);
    announceHint();
}

void CMainFrame::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == clockTimer_.timerId()) {
        frame_caption::clockTick(*this);
        return;
    }
    if (e->timerId() != hintTimer_.timerId())
        return;

    hintLevel_ += kFlashStep;
    if (hintLevel_ > kFlashTop) {
        hintTimer_.stop();
        hintLevel_ = 0;
    }
    if (hintList_.empty() || !hintList_.front().piece) {
        hintTimer_.stop();
        return;
    }
    CPiece* p = hintList_.front().piece;
    if (p->carried) {
        // Picked up while it flashed: it travels plain.
        hintTimer_.stop();
        p->hintLevel = 0;
        return;
    }
    p->hintLevel = hintLevel_;
    redrawWhereItLies(*this, p);
}

void CMainFrame::turnCurrentPiece()
{
    if (!app_->playerState().rotationAllowed || !current_)
        return;
    runAsOneStep([this] {
        markModified();
        if (currentKind_ == ContainerKind::Strip)
            strip()->turnPiece(current_);
        else if (currentKind_ == ContainerKind::Board)
            view_->turnGroup(current_);
        else if (auto* tray = qobject_cast<CTrayWnd*>(currentContainer_.data()); tray && !tray->closed()) {
            tray->turnPiece(current_);
            tray->restoreTray();
            tray->raise();
            view_->moveTrayToHead(tray);
        }
    });
}
