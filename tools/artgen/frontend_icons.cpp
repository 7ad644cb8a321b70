#include "frontend_icons.h"

#include "theme.h"

#include <QPainterPath>

#include <algorithm>

namespace art::frontend::icons {
namespace {

// The largest centred square of the box, less a margin.
QRectF square(const QRectF &box, double margin = 0.12)
{
    const double s = std::min(box.width(), box.height()) * (1 - 2 * margin);
    return QRectF(box.center().x() - s / 2, box.center().y() - s / 2, s, s);
}

QPen line(const QColor &c, double w) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// A fat arrow pointing along dir (1, 0 right; -1, 0 left; 0, 1 down; 0, -1 up).
QPainterPath arrow(const QRectF &s, QPointF dir)
{
    // Drawn pointing right in a unit square, then turned.
    const QPointF pts[] = {{0.08, 0.36}, {0.5, 0.36}, {0.5, 0.12}, {0.94, 0.5},
                           {0.5, 0.88}, {0.5, 0.64}, {0.08, 0.64}};
    QPainterPath a;
    for (size_t i = 0; i < std::size(pts); ++i) {
        const QPointF u = pts[i] - QPointF(0.5, 0.5);
        const QPointF t(u.x() * dir.x() - u.y() * dir.y(), u.x() * dir.y() + u.y() * dir.x());
        const QPointF q(s.center().x() + t.x() * s.width(), s.center().y() + t.y() * s.height());
        i ? a.lineTo(q) : a.moveTo(q);
    }
    a.closeSubpath();
    return a;
}

} // namespace

void newGame(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.16);
    const QRectF cell(s.left(), s.top() + s.height() * 0.18, s.width() * 0.66, s.height() * 0.66);
    p.fillPath(jigsawPiece(cell, {1, 1, 0, 0}), c);
    const QPointF plus(s.right() - s.width() * 0.12, s.top() + s.height() * 0.14);
    const double r = s.width() * 0.2;
    p.setPen(line(c, std::max(2.0, s.width() * 0.09)));
    p.drawLine(plus - QPointF(r, 0), plus + QPointF(r, 0));
    p.drawLine(plus - QPointF(0, r), plus + QPointF(0, r));
}

void loadGame(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.14);
    const double w = s.width() * 0.72, h = s.height() * 0.56;
    p.setPen(line(c, std::max(1.6, s.width() * 0.06)));
    p.setBrush(Qt::NoBrush);
    for (int i = 2; i >= 1; --i)
        p.drawRoundedRect(QRectF(s.left() + i * s.width() * 0.12, s.top() + (2 - i) * s.height() * 0.1, w, h), 2, 2);
    const QRectF front(s.left(), s.top() + s.height() * 0.3, w, h);
    p.setBrush(c);
    p.drawRoundedRect(front, 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 10, 70));
    const double k = h * 0.5;
    p.drawPath(jigsawPiece(QRectF(front.center().x() - k / 2, front.center().y() - k / 2, k, k), {1, 0, 0, 1}));
}

void about(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.14);
    p.setPen(line(c, std::max(2.0, s.width() * 0.09)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(s);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const double u = s.width();
    p.drawEllipse(QPointF(s.center().x(), s.top() + u * 0.28), u * 0.075, u * 0.075);
    p.drawRoundedRect(QRectF(s.center().x() - u * 0.065, s.top() + u * 0.42, u * 0.13, u * 0.36), 1.5, 1.5);
}

void exit(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.12);
    const double u = s.width();
    p.setPen(line(c, std::max(2.0, u * 0.08)));
    p.setBrush(Qt::NoBrush);
    // Door frame open on the right, the arrow leaving through it.
    QPainterPath door;
    door.moveTo(s.left() + u * 0.55, s.top() + u * 0.3);
    door.lineTo(s.left() + u * 0.55, s.top() + u * 0.08);
    door.lineTo(s.left() + u * 0.08, s.top() + u * 0.08);
    door.lineTo(s.left() + u * 0.08, s.top() + u * 0.92);
    door.lineTo(s.left() + u * 0.55, s.top() + u * 0.92);
    door.lineTo(s.left() + u * 0.55, s.top() + u * 0.7);
    p.drawPath(door);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(arrow(QRectF(s.left() + u * 0.3, s.top() + u * 0.22, u * 0.7, u * 0.56), {1, 0}));
}

void play(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.18);
    QPainterPath t;
    t.moveTo(s.left() + s.width() * 0.18, s.top());
    t.lineTo(s.right(), s.center().y());
    t.lineTo(s.left() + s.width() * 0.18, s.bottom());
    t.closeSubpath();
    p.setPen(line(c, 2));
    p.setBrush(c);
    p.drawPath(t);
}

