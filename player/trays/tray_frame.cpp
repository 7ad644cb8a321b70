// A tray's own frame: painted from its bitmaps with the purple title band
// and the two caption buttons, moved by the title band, sized by its edges,
// and always kept inside the board view and out of the picture buttons'
// corner.

#include "tray_wnd.h"

#include "bitmaps.h"
#include "imaging.h"
#include "player_look.h"
#include "tray_host.h"
#include "tray_rules.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

using namespace frame_geometry;

namespace {

// The frame's pieces by resource number, loaded once.
struct FrameBitmaps {
    QImage topLeft = playerBitmap(150), top = playerBitmap(149), topRight = playerBitmap(151);
    QImage left = playerBitmap(146), right = playerBitmap(147);
    QImage bottomLeft = playerBitmap(144), bottom = playerBitmap(143), bottomRight = playerBitmap(145);
    QImage buttons = playerBitmap(165);
};
const FrameBitmaps& bitmaps()
{
    static const FrameBitmaps b;
    return b;
}

// Source rows of the caption icons in bitmap 165.
constexpr int kMinimizeIcon = 0, kMinimizePressedIcon = 19, kCloseIcon = 57, kRestoreIcon = 76, kClosePressedIcon = 95;
constexpr int kTile = 15;
// How far in from the sides a press in the title band still sizes the tray.
constexpr int kBandGrip = 4;
constexpr int kTopGrip = 3;

// Repeats a tile across a rectangle, cut off at its far edges.
void tile(QPainter& p, const QImage& img, const QRect& area, bool horizontal, int sourceTop = 0, int rows = -1)
{
    if (img.isNull() || area.isEmpty())
        return;
    const int h = rows < 0 ? img.height() : rows;
    p.save();
    p.setClipRect(area);
    if (horizontal)
        for (int x = area.left(); x < area.left() + area.width(); x += kTile)
            p.drawImage(QPoint(x, area.top()), img, QRect(0, sourceTop, img.width(), h));
    else
        for (int y = area.top(); y < area.top() + area.height(); y += kTile)
            p.drawImage(QPoint(area.left(), y), img);
    p.restore();
}

} // namespace

QSize CTrayWnd::minimumTrackingSize() const
{
    return QSize(QFontMetrics(look_.smallFont).horizontalAdvance(title()) + 80, kMinHeight);
}

QRect CTrayWnd::titleRect() const
{
    const QFontMetrics fm(look_.smallFont);
    const int band = width() - 80;
    const int text = fm.horizontalAdvance(title());
    if (band < 10 || text > band)
        return QRect();
    return QRect(kSide + (band - text) / 2, 2, text, std::min(fm.height(), kBandHeight - 2));
}

void CTrayWnd::paintFrame(QPainter& p) const
{
    const FrameBitmaps& b = bitmaps();
    const int w = width(), h = height();
    if (!minimized_) {
        p.drawImage(0, 0, b.topLeft);
        tile(p, b.top, QRect(kSide, 0, w - 2 * kSide, kTop), true);
        p.drawImage(w - kSide, 0, b.topRight);
        tile(p, b.left, QRect(0, kTop, kSide, h - kTop - kBottom), false);
        tile(p, b.right, QRect(w - kSide, kTop, kSide, h - kTop - kBottom), false);
        p.drawImage(0, h - kBottom, b.bottomLeft);
        tile(p, b.bottom, QRect(kSide, h - kBottom, w - 2 * kSide, kBottom), true);
        p.drawImage(w - kSide, h - kBottom, b.bottomRight);
    } else {
        // Only the title band with its underline, closed by the frame's bottom rows.
        const int band = kBandHeight + 1;
        const int foot = kMinimizedHeight - band;
        p.drawImage(QPoint(0, 0), b.topLeft, QRect(0, 0, kSide, band));
        tile(p, b.top, QRect(kSide, 0, w - 2 * kSide, band), true, 0, band);
        p.drawImage(QPoint(w - kSide, 0), b.topRight, QRect(0, 0, kSide, band));
        p.drawImage(QPoint(0, band), b.bottomLeft, QRect(0, kBottom - foot, kSide, foot));
        tile(p, b.bottom, QRect(kSide, band, w - 2 * kSide, foot), true, kBottom - foot, foot);
        p.drawImage(QPoint(w - kSide, band), b.bottomRight, QRect(0, kBottom - foot, kSide, foot));
    }

    const QRect t = titleRect();
    if (!t.isEmpty()) {
        p.fillRect(t, kTitleColour);
        p.setFont(look_.smallFont);
        p.setPen(Qt::white);
        p.drawText(t, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, title());
    }

    if (!b.buttons.isNull()) {
        const bool lit = pressInside_;
        const int minIcon = minimized_ ? kRestoreIcon
                                       : (press_ == Press::Minimize && lit ? kMinimizePressedIcon : kMinimizeIcon);
        const int closeIcon = press_ == Press::Close && lit ? kClosePressedIcon : kCloseIcon;
        p.drawImage(minimizeButtonRect().topLeft(), b.buttons, QRect(0, minIcon, 19, 19));
        p.drawImage(closeButtonRect().topLeft(), b.buttons, QRect(0, closeIcon, 19, 19));
    }
}

void CTrayWnd::paintClient(QPainter& p, const QRect& clip) const
{
    const QRect c = clientRect();
    if (c.isEmpty())
        return;
    p.save();
    p.setClipRect(c & clip);
    p.fillRect(c, kTrayColour);
    const QPoint o = clientOrigin();
    const QRect inClient = clip.translated(-o);
    for (const auto& piece : pieces_)
        if (piece->intersects(piece->x, piece->y, inClient))
            piece->draw(p, piece->x + o.x(), piece->y + o.y());
    p.restore();
}

