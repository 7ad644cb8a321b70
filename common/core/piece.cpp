#include "piece.h"

#include "archive.h"
#include "piece_outline.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

PieceRecord CPiece::record() const
{
    PieceRecord r;
    r.lrDiameter = lrDiameter;
    r.tbDiameter = tbDiameter;
    r.topKind = topKind;
    r.bottomKind = bottomKind;
    r.leftKind = leftKind;
    r.rightKind = rightKind;
    r.topDx = topDx;
    r.topDy = topDy;
    r.bottomDx = bottomDx;
    r.bottomDy = bottomDy;
    r.leftDx = leftDx;
    r.leftDy = leftDy;
    r.rightDx = rightDx;
    r.rightDy = rightDy;
    return r;
}

void CPiece::setRecord(const PieceRecord& r)
{
    lrDiameter = r.lrDiameter;
    tbDiameter = r.tbDiameter;
    topKind = r.topKind;
    bottomKind = r.bottomKind;
    leftKind = r.leftKind;
    rightKind = r.rightKind;
    topDx = r.topDx;
    topDy = r.topDy;
    bottomDx = r.bottomDx;
    bottomDy = r.bottomDy;
    leftDx = r.leftDx;
    leftDy = r.leftDy;
    rightDx = r.rightDx;
    rightDy = r.rightDy;
}

namespace {
// The record's fields in file order, for reading and writing alike.
template <typename Record, typename F>
void forEachField(Record& r, F&& f)
{
    for (auto* v : {&r.lrDiameter, &r.tbDiameter, &r.topKind, &r.bottomKind, &r.leftKind,
                    &r.rightKind, &r.topDx, &r.topDy, &r.bottomDx, &r.bottomDy, &r.leftDx,
                    &r.leftDy, &r.rightDx, &r.rightDy})
        f(*v);
}
} // namespace

void CPiece::serialize(ArchiveWriter& ar) const
{
    PieceRecord r = record();
    forEachField(r, [&](int32_t& v) { ar.writeInt32(v); });
}

void CPiece::serialize(ArchiveReader& ar)
{
    setRecord(readRecord(ar));
}

PieceRecord CPiece::readRecord(ArchiveReader& ar)
{
    PieceRecord r;
    forEachField(r, [&](int32_t& v) { v = ar.readInt32(); });
    return r;
}

void CPiece::buildOutline(int cellSize, int column_, int row_, int scale)
{
    column = column_;
    row = row_;
    if (rotation < 0 || rotation > 3)
        return;
    scale_ = std::clamp(scale, 1, 8);
    asked_ = OutlineAsked{record(), cellSize, rotation};
    frame_ = QRegion();
}

void CPiece::trace() const
{
    const OutlineAsked a = *asked_;
    asked_.reset();
    // The edges as they were asked for, whatever changed since.
    CPiece edges;
    edges.setRecord(a.edges);
    outline_ = piece_geometry::outline(edges, a.cellSize, a.rotation);
    paintBounds_ = outline_.boundingRect();
    if (scale_ == 1) {
        fine_ = outline_;
    } else {
        fine_ = piece_geometry::outline(edges, a.cellSize, a.rotation, scale_);
        // A curve's outermost device pixels may lie in a pixel of ours that
        // the plain outline leaves out; whole pixels of ours around them.
        const QRect f = fine_.boundingRect();
        const auto down = [s = scale_](int v) { return v >= 0 ? v / s : -((-v + s - 1) / s); };
        paintBounds_ |= QRect(QPoint(down(f.left()), down(f.top())), QPoint(down(f.right()), down(f.bottom())));
    }
    frame_ = QRegion();
}

void CPiece::deferImage(std::shared_ptr<const PieceCutSource> source)
{
    image_ = QImage();
    deferred_ = std::move(source);
}

void CPiece::cutIfDeferred() const
{
    if (!deferred_)
        return;
    const std::shared_ptr<const PieceCutSource> source = std::move(deferred_);
    deferred_.reset();
    TurnedPictures t;
    t.byRotation[0] = &source->picture;
    // The piece is only ever made on the heap as a non-const object; const
    // here is the caller's view of a piece that already "has" its image.
    const_cast<CPiece*>(this)->buildImage(t, source->cellSize, source->columns, source->rows);
}

bool CPiece::buildImage(const TurnedPictures& pictures, int a, int columns, int rows)
{
    deferred_.reset();
    traceIfAsked();
    const QRect b = paintBounds_;
    const int s = scale_;
    const int w = std::max(b.width(), 1), h = std::max(b.height(), 1);
    image_ = QImage(w * s, h * s, QImage::Format_ARGB32_Premultiplied);
    if (image_.isNull())
        return false;
    image_.setDevicePixelRatio(s);
    image_.fill(Qt::transparent);
    if (rotation < 0 || rotation > 3 || b.isEmpty())
        return true;

    QPoint corner;
    switch (rotation) {
    case 0: corner = {a * column, a * row}; break;
    case 1: corner = {a * (rows - 1 - row), a * column}; break;
    case 2: corner = {a * (columns - 1 - column), a * (rows - 1 - row)}; break;
    default: corner = {a * row, a * (columns - 1 - column)}; break;
    }
    if (s == 1) {
        cut(pictures, corner, outline_, image_);
        return true;
    }

    // Finer pixels show the same picture: each pixel of ours becomes an s x s
    // block, and only the edge follows the finer outline.
    QImage plain(w, h, QImage::Format_ARGB32_Premultiplied);
    if (plain.isNull()) {
        image_ = QImage();
        return false;
    }
    cut(pictures, corner, QRegion(b), plain);
    const QPoint origin = b.topLeft() * s;
    for (const QRect& r : fine_) {
        const int x0 = r.left() - origin.x();
        const int n = r.width();
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            const auto* src = reinterpret_cast<const QRgb*>(plain.constScanLine((yy - origin.y()) / s)) + x0 / s;
            auto* dst = reinterpret_cast<QRgb*>(image_.scanLine(yy - origin.y())) + x0;
            // Stepping through the source beside the target: a division per
            // pixel would cost more than the copy.
            int phase = x0 % s;
            for (int i = 0; i < n; ++i) {
                dst[i] = *src;
                if (++phase == s) {
                    phase = 0;
                    ++src;
                }
            }
        }
    }
    return true;
}

