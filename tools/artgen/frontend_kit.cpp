#include "frontend_kit.h"

#include "frontend_layout.h"
#include "theme.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPathStroker>

namespace art::frontend {

void paintCaptionBand(QPainter &p, const QString &name, int nameX)
{
    p.save();
    QLinearGradient g(0, 0, 0, kCaptionBand);
    g.setColorAt(0, QColor(76, 24, 124));
    g.setColorAt(1, QColor(30, 8, 54));
    p.fillRect(0, 0, layout::kWidth, kCaptionBand, g);
    p.fillRect(0, 0, layout::kWidth, 1, QColor(150, 100, 220));
    p.fillRect(0, kCaptionBand - 1, layout::kWidth, 1, QColor(48, 170, 36));
    p.setRenderHint(QPainter::Antialiasing);
    if (!name.isEmpty()) {
        p.fillPath(jigsawPiece(QRectF(nameX, 6, 15, 15), {1, -1, 0, 0}), kGreen);
        p.setFont(font(14));
        p.setPen(kLavender);
        p.drawText(QRect(nameX + 22, 0, 200, kCaptionBand - 1), Qt::AlignVCenter | Qt::AlignLeft, name);
    }
    // Three quiet dots lead the eye to the caption buttons.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(QColor(110, 60, 170, 200 - 50 * i));
        p.drawEllipse(QPointF(kBarHelp.left() - 12 - 14 * i, 13.5), 3, 3);
    }
    p.restore();
}

void paintPanel(QPainter &p, const QRect &area, int header)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(area);
    QPainterPath outline;
    outline.addRoundedRect(r, 10, 10);
    // Shadow below and right, a green hairline around.
    QPainterPath shadow;
    shadow.addRoundedRect(r.translated(3, 4), 10, 10);
    p.fillPath(shadow.subtracted(outline), QColor(0, 0, 0, 110));
    QPainterPath hair;
    hair.addRoundedRect(r.adjusted(-1.5, -1.5, 1.5, 1.5), 11.5, 11.5);
    p.strokePath(hair, QPen(QColor(58, 196, 40, 200), 1));

    p.fillPath(outline, kPanel);
    if (header > 0) {
        p.save();
        p.setClipPath(outline);
        QLinearGradient g(0, r.top(), 0, r.top() + header);
        g.setColorAt(0, kHeaderTop);
        g.setColorAt(1, kHeaderBottom);
        p.fillRect(QRectF(r.left(), r.top(), r.width(), header), g);
        p.fillRect(QRectF(r.left(), r.top() + header, r.width(), 1), kGreen);
        p.fillRect(QRectF(r.left(), r.top() + header + 1, r.width(), 1), QColor(30, 110, 24));
        p.restore();
    }
    QPainterPath rim;
    rim.addRoundedRect(r.adjusted(1, 1, -1, -1), 9, 9);
    p.strokePath(rim, QPen(kPurple, 2));
    p.restore();
}

QImage over(const QImage &bg, const QRect &place, const std::function<void(QPainter &)> &draw)
{
    QImage out = bg.copy(place).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    draw(p);
    p.end();
    return out.convertToFormat(QImage::Format_RGB32);
}

QImage stripAt(const QImage &bg, const QRect &place, const std::function<void(QPainter &, Look)> &draw)
{
    return strip(bg, layout::Slot{0, place.x(), place.y(), place.width(), place.height()}, draw);
}

QImage keyedStripAt(const QImage &bg, const QRect &place,
                    const std::function<QPainterPath(QPainter &, Look)> &draw)
{
    QPainterPath shapes[3];
    QImage out = stripAt(bg, place, [&](QPainter &p, Look look) { shapes[look] = draw(p, look); });
    const int w = place.width(), h = place.height();
    for (int look = 0; look < 3; ++look) {
        // Hard-edged mask: a pixel belongs to the shape when its centre does.
        QImage mask(w, h, QImage::Format_Grayscale8);
        mask.fill(0);
        QPainter m(&mask);
        m.fillPath(shapes[look], Qt::white);
        m.end();
        for (int y = 0; y < h; ++y) {
            const uchar *in = mask.constScanLine(y);
            auto *row = reinterpret_cast<QRgb *>(out.scanLine(look * h + y));
            for (int x = 0; x < w; ++x) {
                if (!in[x])
                    row[x] = kKey;
                else if ((row[x] & 0xffffff) == (kKey & 0xffffff))
                    row[x] = kNearKey;
            }
        }
    }
    return out;
}

QFont fittedFont(const QString &text, int px, double width, bool condensed)
{
    for (; px > 8; --px) {
        if (QFontMetricsF(font(px, true, condensed)).horizontalAdvance(text) <= width) break;
    }
    return font(px, true, condensed);
}

namespace {

void shadowedText(QPainter &p, const QRectF &box, int flags, const QString &text, const QColor &ink)
{
    p.setPen(QColor(0, 0, 0, 140));
    p.drawText(box.translated(1, 1), flags, text);
    p.setPen(ink);
    p.drawText(box, flags, text);
}

} // namespace