void CTrayWnd::paintEvent(QPaintEvent* e)
{
    const QRect clip = e->rect();
    // Composed off screen and copied in one go, so nothing flickers.
    QImage buffer = imaging::deviceCanvas(clip.size(), devicePixelRatioF(), QImage::Format_RGB32);
    buffer.fill(kTitleColour);
    {
        QPainter p(&buffer);
        p.translate(-clip.topLeft());
        paintFrame(p);
        paintClient(p, clip);
    }
    QPainter out(this);
    out.drawImage(clip.topLeft(), buffer);
}

// ---- keeping inside the view ----

QRect CTrayWnd::keptInside(QRect r, QSize view) { return tray_rules::keptInside(r, view); }

void CTrayWnd::keepInside()
{
    if (keepingInside_ || closed_)
        return;
    keepingInside_ = true;
    const QRect r = keptInside(geometry(), board_.area());
    if (r != geometry())
        setGeometry(r);
    if (minimized_) {
        // A minimised tray moved by the user stays where it was put.
        minimizedPosition_ = pos();
        minimizedPositionSet_ = true;
    }
    keepingInside_ = false;
    update();
}

// ---- the frame's mouse work ----

Qt::Edges CTrayWnd::sizingEdges(QPoint p) const
{
    Qt::Edges edges;
    if (minimized_)
        return edges;
    const int w = width(), h = height();
    if (p.y() < kTopGrip)
        edges |= Qt::TopEdge;
    else if (p.y() >= h - kBottom)
        edges |= Qt::BottomEdge;
    // In the title band only the outermost columns size; below it the whole side does.
    const int grip = p.y() < kTop ? kBandGrip : kSide;
    if (p.x() < grip)
        edges |= Qt::LeftEdge;
    else if (p.x() >= w - grip)
        edges |= Qt::RightEdge;
    return edges;
}

void CTrayWnd::framePress(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    const int w = width();
    press_ = Press::None;
    if (QRect(w - 20, 0, 20, 20).contains(pos))
        press_ = Press::Close;
    else if (QRect(w - 40, 0, 20, 20).contains(pos))
        press_ = Press::Minimize;
    if (press_ != Press::None) {
        pressInside_ = true;
        update(QRect(w - 40, 0, 40, 20));
        return;
    }
    pressGlobal_ = e->globalPosition().toPoint();
    pressGeometry_ = geometry();
    sizing_ = sizingEdges(pos);
    press_ = sizing_ ? Press::Size : Press::Move;
}

void CTrayWnd::frameMove(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    const int w = width();
    if (press_ != Press::None && !(e->buttons() & Qt::LeftButton)) {
        // The release happened where we could not see it.
        press_ = Press::None;
        pressInside_ = false;
        update(QRect(w - 40, 0, 40, 20));
        return;
    }
    switch (press_) {
    case Press::None: {
        const Qt::Edges edges = clientRect().contains(pos) ? Qt::Edges() : sizingEdges(pos);
        const bool diagonalDown = edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
        const bool diagonalUp = edges == (Qt::TopEdge | Qt::RightEdge) || edges == (Qt::BottomEdge | Qt::LeftEdge);
        if (diagonalDown)
            setCursor(Qt::SizeFDiagCursor);
        else if (diagonalUp)
            setCursor(Qt::SizeBDiagCursor);
        else if (edges & (Qt::LeftEdge | Qt::RightEdge))
            setCursor(Qt::SizeHorCursor);
        else if (edges)
            setCursor(Qt::SizeVerCursor);
        else
            setCursor(Qt::ArrowCursor);
        return;
    }
    case Press::Close:
    case Press::Minimize: {
        const QRect hit = press_ == Press::Close ? QRect(w - 20, 0, 20, 20) : QRect(w - 40, 0, 20, 20);
        if (hit.contains(pos) != pressInside_) {
            pressInside_ = !pressInside_;
            update(QRect(w - 40, 0, 40, 20));
        }
        return;
    }
    case Press::Move:
        move(pressGeometry_.topLeft() + e->globalPosition().toPoint() - pressGlobal_);
        keepInside();
        return;
    case Press::Size: {
        const QPoint d = e->globalPosition().toPoint() - pressGlobal_;
        const QSize least = minimumTrackingSize();
        int left = pressGeometry_.left(), top = pressGeometry_.top();
        int right = left + pressGeometry_.width(), bottom = top + pressGeometry_.height();
        // The edge being dragged stops where the tray would become too small.
        if (sizing_ & Qt::LeftEdge)
            left = std::min(left + d.x(), right - least.width());
        if (sizing_ & Qt::RightEdge)
            right = std::max(right + d.x(), left + least.width());
        if (sizing_ & Qt::TopEdge)
            top = std::min(top + d.y(), bottom - least.height());
        if (sizing_ & Qt::BottomEdge)
            bottom = std::max(bottom + d.y(), top + least.height());
        setGeometry(QRect(left, top, right - left, bottom - top));
        keepInside();
        return;
    }
    }
}

void CTrayWnd::frameRelease(QMouseEvent* e)
{
    const Press was = press_;
    press_ = Press::None;
    pressInside_ = false;
    const QPoint pos = e->position().toPoint();
    const int w = width();
    update(QRect(w - 40, 0, 40, 20));
    // Like every button of the player, a caption button acts only when the
    // release comes over the button that was pressed.
    if (was == Press::Close && QRect(w - 20, 0, 20, 20).contains(pos))
        closeTray();
    else if (was == Press::Minimize && QRect(w - 40, 0, 20, 20).contains(pos)) {
        if (minimized_)
            restoreTray();
        else
            minimizeTray();
    }
}
