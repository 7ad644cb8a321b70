// A tray's pieces: adding them with the clamps, turning them, carrying one
// out to the board, the column or a tray, and the tray's own life (placement,
// minimising, closing). Painting, the frame and the caption buttons live in
// tray_frame.cpp.

#include "tray_wnd.h"

#include "bitmaps.h"
#include "drag_overlay.h"
#include "piece_host.h"
#include "player_look.h"
#include "player_messages.h"
#include "player_state.h"
#include "tray_host.h"
#include "tray_rules.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QMouseEvent>

#include <algorithm>

using namespace frame_geometry;

TrayClosedEvent::TrayClosedEvent(CTrayWnd* t) : QEvent(QEvent::Type(messages::kTrayClosed)), tray(t) {}

CTrayWnd::CTrayWnd(const PlayerLook& look, const PlayerState& state, PieceHost& pieces, TrayHost& board,
                   QWidget* parent, int number)
    : QWidget(parent), look_(look), state_(state), host_(pieces), board_(board), number_(number)
{
    // Every pixel, frame included, comes from the composed picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    // Moves without a button set the sizing cursor over the frame's edges.
    setMouseTracking(true);
    setCursor(Qt::ArrowCursor);
    setGeometry(0, 0, 200, 200);
    normalGeometry_ = geometry();
}

// Nothing here may reach either host: both may already be half gone when
// the board's children are destroyed.
CTrayWnd::~CTrayWnd() = default;

QString CTrayWnd::title() const { return QStringLiteral("Tray%1").arg(number_ + 1); }

QRect CTrayWnd::clientRect() const
{
    // A minimised tray shows only its title band and takes nothing.
    if (minimized_)
        return QRect();
    return QRect(kSide, kTop, std::max(0, width() - 2 * kSide), std::max(0, height() - kTop - kBottom));
}

QRect CTrayWnd::globalClientRect() const
{
    const QRect c = clientRect();
    return c.isEmpty() ? QRect() : QRect(mapToGlobal(c.topLeft()), c.size());
}

void CTrayWnd::addPiece(std::unique_ptr<CPiece> piece, QPoint globalPoint)
{
    if (!piece)
        return;
    host_.markModified();
    CPiece* p = piece.get();
    // The clamps use the tray's open size even while it is minimised.
    const QSize whole = minimized_ ? normalGeometry_.size() : size();
    const QSize client(whole.width() - 2 * kSide, whole.height() - kTop - kBottom);
    const QPoint at = tray_rules::pulledInside(mapFromGlobal(globalPoint) - clientOrigin(), p->bounds(), client);
    p->x = at.x();
    p->y = at.y();
    p->carried = 0;
    pieces_.append(std::move(piece));
    redrawPiece(p);
}

void CTrayWnd::turnPiece(CPiece* piece)
{
    if (!state_.rotationAllowed || !piece || pieces_.indexOf(piece) < 0)
        return;
    host_.markModified();
    piece->rotation = (piece->rotation + 1) % 4;
    host_.rebuildPiece(*piece);
    update();
    host_.actionDone();
}

CPiece* CTrayWnd::hitTest(QPoint clientPoint) const
{
    for (int i = pieces_.size() - 1; i >= 0; --i) {
        CPiece* p = pieces_[i];
        if (p->outline().contains(clientPoint - QPoint(p->x, p->y)))
            return p;
    }
    return nullptr;
}

void CTrayWnd::redrawPiece(const CPiece* p)
{
    if (p)
        update(p->paintBounds().translated(QPoint(p->x, p->y) + clientOrigin()));
}

void CTrayWnd::raisePiece(CPiece* piece)
{
    const int i = pieces_.indexOf(piece);
    if (i < 0)
        return;
    pieces_.append(pieces_.take(i));
    redrawPiece(piece);
}

// ---- placement, minimising, closing ----

WindowPlacement CTrayWnd::placement() const
{
    WindowPlacement wp;
    wp.flags = minimizedPositionSet_ ? WindowPlacement::kSetMinPosition : 0;
    wp.showCmd = minimized_ ? WindowPlacement::kShowMinimized : WindowPlacement::kShowNormal;
    wp.minPosition = minimizedPosition_;
    wp.setNormalRect(minimized_ ? normalGeometry_ : geometry());
    return wp;
}