QPainterPath pieceButton(QPainter &p, const QRectF &box, Look look, const QString &label, const IconFn &icon,
                         int fontPx)
{
    const double bh = box.height() - 7;
    const double depth = 0.24 * bh; // how far knob and hole reach
    const QRectF r(box.left() + 3, box.top() + 3, box.width() - 7 - depth, bh);
    QPainterPath square;
    square.addRect(r);
    QPainterPath shape;
    shape.addRoundedRect(r, 10, 10);
    shape = shape.united(jigsawPiece(r, {0, 1, 0, 0}).subtracted(square));
    shape = shape.subtracted(square.subtracted(jigsawPiece(r, {0, 0, 0, -1})));
    shape = shape.simplified();
    faceBody(p, shape, look);

    const QPointF shift = faceShift(look);
    // Without an icon the label takes the whole face beside the hole.
    const QRectF iconBox(r.left() + depth + 2, r.top() + 2, icon ? bh * 0.95 : 0, bh - 4);
    if (icon) icon(p, iconBox.translated(shift), faceIconColour(look));
    const QRectF textBox(iconBox.right(), r.top(), r.right() - iconBox.right() - 4, bh);
    p.setFont(fittedFont(label, fontPx, textBox.width()));
    shadowedText(p, textBox.translated(shift), Qt::AlignCenter, label, faceInk(look));

    return faceCover(shape, look);
}

QPainterPath faceCover(const QPainterPath &shape, Look look)
{
    if (look == Normal) return shape.united(shape.translated(1.5, 2));
    if (look == Hot) {
        QPainterPathStroker glow;
        glow.setWidth(6);
        glow.setJoinStyle(Qt::RoundJoin);
        return glow.createStroke(shape).united(shape);
    }
    return shape.translated(faceShift(look) * 0.5);
}

void pillButton(QPainter &p, const QRectF &box, Look look, const QString &label, const IconFn &icon, int fontPx)
{
    const QRectF r = box.adjusted(3, 3, -4, -4);
    QPainterPath shape;
    shape.addRoundedRect(r, r.height() / 2, r.height() / 2);
    faceBody(p, shape, look);
    const QPointF shift = faceShift(look);
    const QRectF iconBox(r.left() + r.height() * 0.35, r.top() + 2, r.height() - 4, r.height() - 4);
    icon(p, iconBox.translated(shift), faceIconColour(look));
    const QRectF textBox(iconBox.right() + 2, r.top(), r.right() - iconBox.right() - r.height() * 0.45, r.height());
    p.setFont(fittedFont(label, fontPx, textBox.width()));
    shadowedText(p, textBox.translated(shift), Qt::AlignCenter, label, faceInk(look));
}

void optionFace(QPainter &p, const QSize &size, Look look, const QString &label)
{
    const QRectF r(1.5, 1.5, size.width() - 3, size.height() - 3);
    const QPointF shift = look == Pressed ? QPointF(1, 1) : QPointF(0, 0);
    QPainterPath pill;
    pill.addRoundedRect(r.translated(shift * 0.5), r.height() / 2, r.height() / 2);
    QColor ink = kPanelInk;
    if (look == Hot) {
        QLinearGradient g(0, r.top(), 0, r.bottom());
        g.setColorAt(0, QColor(214, 255, 196));
        g.setColorAt(1, QColor(160, 232, 140));
        p.fillPath(pill, g);
        p.strokePath(pill, QPen(QColor(58, 176, 40), 1.5));
        ink = QColor(14, 84, 18);
    } else if (look == Pressed) {
        QLinearGradient g(0, r.top(), 0, r.bottom());
        g.setColorAt(0, QColor(60, 16, 106));
        g.setColorAt(1, QColor(112, 52, 184));
        p.fillPath(pill, g);
        p.strokePath(pill, QPen(QColor(40, 140, 30), 1.5));
        ink = Qt::white;
    }
    const QRectF textBox = r.adjusted(7, 0, -5, 0).translated(shift);
    p.setFont(fittedFont(label, 16, textBox.width()));
    p.setPen(ink);
    p.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft, label);
}

void titleFace(QPainter &p, const QRectF &box, const QString &text, int px)
{
    const double emblem = px * 1.05;
    const double gap = px * 0.45;
    const QFont f = fittedFont(text, px, box.width() - emblem - gap - 6);
    QPainterPath words;
    words.addText(0, 0, f, text);
    const QRectF wb = words.boundingRect();
    const double total = emblem + gap + wb.width();
    const double left = box.center().x() - total / 2;
    const QRectF piece(left, box.center().y() - emblem / 2, emblem * 0.8, emblem * 0.8);
    const QPainterPath mark = jigsawPiece(piece.translated(0, emblem * 0.1), {1, 0, 0, -1});
    paintGreenPiece(p, mark, piece, QPointF(1.5, 2), 120, 1);

    words.translate(left + emblem + gap - wb.left(), box.center().y() - wb.center().y());
    p.fillPath(words.translated(2, 2), QColor(0, 0, 0, 130));
    const QRectF tb = words.boundingRect();
    QLinearGradient tg(0, tb.top(), 0, tb.bottom());
    tg.setColorAt(0, QColor(196, 255, 160));
    tg.setColorAt(1, QColor(60, 196, 50));
    p.fillPath(words, tg);
    p.strokePath(words, QPen(QColor(16, 56, 16), 1));
}

} // namespace art::frontend