void CPiece::cut(const TurnedPictures& pictures, QPoint corner, const QRegion& region, QImage& target) const
{
    // Opaque inside the region (black where the picture does not reach),
    // transparent elsewhere, so drawing is one alpha blit.
    const QRect b = paintBounds_;
    const ToolkitBitmap* src = pictures.byRotation[rotation];
    const ToolkitBitmap* unturned = pictures.byRotation[0];
    if (!src && rotation != 0 && unturned && !unturned->isNull()) {
        cutTurned(unturned->image, corner, region, target);
        return;
    }
    const QImage* pic = (src && !src->isNull()) ? &src->image : nullptr;
    for (const QRect& r : region) {
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            auto* dst = reinterpret_cast<QRgb*>(target.scanLine(yy - b.top())) + (r.left() - b.left());
            const int n = r.width();
            std::fill(dst, dst + n, 0xFF000000u);
            const int sy = yy + corner.y();
            if (!pic || sy < 0 || sy >= pic->height())
                continue;
            const int sx0 = std::max(r.left() + corner.x(), 0);
            const int sx1 = std::min(r.left() + corner.x() + n, pic->width());
            if (sx1 <= sx0)
                continue;
            const auto* s = reinterpret_cast<const QRgb*>(pic->constScanLine(sy));
            std::memcpy(dst + (sx0 - r.left() - corner.x()), s + sx0, size_t(sx1 - sx0) * sizeof(QRgb));
        }
    }
}

void CPiece::cutTurned(const QImage& picture, QPoint corner, const QRegion& region, QImage& target) const
{
    // The turned picture's pixel (x, y) is a pixel of the unturned one: for
    // one quarter turn clockwise (W x H turned to H x W) it is (y, H - 1 - x).
    const int w = picture.width(), h = picture.height();
    const QRect b = paintBounds_;
    for (const QRect& r : region) {
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            auto* dst = reinterpret_cast<QRgb*>(target.scanLine(yy - b.top())) + (r.left() - b.left());
            const int ty = yy + corner.y();
            for (int xx = r.left(); xx <= r.right(); ++xx, ++dst) {
                const int tx = xx + corner.x();
                int px, py;
                switch (rotation) {
                case 1: px = ty; py = h - 1 - tx; break;
                case 2: px = w - 1 - tx; py = h - 1 - ty; break;
                default: px = w - 1 - ty; py = tx; break;
                }
                *dst = (px >= 0 && py >= 0 && px < w && py < h)
                    ? reinterpret_cast<const QRgb*>(picture.constScanLine(py))[px] | 0xFF000000u
                    : 0xFF000000u;
            }
        }
    }
}

void CPiece::turn(const TurnedPictures& pictures, int cellSize, int columns, int rows)
{
    rotation = (rotation + 1) % 4;
    buildOutline(cellSize, column, row, scale_);
    buildImage(pictures, cellSize, columns, rows);
}

QColor CPiece::frameColour(int level)
{
    const int red = ((level + 255) % 256 + 256) % 256;
    const int rest = ((level + 128) % 256 + 256) % 256;
    return QColor(red, rest, rest);
}

void CPiece::draw(QPainter& painter, int px, int py) const
{
    traceIfAsked();
    const QRect b = paintBounds_;
    cutIfDeferred();
    if (!image_.isNull() && !b.isEmpty())
        painter.drawImage(QPoint(px + b.left(), py + b.top()), image_);
    drawOutline(painter, px, py);
}

void CPiece::drawOutline(QPainter& painter, int px, int py) const
{
    traceIfAsked();
    if (hintLevel == 0 && !selected)
        return;
    if (frame_.isEmpty() && !fine_.isEmpty()) {
        // The border: the fine outline's pixels less than one pixel of ours
        // from its edge, so the frame keeps its width at every scale.
        QRegion inner = fine_;
        for (int k = 1; k <= scale_; ++k)
            inner = inner.intersected(fine_.translated(k, 0))
                        .intersected(fine_.translated(-k, 0))
                        .intersected(fine_.translated(0, k))
                        .intersected(fine_.translated(0, -k));
        frame_ = fine_.subtracted(inner);
    }
    fillFine(painter, px, py, frame_, frameColour(hintLevel));
}

void CPiece::fillOutline(QPainter& painter, int px, int py, const QColor& colour) const
{
    traceIfAsked();
    fillFine(painter, px, py, fine_, colour);
}

void CPiece::fillFine(QPainter& painter, int px, int py, const QRegion& region, const QColor& colour) const
{
    if (scale_ == 1) {
        for (const QRect& r : region)
            painter.fillRect(r.translated(px, py), colour);
        return;
    }
    painter.save();
    painter.translate(px, py);
    painter.scale(1.0 / scale_, 1.0 / scale_);
    for (const QRect& r : region)
        painter.fillRect(r, colour);
    painter.restore();
}

bool CPiece::intersects(int px, int py, const QRect& rect) const
{
    traceIfAsked();
    const QRect local = rect.translated(-px, -py);
    if (!paintBounds_.intersects(local))
        return false;
    return scale_ == 1 ? outline_.intersects(local) : fine_.intersects(piece_geometry::scaleBox(local, scale_));
}