void CTrayWnd::setPlacement(const WindowPlacement& wp)
{
    // A stored rectangle may be anything; sizes stay between the smallest a
    // user can make and the view, places within reach of the view.
    const QSize least = minimumTrackingSize();
    const QSize area = board_.area();
    const QSize most(std::max(least.width(), area.width()), std::max(least.height(), area.height()));
    auto span = [](int32_t from, int32_t to, int lo, int hi) {
        return int(std::clamp<int64_t>(int64_t(to) - int64_t(from), lo, hi));
    };
    auto place = [](int32_t v) { return int(std::clamp<int32_t>(v, -10000, 10000)); };
    const QRect normal(place(wp.left), place(wp.top), span(wp.left, wp.right, least.width(), most.width()),
                       span(wp.top, wp.bottom, least.height(), most.height()));
    if (wp.flags & WindowPlacement::kSetMinPosition) {
        minimizedPosition_ = QPoint(place(wp.minPosition.x()), place(wp.minPosition.y()));
        minimizedPositionSet_ = true;
    }
    if (wp.showCmd == WindowPlacement::kShowMinimized) {
        // Minimised twice over would take the minimised rectangle for the normal one.
        if (minimized_)
            restoreTray();
        setGeometry(normal);
        minimizeTray();
    } else {
        // Any other show command opens the tray: a hidden tray could never be found again.
        minimized_ = false;
        setGeometry(normal);
        keepInside();
    }
    normalGeometry_ = minimized_ ? normalGeometry_ : geometry();
}

int CTrayWnd::minimizedWidth() const { return std::max(kMinimizedWidth, minimumTrackingSize().width()); }

void CTrayWnd::minimizeTray()
{
    if (minimized_ || closed_)
        return;
    normalGeometry_ = geometry();
    if (!minimizedPositionSet_) {
        minimizedPosition_ = QPoint(1, board_.takeMinimizedTrayY());
        minimizedPositionSet_ = true;
    }
    minimized_ = true;
    setGeometry(QRect(minimizedPosition_, QSize(minimizedWidth(), kMinimizedHeight)));
    keepInside();
    update();
}

void CTrayWnd::restoreTray()
{
    if (!minimized_)
        return;
    minimized_ = false;
    setGeometry(normalGeometry_);
    keepInside();
    update();
}

void CTrayWnd::closeTray()
{
    if (closed_)
        return;
    host_.actionStarts();
    putCarriedBack();
    closed_ = true;
    host_.markModified();
    board_.releaseTrayNumber(number_);
    if (CPiece* current = host_.currentPiece(); current && pieces_.indexOf(current) >= 0)
        host_.forgetCurrentPiece();
    // All at once: one by one, each piece would shift the tray and the box.
    std::vector<std::unique_ptr<CPiece>> pieces = pieces_.takeAll();
    for (const auto& piece : pieces)
        piece->carried = 0;
    host_.returnToBox(std::move(pieces));
    hide();
    board_.trayClosed(this);
    host_.actionDone();
}

void CTrayWnd::discard()
{
    abandonDrag();
    closed_ = true;
    pieces_.clear();
    hide();
}

// ---- carrying a piece out ----

void CTrayWnd::bringForward()
{
    raise();
    board_.bringToHead(this);
}

void CTrayWnd::startDrag(CPiece* piece, QPoint clientPoint)
{
    CDragOverlay* overlay = host_.overlay();
    if (!overlay || overlay->active())
        return;
    host_.select(piece, ContainerKind::Tray, this);
    carriedIndex_ = pieces_.indexOf(piece);
    carriedFrom_ = QPoint(piece->x, piece->y);
    grab_ = clientPoint - carriedFrom_;
    carried_ = pieces_.take(carriedIndex_);
    carried_->carried = 1;
    dragging_ = true;
    // The layer's snapshot renders the tray afresh, already without the piece.
    update();
    const QPoint global = mapToGlobal(clientPoint + clientOrigin());
    dragRect_ = overlay->beginPiece(*carried_, global - grab_);
    setFocus(Qt::MouseFocusReason);
    grabMouse();
}

