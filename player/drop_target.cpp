#include "drop_target.h"

#include "board_view.h"
#include "main_frame.h"
#include "piece_strip.h"

DropTarget singlePieceTarget(const CMainFrame& frame, QPoint s, const QRect& dragRect)
{
    DropTarget t;
    CTileMenderView* view = frame.view();
    if (CTrayWnd* tray = view ? view->trayAt(s) : nullptr) {
        t.kind = DropTarget::Tray;
        t.tray = tray;
        return t;
    }
    const CPieceStrip* strip = frame.strip();
    const QRect viewRect = view ? QRect(view->mapToGlobal(QPoint(0, 0)), view->size()) : QRect();
    const bool overView = view && dragRect.intersects(viewRect);
    const bool overStrip = strip && dragRect.intersects(strip->globalRect());
    if (overView && (!overStrip || viewRect.contains(s)))
        t.kind = DropTarget::Board;
    else if (overStrip)
        t.kind = DropTarget::Strip;
    return t;
}
