#include "drag_overlay.h"

#include "bitmaps.h"
#include "piece.h"

#include <QPaintEvent>
#include <QPainter>

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
}

QImage CDragOverlay::pieceSprite(const CPiece& piece)
{
    const QRect b = piece.bounds();
    QImage sprite(b.width() + 3, b.height() + 3, QImage::Format_ARGB32_Premultiplied);
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
    p.drawPixmap(r, snapshot_, r);
    if (active_ && spriteRect().intersects(r)) {
        p.setClipRect(r);
        p.drawImage(at_, sprite_);
    }
}
