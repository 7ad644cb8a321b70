// Caption buttons, the four big picture buttons and the scroll thumb. Each
// strip holds three looks stacked (normal, hot, pressed); every look starts
// from the background pixels the button covers, so its corners blend in.
#include "art.h"
#include "faces.h"
#include "layout.h"
#include "theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPathStroker>
#include <QtMath>

#include <functional>

namespace art {

using namespace layout;

QImage strip(const QImage &bg, const Slot &s, const std::function<void(QPainter &, Look)> &draw)
{
    QImage out(s.w, s.h * 3, QImage::Format_RGB32);
    QPainter p(&out);
    for (int look = 0; look < 3; ++look) {
        p.save();
        p.translate(0, look * s.h);
        p.setClipRect(0, 0, s.w, s.h);
        p.drawImage(0, 0, bg, s.x, s.y, s.w, s.h);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        draw(p, Look(look));
        p.restore();
    }
    p.end();
    return out;
}

namespace {

// --- icons of the big buttons ------------------------------------------

QPainterPath arrowHead(QPointF tip, QPointF dir, double size)
{
    const QPointF nrm(-dir.y(), dir.x());
    QPainterPath h;
    h.moveTo(tip);
    h.lineTo(tip - dir * size + nrm * size * 0.75);
    h.lineTo(tip - dir * size - nrm * size * 0.75);
    h.closeSubpath();
    return h;
}

// A circular arrow; clockwise when cw is true.
void circularArrow(QPainter &p, const QRectF &r, const QColor &c, bool cw)
{
    const double side = std::min(r.width(), r.height()) * 0.78;
    const QRectF ring(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
    p.setPen(QPen(c, 3.4, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    // Qt angles run counter-clockwise from three o'clock; the gap sits at
    // the top.
    const double start = cw ? 60 : 120, span = cw ? -280 : 280;
    p.drawArc(ring, int(start * 16), int(span * 16));
    const double e = qDegreesToRadians(start + span);
    const QPointF end(ring.center().x() + std::cos(e) * side / 2, ring.center().y() - std::sin(e) * side / 2);
    // Screen direction of travel at the arc's end.
    const QPointF dir = cw ? QPointF(std::sin(e), std::cos(e)) : QPointF(-std::sin(e), -std::cos(e));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(arrowHead(end + dir * 5, dir, 7));
}

void rotateIcon(QPainter &p, const QRectF &r, const QColor &c)
{
    circularArrow(p, r, c, true);
    // A small piece in the middle: it is the piece that turns.
    const double s = std::min(r.width(), r.height()) * 0.30;
    p.fillPath(jigsawPiece(QRectF(r.center().x() - s / 2, r.center().y() - s / 2, s, s), {1, 0, 0, -1}), c);
}

void restartIcon(QPainter &p, const QRectF &r, const QColor &c)
{
    circularArrow(p, r, c, false);
    const double s = std::min(r.width(), r.height()) * 0.16;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (int i = 0; i < 4; ++i) // a little 2 x 2 grid: the box of pieces again
        p.drawRect(QRectF(r.center().x() - s - 0.8 + (i % 2) * (s + 1.6), r.center().y() - s - 0.8 + (i / 2) * (s + 1.6), s, s));
}

void hintIcon(QPainter &p, const QRectF &r, const QColor &c)
{
    const QPointF m = r.center();
    const double rad = std::min(r.width(), r.height()) * 0.27;
    QPainterPath bulb;
    bulb.addEllipse(QPointF(m.x(), m.y() - 3), rad, rad);
    QPainterPath neck;
    neck.addRoundedRect(QRectF(m.x() - rad * 0.5, m.y() + rad * 0.45, rad, rad * 0.9), 2, 2);
    p.setPen(QPen(c, 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bulb.united(neck));
    p.setPen(QPen(c, 1.6));
    p.drawLine(QPointF(m.x() - rad * 0.45, m.y() + rad * 1.0), QPointF(m.x() + rad * 0.45, m.y() + rad * 1.0));
    // Rays.
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
    for (int a : {-150, -110, -70, -30, 10, 170}) {
        const double t = qDegreesToRadians(double(a));
        const QPointF d(std::cos(t), std::sin(t));
        const QPointF o(m.x(), m.y() - 3);
        p.drawLine(o + d * (rad + 3), o + d * (rad + 6.5));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QPointF(m.x() - rad * 0.3, m.y() - 3 - rad * 0.3), rad * 0.22, rad * 0.22);
}

void addTrayIcon(QPainter &p, const QRectF &r, const QColor &c)
{
    const QPointF m = r.center();
    const QRectF tray(m.x() - 15, m.y() - 9, 26, 19);
    p.setPen(QPen(c, 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tray, 3, 3);
    p.drawLine(QPointF(tray.left(), tray.top() + 5), QPointF(tray.right(), tray.top() + 5));
    p.fillPath(jigsawPiece(QRectF(tray.left() + 5, tray.top() + 8, 8, 8), {0, 1, 0, 0}), c);
    // Plus badge.
    const QPointF b(tray.right() + 1, tray.top() + 1);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(b, 7, 7);
    p.setPen(QPen(QColor(40, 10, 70), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(b + QPointF(-3.5, 0), b + QPointF(3.5, 0));
    p.drawLine(b + QPointF(0, -3.5), b + QPointF(0, 3.5));
}

} // namespace

// --- faces --------------------------------------------------------------

QColor faceInk(Look look)
{
    return look == Hot ? QColor(200, 255, 170) : look == Pressed ? QColor(150, 230, 130) : QColor(235, 230, 255);
}

QColor faceIconColour(Look look)
{
    return look == Hot ? kGreenBright : look == Pressed ? QColor(90, 210, 70) : QColor(120, 235, 96);
}

QPointF faceShift(Look look) { return look == Pressed ? QPointF(1, 2) : QPointF(0, 0); }

void faceBody(QPainter &p, const QPainterPath &shape, Look look)
{
    const QRectF face = shape.boundingRect();
    if (look == Hot) { // green glow around the face
        for (int i = 3; i >= 1; --i) {
            QPainterPathStroker stroker;
            stroker.setWidth(2 * i);
            stroker.setJoinStyle(Qt::RoundJoin);
            p.fillPath(stroker.createStroke(shape).united(shape), QColor(90, 255, 70, 34));
        }
    } else if (look == Normal) { // drop shadow
        p.fillPath(shape.translated(1.5, 2), QColor(0, 0, 0, 120));
    }

    const QPainterPath body = shape.translated(faceShift(look) * 0.5);
    QLinearGradient g(0, face.top(), 0, face.bottom());
    switch (look) {
    case Normal:
        g.setColorAt(0, QColor(120, 52, 196));
        g.setColorAt(0.55, QColor(76, 26, 136));
        g.setColorAt(1, QColor(52, 14, 96));
        break;
    case Hot:
        g.setColorAt(0, QColor(160, 90, 240));
        g.setColorAt(0.55, QColor(108, 44, 184));
        g.setColorAt(1, QColor(74, 24, 132));
        break;
    case Pressed:
        g.setColorAt(0, QColor(30, 8, 56));
        g.setColorAt(0.5, QColor(50, 14, 92));
        g.setColorAt(1, QColor(70, 24, 124));
        break;
    }
    p.fillPath(body, g);
    if (look != Pressed) { // glassy top highlight
        QPainterPath shine;
        shine.addRoundedRect(QRectF(face.left() + 3, face.top() + 2, face.width() - 6, face.height() * 0.4), 9, 9);
        p.fillPath(shine.intersected(body), QColor(255, 255, 255, look == Hot ? 46 : 30));
    } else { // inner shadow at the top
        QPainterPath dent;
        dent.addRoundedRect(QRectF(face.left() + 2, face.top() + 1.5, face.width() - 4, 6), 5, 5);
        p.fillPath(dent.intersected(body), QColor(0, 0, 0, 90));
    }
    const QColor rim = look == Hot ? kGreenBright : look == Pressed ? QColor(30, 130, 24) : kGreen;
    p.strokePath(body, QPen(rim, look == Hot ? 2.0 : 1.5));
}

void bigFace(QPainter &p, const QRect &faceRect, Look look, const QString &label, const IconFn &icon,
             const FaceStyle &style)
{
    const QRectF face = QRectF(faceRect).adjusted(1.5, 3.5, -1.5, -1.5);
    const QPointF shift = faceShift(look);
    QPainterPath shape;
    shape.addRoundedRect(face, 11, 11);
    faceBody(p, shape, look);

    const QRectF iconBox(face.left(), face.top() + 3, face.width(), style.iconHeight);
    icon(p, iconBox.translated(shift), faceIconColour(look));

    p.setFont(font(style.fontPx, true, label.size() > 5));
    const QRectF textBox(face.left(), face.bottom() - style.fontPx - 8, face.width(), style.fontPx + 4);
    p.setPen(QColor(0, 0, 0, 140));
    p.drawText(textBox.translated(shift + QPointF(1, 1)), Qt::AlignCenter, label);
    p.setPen(faceInk(look));
    p.drawText(textBox.translated(shift), Qt::AlignCenter, label);
}

void captionFace(QPainter &p, const Slot &s, Look look, const QString &label)
{
    const QRectF face(1.5, 3.5, s.w - 3, s.h - 6);
    const QPointF shift = look == Pressed ? QPointF(1, 1) : QPointF(0, 0);
    QPainterPath body;
    body.addRoundedRect(face, 8, 8);
    QLinearGradient g(0, face.top(), 0, face.bottom());
    if (look == Normal) {
        g.setColorAt(0, QColor(100, 40, 170));
        g.setColorAt(1, QColor(56, 16, 100));
    } else if (look == Hot) {
        g.setColorAt(0, QColor(110, 230, 80));
        g.setColorAt(1, QColor(30, 140, 26));
    } else {
        g.setColorAt(0, QColor(12, 70, 14));
        g.setColorAt(1, QColor(30, 120, 24));
    }
    p.fillPath(body, g);
    if (look != Pressed) {
        QPainterPath shine;
        shine.addRoundedRect(QRectF(face.left() + 3, face.top() + 1.5, face.width() - 6, face.height() * 0.42), 6, 6);
        p.fillPath(shine, QColor(255, 255, 255, 36));
    }
    p.strokePath(body, QPen(look == Normal ? QColor(150, 100, 230) : look == Hot ? QColor(200, 255, 170) : QColor(20, 90, 20), 1));
    p.setFont(font(13));
    const QRectF textBox = face.translated(shift).adjusted(0, -1, 0, -1);
    p.setPen(look == Hot ? QColor(10, 50, 10, 150) : QColor(0, 0, 0, 150));
    p.drawText(textBox.translated(1, 1), Qt::AlignCenter, label);
    p.setPen(look == Hot ? Qt::white : look == Pressed ? QColor(190, 255, 170) : kLavender);
    p.drawText(textBox, Qt::AlignCenter, label);
}

// Minimise and close: square faces with a glyph; close warms to red.
void windowFace(QPainter &p, const Slot &s, Look look, bool close)
{
    const QRectF face(2.5, 1.5, s.w - 5, s.h - 3);
    const QPointF shift = look == Pressed ? QPointF(1, 1) : QPointF(0, 0);
    QPainterPath body;
    body.addRoundedRect(face, 5, 5);
    QLinearGradient g(0, face.top(), 0, face.bottom());
    if (look == Normal) {
        g.setColorAt(0, QColor(100, 40, 170));
        g.setColorAt(1, QColor(56, 16, 100));
    } else if (look == Hot) {
        g.setColorAt(0, close ? QColor(255, 90, 110) : QColor(110, 230, 80));
        g.setColorAt(1, close ? QColor(170, 20, 50) : QColor(30, 140, 26));
    } else {
        g.setColorAt(0, close ? QColor(90, 0, 20) : QColor(12, 70, 14));
        g.setColorAt(1, close ? QColor(150, 10, 40) : QColor(30, 120, 24));
    }
    p.fillPath(body, g);
    p.strokePath(body, QPen(look == Normal ? QColor(150, 100, 230) : QColor(255, 255, 255, 120), 1));
    const QPointF m = face.center() + shift;
    p.setPen(QPen(look == Normal ? kLavender : Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(m + QPointF(-5, -5), m + QPointF(5, 5));
        p.drawLine(m + QPointF(-5, 5), m + QPointF(5, -5));
    } else {
        p.drawLine(m + QPointF(-5.5, 5), m + QPointF(5.5, 5));
    }
}

namespace {

QImage thumb(const QImage &bg)
{
    QImage out(kThumbW, kThumbH, QImage::Format_RGB32);
    QPainter p(&out);
    // Drawn over the middle of its groove, whose pixels it covers.
    p.drawImage(0, 0, bg, kThumbTrack.left(), kThumbTrack.top() + 150, kThumbW, kThumbH);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, kThumbW - 1, kThumbH - 1);
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, QColor(150, 255, 110));
    g.setColorAt(0.5, QColor(60, 200, 44));
    g.setColorAt(1, QColor(24, 110, 20));
    p.setPen(QPen(QColor(10, 60, 10), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 4.5, 4.5);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int i = -1; i <= 1; ++i) { // grip
        p.fillRect(2, kThumbH / 2 + i * 4 - 1, kThumbW - 4, 1, QColor(10, 70, 10));
        p.fillRect(2, kThumbH / 2 + i * 4, kThumbW - 4, 1, QColor(200, 255, 180));
    }
    p.end();
    return out;
}

} // namespace

std::vector<Bitmap> buttonBitmaps(const QImage &bg)
{
    std::vector<Bitmap> out;
    auto caption = [&](const Slot &s, const QString &label) {
        out.push_back({s.id, strip(bg, s, [&](QPainter &p, Look l) { captionFace(p, s, l, label); })});
    };
    caption(kGame, QStringLiteral("Game"));
    caption(kOptions, QStringLiteral("Options"));
    caption(kHelp, QStringLiteral("Help"));
    out.push_back({kMinimize.id, strip(bg, kMinimize, [&](QPainter &p, Look l) { windowFace(p, kMinimize, l, false); })});
    out.push_back({kClose.id, strip(bg, kClose, [&](QPainter &p, Look l) { windowFace(p, kClose, l, true); })});

    auto big = [&](const Slot &s, const QRect &face, const QString &label, const IconFn &icon) {
        out.push_back({s.id, strip(bg, s, [&](QPainter &p, Look l) { bigFace(p, face, l, label, icon); })});
    };
    big(kRotate, kRotateFace, QStringLiteral("Rotate"), rotateIcon);
    big(kRestart, kRestartFace, QStringLiteral("Restart"), restartIcon);
    big(kHint, kHintFace, QStringLiteral("Hint"), hintIcon);
    big(kAddTray, kAddTrayFace, QStringLiteral("Add tray"), addTrayIcon);

    out.push_back({153, thumb(bg)});
    return out;
}

} // namespace art
