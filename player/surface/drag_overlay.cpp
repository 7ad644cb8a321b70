#include "drag_overlay.h"

#include "bitmaps.h"
#include "board_rules.h"
#include "imaging.h"
#include "piece.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

CDragOverlay::CDragOverlay(QWidget* frame) : QWidget(frame), frame_(frame)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(frame_geometry::kClient);
    hide();
}

void CDragOverlay::begin(const QImage& sprite, QPoint at)
{
    hide();
    snapshot_ = frame_->grab(frame_geometry::kClient);
    sprite_ = sprite;
    const QSizeF logical = sprite.deviceIndependentSize();
    spriteSize_ = QSize(int(std::ceil(logical.width())), int(std::ceil(logical.height())));
    at_ = at;
    active_ = true;
    setGeometry(frame_geometry::kClient);
    raise();
    show();
    update();
}

void CDragOverlay::moveTo(QPoint at)
{
    if (!active_ || at == at_)
        return;
    const QRect old = spriteRect();
    at_ = at;
    update(old.united(spriteRect()));
}

void CDragOverlay::end()
{
    active_ = false;
    hide();
    snapshot_ = QPixmap();
    sprite_ = QImage();
    spriteSize_ = QSize();
}

QRect CDragOverlay::confinedBox(const CPiece& piece, QPoint globalOrigin) const
{
    const QRect box = piece.bounds().translated(mapFromGlobal(globalOrigin));
    const QRect client(QPoint(0, 0), frame_geometry::kClient.size());
    return box.translated(board_rules::shiftInside(box.adjusted(0, 0, 3, 3), client));
}

QRect CDragOverlay::beginPiece(const CPiece& piece, QPoint globalOrigin)
{
    const QRect box = confinedBox(piece, globalOrigin);
    begin(pieceSprite(piece, devicePixelRatioF()), box.topLeft() + spriteOffset(piece));
    return QRect(mapToGlobal(box.topLeft()), box.size() + QSize(3, 3));
}

QRect CDragOverlay::movePiece(const CPiece& piece, QPoint globalOrigin)
{
    const QRect box = confinedBox(piece, globalOrigin);
    moveTo(box.topLeft() + spriteOffset(piece));
    return QRect(mapToGlobal(box.topLeft()), box.size() + QSize(3, 3));
}

QPoint CDragOverlay::spriteOffset(const CPiece& piece)
{
    return piece.paintBounds().topLeft() - piece.bounds().topLeft();
}

QImage CDragOverlay::pieceSprite(const CPiece& piece, qreal devicePixelRatio)
{
    const QRect b = piece.paintBounds();
    QImage sprite = imaging::deviceCanvas(b.size() + QSize(3, 3), devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    QPainter p(&sprite);
    piece.fillOutline(p, -b.left() + 3, -b.top() + 3, Qt::black);
    piece.draw(p, -b.left(), -b.top());
    return sprite;
}

void CDragOverlay::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    const QRect r = e->rect();
    // The snapshot holds device pixels: at a scale factor of 2 the area r is
    // twice as wide in it, and taking r as it is would blow its top-left up.
    const qreal dpr = snapshot_.devicePixelRatio();
    p.drawPixmap(QPointF(r.topLeft()), snapshot_, QRectF(QPointF(r.topLeft()) * dpr, QSizeF(r.size()) * dpr));
    if (active_ && spriteRect().intersects(r)) {
        p.setClipRect(r);
        p.drawImage(at_, sprite_);
    }
}