void mail(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.1);
    const QRectF env(s.left(), s.top() + s.height() * 0.2, s.width(), s.height() * 0.6);
    p.setPen(line(c, std::max(1.6, s.width() * 0.07)));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(env, 2, 2);
    QPainterPath flap;
    flap.moveTo(env.topLeft() + QPointF(1, 1));
    flap.lineTo(env.center().x(), env.top() + env.height() * 0.6);
    flap.lineTo(env.topRight() + QPointF(-1, 1));
    p.drawPath(flap);
}

void rename(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.12);
    const double u = s.width();
    p.save();
    p.translate(s.center());
    p.rotate(-45);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(-u * 0.34, -u * 0.12, u * 0.56, u * 0.24), 1.5, 1.5);
    QPainterPath tip;
    tip.moveTo(u * 0.26, -u * 0.12);
    tip.lineTo(u * 0.48, 0);
    tip.lineTo(u * 0.26, u * 0.12);
    tip.closeSubpath();
    p.drawPath(tip);
    p.restore();
    p.setPen(line(c, std::max(1.4, u * 0.06)));
    p.drawLine(QPointF(s.left() + u * 0.45, s.bottom()), QPointF(s.right(), s.bottom()));
}

void remove(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.12);
    const double u = s.width();
    p.setPen(line(c, std::max(1.6, u * 0.07)));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(s.left() + u * 0.1, s.top() + u * 0.2), QPointF(s.right() - u * 0.1, s.top() + u * 0.2));
    p.drawLine(QPointF(s.left() + u * 0.38, s.top() + u * 0.06), QPointF(s.right() - u * 0.38, s.top() + u * 0.06));
    QPainterPath can;
    can.moveTo(s.left() + u * 0.2, s.top() + u * 0.3);
    can.lineTo(s.left() + u * 0.26, s.bottom());
    can.lineTo(s.right() - u * 0.26, s.bottom());
    can.lineTo(s.right() - u * 0.2, s.top() + u * 0.3);
    p.drawPath(can);
    for (double f : {0.4, 0.6})
        p.drawLine(QPointF(s.left() + u * f, s.top() + u * 0.42), QPointF(s.left() + u * f, s.bottom() - u * 0.12));
}

void back(QPainter &p, const QRectF &box, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.fillPath(arrow(square(box, 0.1), {-1, 0}), c);
}

void next(QPainter &p, const QRectF &box, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.fillPath(arrow(square(box, 0.1), {1, 0}), c);
}

void finish(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.1);
    const double u = s.width();
    p.setPen(line(c, std::max(2.0, u * 0.07)));
    p.drawLine(QPointF(s.left() + u * 0.2, s.top()), QPointF(s.left() + u * 0.2, s.bottom()));
    // A chequered flag: light squares left open.
    const QRectF flag(s.left() + u * 0.24, s.top() + u * 0.04, u * 0.7, u * 0.48);
    p.setPen(QPen(c, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(flag);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const double cw = flag.width() / 4, ch = flag.height() / 3;
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 4; ++k)
            if ((r + k) % 2 == 0) p.drawRect(QRectF(flag.left() + k * cw, flag.top() + r * ch, cw, ch));
}

void home(QPainter &p, const QRectF &box, const QColor &c)
{
    const QRectF s = square(box, 0.1);
    const double u = s.width();
    QPainterPath house;
    house.moveTo(s.center().x(), s.top() + u * 0.04);
    house.lineTo(s.right(), s.top() + u * 0.46);
    house.lineTo(s.right() - u * 0.14, s.top() + u * 0.46);
    house.lineTo(s.right() - u * 0.14, s.bottom());
    house.lineTo(s.left() + u * 0.14, s.bottom());
    house.lineTo(s.left() + u * 0.14, s.top() + u * 0.46);
    house.lineTo(s.left(), s.top() + u * 0.46);
    house.closeSubpath();
    QPainterPath doorway;
    doorway.addRoundedRect(QRectF(s.center().x() - u * 0.1, s.bottom() - u * 0.34, u * 0.2, u * 0.34), 2, 2);
    p.setPen(line(c, 1.5));
    p.setBrush(c);
    p.drawPath(house.subtracted(doorway));
}

void up(QPainter &p, const QRectF &box, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.fillPath(arrow(square(box, 0.08), {0, -1}), c);
}

void down(QPainter &p, const QRectF &box, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.fillPath(arrow(square(box, 0.08), {0, 1}), c);
}

} // namespace art::frontend::icons
