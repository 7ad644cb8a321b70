// The hint and the frame's timers: a hint picks one grid neighbour of a
// piece that is not yet joined to it, brings it into view and flashes its
// outline brighter in twelve steps; the clock timer keeps the caption's
// clock going. Turning the current piece lives here too, beside the other
// operation the view's buttons call.

#include "main_frame.h"

#include "board_rules.h"
#include "board_view.h"
#include "crt_random.h"
#include "frame_caption.h"
#include "piece_strip.h"
#include "tile_mender_app.h"
#include "tile_mender_doc.h"

#include <QTimerEvent>

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kFlashInterval = 100; // ms between two steps of the flash
constexpr int kFlashStep = 20;
constexpr int kFlashTop = 255;

bool gridNeighbours(const CPiece& a, const CPiece& b)
{
    return (a.row == b.row && std::abs(a.column - b.column) == 1)
           || (a.column == b.column && std::abs(a.row - b.row) == 1);
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
        if (view_->boardList().indexOf(old) >= 0)
            view_->redrawPiece(old);
        else
            strip()->update();
    }
    hintList_.clear();

    // 2. Candidates, the box's first, then the board's.
    std::vector<HintEntry> candidates;
    for (const auto& n : doc_->boxList())
        if (gridNeighbours(*n, *piece))
            candidates.push_back({n.get(), ContainerKind::Strip, strip()});
    // A neighbour already joined to the piece has nothing left to show; that
    // only means something while the piece itself lies on the board.
    const bool onBoard = view_->boardList().indexOf(piece) >= 0;
    const int k = doc_->cellSize();
    for (const auto& n : view_->boardList())
        if (gridNeighbours(*n, *piece) && !(onBoard && board_rules::joined(*n, *piece, k)))
            candidates.push_back({n.get(), ContainerKind::Board, view_});
    // Tray pieces come after the board's, once there are trays.

    // 3. Nothing to point at.
    if (candidates.empty())
        return;

    // 4. One of them, at random, heads the list and is brought into view.
    const int pick = crt::rand() % int(candidates.size());
    std::rotate(candidates.begin(), candidates.begin() + pick, candidates.begin() + pick + 1);
    hintList_ = std::move(candidates);
    CPiece* chosen = hintList_.front().piece;
    if (hintList_.front().kind == ContainerKind::Board) {
        view_->raisePiece(chosen);
        view_->redrawPiece(chosen);
    } else {
        strip()->scrollToPiece(chosen);
        strip()->update();
    }

    // 5. The flash starts dark.
    hintLevel_ = 0;
    hintTimer_.start(kFlashInterval, this);
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
    // Redrawn where it lies now; the user may have moved it since the hint.
    if (view_->boardList().indexOf(p) >= 0)
        view_->redrawPiece(p);
    else
        strip()->update();
}

void CMainFrame::turnCurrentPiece()
{
    if (!app_->state.rotationAllowed || !current_)
        return;
    app_->state.modified = 1;
    if (currentKind_ == ContainerKind::Strip)
        strip()->turnPiece(current_);
    else if (currentKind_ == ContainerKind::Board)
        view_->turnGroup(current_);
}
