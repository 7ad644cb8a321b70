// The board view's trays: opening them in a cascade, the most recently used
// at the head of the list, closing them, finding the one under a point, and
// putting a piece on the board exactly where a saved game had it.

#include "board_view.h"

#include "bitmaps.h"
#include "piece_host.h"
#include "tray_wnd.h"

#include <QCoreApplication>

#include <algorithm>

using namespace frame_geometry;

QPoint CTileMenderView::firstTrayPosition() { return tray_rules::firstTrayPosition(); }

int CTileMenderView::lowestMinimizedTrayY() const { return tray_rules::lowestMinimizedTrayY(height()); }

int CTileMenderView::takeMinimizedTrayY() { return cascade_.takeMinimizedY(height()); }

void CTileMenderView::resetTrayCascade() { cascade_.reset(height()); }

void CTileMenderView::releaseTrayNumber(int number) { trayNumbers_.release(number); }

CTrayWnd* CTileMenderView::openTray()
{
    // A saved game with more would not load again.
    if (int(trays_.size()) >= CTrayNumberPool::kMaxTrays)
        return nullptr;
    host_.markModified();
    const int number = trayNumbers_.take();
    const QRect r = cascade_.open(size());

    auto* tray = new CTrayWnd(look_, state_, host_, *this, this, number);
    trays_.insert(trays_.begin(), tray);
    WindowPlacement wp = tray->placement();
    wp.setNormalRect(r);
    wp.flags |= WindowPlacement::kSetMinPosition;
    wp.minPosition = QPoint(1, takeMinimizedTrayY());
    tray->setPlacement(wp);
    tray->show();
    tray->raise();
    return tray;
}

CTrayWnd* CTileMenderView::createTray(int number)
{
    trayNumbers_.markUsed(number);
    auto* tray = new CTrayWnd(look_, state_, host_, *this, this, number);
    trays_.insert(trays_.begin(), tray);
    tray->show();
    tray->raise();
    return tray;
}

void CTileMenderView::moveTrayToHead(CTrayWnd* tray)
{
    const auto it = std::find(trays_.begin(), trays_.end(), tray);
    if (it != trays_.end())
        std::rotate(trays_.begin(), it, it + 1);
}

void CTileMenderView::closeAllTrays()
{
    // Each closing tray takes itself out of the list.
    const std::vector<CTrayWnd*> closing = trays_;
    for (CTrayWnd* tray : closing)
        tray->closeTray();
    trays_.clear();
}

void CTileMenderView::takeOutOfList(CTrayWnd* tray)
{
    const auto it = std::find(trays_.begin(), trays_.end(), tray);
    if (it != trays_.end())
        trays_.erase(it);
}

void CTileMenderView::discardAllTrays()
{
    std::vector<CTrayWnd*> going;
    going.swap(trays_);
    for (CTrayWnd* tray : going) {
        // The frame forgets a current piece of ours before it is deleted.
        if (CPiece* current = host_.currentPiece(); current && tray->pieces().indexOf(current) >= 0)
            host_.forgetCurrentPiece();
        tray->discard();
        tray->deleteLater();
    }
    trayNumbers_.setTable(std::vector<int32_t>(CTrayNumberPool::kGrowth, 0));
    cascade_.next = firstTrayPosition();
}

void CTileMenderView::trayClosed(CTrayWnd* tray)
{
    takeOutOfList(tray);
    QCoreApplication::postEvent(this, new TrayClosedEvent(tray));
}

void CTileMenderView::deleteClosedTray(CTrayWnd* tray)
{
    if (!tray)
        return; // already gone with another puzzle
    takeOutOfList(tray);
    tray->deleteLater();
}

std::vector<CTrayWnd*> CTileMenderView::traysTopmostFirst() const
{
    // Children are kept in stacking order, the topmost last.
    std::vector<CTrayWnd*> out;
    const QObjectList& kids = children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
        auto* tray = qobject_cast<CTrayWnd*>(*it);
        if (tray && !tray->closed() && !tray->isHidden())
            out.push_back(tray);
    }
    return out;
}

void CTileMenderView::setFixedCount(int n)
{
    fixedCount_ = n;
    if (fixJoinedPieces() > 0)
        finishIfComplete();
}

void CTileMenderView::placeOnBoard(std::unique_ptr<CPiece> piece)
{
    if (!piece)
        return;
    // Fixed or not, each piece goes on top, so the board keeps the stacking
    // the file has and a load then a save gives the same board block.
    // No repaint of each piece: the load repaints the whole view once, and
    // ten thousand small dirty rectangles cost more than the pieces.
    CPiece* p = piece.get();
    p->carried = 0;
    grid_.set(p->column, p->row, p);
    board_.append(std::move(piece));
}