void CTrayWnd::moveDrag(QPoint globalPoint)
{
    CDragOverlay* overlay = host_.overlay();
    if (!overlay || !carried_)
        return;
    dragRect_ = overlay->movePiece(*carried_, globalPoint - grab_);
}

void CTrayWnd::drop(QPoint s)
{
    dragging_ = false;
    releaseMouse();
    if (CDragOverlay* overlay = host_.overlay())
        overlay->end();
    std::unique_ptr<CPiece> piece = std::move(carried_);
    const QRect dragRect = dragRect_;
    dragRect_ = QRect();
    if (!piece) {
        update();
        host_.actionDone();
        return;
    }
    CPiece* p = piece.get();
    p->carried = 0;
    const QPoint q = s - grab_;

    const DropTarget target = host_.dropTarget(s, dragRect);
    if (target.kind != DropTarget::Nowhere)
        host_.handOver(std::move(piece), target, q);
    if (piece) {
        // Nowhere took it: back into the tray where it was.
        carried_ = std::move(piece);
        putCarriedBack();
    }
    carriedIndex_ = -1;
    update();
    host_.actionDone();
}

void CTrayWnd::putCarriedBack()
{
    if (dragging_) {
        dragging_ = false;
        releaseMouse();
        if (CDragOverlay* overlay = host_.overlay())
            overlay->end();
    }
    if (!carried_)
        return;
    carried_->carried = 0;
    carried_->x = carriedFrom_.x();
    carried_->y = carriedFrom_.y();
    const int at = std::clamp(carriedIndex_, 0, pieces_.size());
    CPiece* p = carried_.get();
    pieces_.insert(at, std::move(carried_));
    carriedIndex_ = -1;
    redrawPiece(p);
}

void CTrayWnd::abandonDrag()
{
    if (!dragging_)
        return;
    dragging_ = false;
    releaseMouse();
    if (CDragOverlay* overlay = host_.overlay())
        overlay->end();
    carried_.reset();
    carriedIndex_ = -1;
}

// ---- mouse ----

void CTrayWnd::mousePressEvent(QMouseEvent* e)
{
    if (dragging_ || closed_)
        return;
    const QPoint pos = e->position().toPoint();
    const bool inClient = clientRect().contains(pos);
    // A press on a piece starts a move or a turn, and the tray coming
    // forward is part of it.
    if (inClient && hitTest(pos - clientOrigin()))
        host_.actionStarts();
    bringForward();
    if (e->button() == Qt::LeftButton) {
        if (!inClient) {
            framePress(e);
            return;
        }
        if (CPiece* hit = hitTest(pos - clientOrigin()))
            startDrag(hit, pos - clientOrigin());
    } else if (e->button() == Qt::RightButton && inClient) {
        CPiece* hit = hitTest(pos - clientOrigin());
        if (!hit)
            return;
        host_.select(hit, ContainerKind::Tray, this);
        if (e->modifiers() & Qt::ShiftModifier)
            host_.hint(hit);
        else
            turnPiece(hit);
    }
}

void CTrayWnd::mouseDoubleClickEvent(QMouseEvent* e)
{
    // A double click on the frame does nothing; in the client area the
    // second click is a click of its own.
    if (clientRect().contains(e->position().toPoint()))
        mousePressEvent(e);
}

void CTrayWnd::mouseMoveEvent(QMouseEvent* e)
{
    if (dragging_) {
        // A release we never saw still ends the drag where the button came up.
        if (!(e->buttons() & Qt::LeftButton))
            drop(e->globalPosition().toPoint());
        else
            moveDrag(e->globalPosition().toPoint());
        return;
    }
    frameMove(e);
}

void CTrayWnd::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (dragging_)
        drop(e->globalPosition().toPoint());
    else
        frameRelease(e);
}

void CTrayWnd::focusOutEvent(QFocusEvent* e)
{
    QWidget::focusOutEvent(e);
    if (dragging_)
        drop(QCursor::pos());
    press_ = Press::None;
}

void CTrayWnd::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    keepInside();
}

void CTrayWnd::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    update();
}
