// A 640 x 480 picture for a first puzzle: an evening valley with balloons,
// a lake, a village and a meadow of flowers. Every area carries its own
// shapes and colours so that the pieces can be told apart.
#include "art.h"
#include "theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace art {
namespace {

constexpr int W = 640, H = 480;
constexpr int kHorizon = 262;

void sky(QPainter &p, Rng &rng)
{
    QLinearGradient g(0, 0, 0, kHorizon);
    g.setColorAt(0.0, QColor(28, 40, 120));
    g.setColorAt(0.35, QColor(110, 60, 170));
    g.setColorAt(0.7, QColor(240, 120, 120));
    g.setColorAt(1.0, QColor(255, 200, 110));
    p.fillRect(0, 0, W, kHorizon, g);

    // Stars in the darker top.
    for (int i = 0; i < 70; ++i) {
        const QPointF s(rng.real(0, W), rng.real(0, 70));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 230, rng.integer(120, 255)));
        p.drawEllipse(s, 1.1, 1.1);
    }

    QRadialGradient sun(QPointF(420, 205), 120);
    sun.setColorAt(0, QColor(255, 250, 200, 255));
    sun.setColorAt(0.25, QColor(255, 220, 120, 230));
    sun.setColorAt(1, QColor(255, 140, 80, 0));
    p.fillRect(280, 80, 280, 200, sun);
    p.setBrush(QColor(255, 246, 190));
    p.drawEllipse(QPointF(420, 205), 34, 34);

    // Clouds: clusters of puffs, lit from the sun's side.
    const QColor tints[] = {QColor(255, 200, 220), QColor(250, 240, 255), QColor(255, 170, 150), QColor(200, 180, 255)};
    for (int c = 0; c < 9; ++c) {
        const QPointF base(rng.real(-20, W), rng.real(40, 190));
        const QColor tint = tints[rng.integer(0, 4)];
        QPainterPath cloud;
        const int puffs = rng.integer(4, 8);
        for (int i = 0; i < puffs; ++i) {
            const double r = rng.real(10, 24);
            cloud.addEllipse(QPointF(base.x() + i * rng.real(12, 20), base.y() - rng.real(0, 12)), r * 1.3, r);
        }
        cloud.setFillRule(Qt::WindingFill);
        cloud = cloud.simplified();
        p.fillPath(cloud.translated(4, 5), QColor(120, 60, 140, 90));
        QLinearGradient cg(0, base.y() - 30, 0, base.y() + 20);
        cg.setColorAt(0, tint.lighter(110));
        cg.setColorAt(1, tint.darker(125));
        p.fillPath(cloud, cg);
    }

    // Birds.
    p.setPen(QPen(QColor(40, 20, 60), 1.6));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 12; ++i) {
        const QPointF b(rng.real(30, W - 30), rng.real(60, 200));
        const double s = rng.real(4, 8);
        QPainterPath w;
        w.moveTo(b - QPointF(s, s * 0.3));
        w.quadTo(b - QPointF(s * 0.5, s * 0.8), b);
        w.quadTo(b + QPointF(s * 0.5, -s * 0.8), b + QPointF(s, -s * 0.3));
        p.drawPath(w);
    }
}

void balloon(QPainter &p, QPointF c, double r, const QColor &a, const QColor &b)
{
    QPainterPath env;
    env.moveTo(c.x(), c.y() + r * 1.35);
    env.cubicTo(c.x() - r * 1.4, c.y() + r * 0.5, c.x() - r * 1.2, c.y() - r * 1.1, c.x(), c.y() - r * 1.1);
    env.cubicTo(c.x() + r * 1.2, c.y() - r * 1.1, c.x() + r * 1.4, c.y() + r * 0.5, c.x(), c.y() + r * 1.35);
    p.fillPath(env, a);
    // Stripes: vertical gores clipped to the envelope.
    p.save();
    p.setClipPath(env);
    for (int i = -3; i <= 3; i += 2) {
        QPainterPath gore;
        gore.addEllipse(QPointF(c.x() + i * r * 0.28, c.y()), r * 0.16, r * 1.5);
        p.fillPath(gore, b);
    }
    QRadialGradient shade(c - QPointF(r * 0.5, r * 0.5), r * 2);
    shade.setColorAt(0, QColor(255, 255, 255, 80));
    shade.setColorAt(1, QColor(0, 0, 0, 90));
    p.fillPath(env, shade);
    p.restore();
    p.setPen(QPen(QColor(60, 30, 20), 1));
    p.drawLine(QPointF(c.x() - r * 0.3, c.y() + r * 1.25), QPointF(c.x() - r * 0.2, c.y() + r * 1.7));
    p.drawLine(QPointF(c.x() + r * 0.3, c.y() + r * 1.25), QPointF(c.x() + r * 0.2, c.y() + r * 1.7));
    p.fillRect(QRectF(c.x() - r * 0.22, c.y() + r * 1.7, r * 0.44, r * 0.3), QColor(140, 80, 30));
}

void mountains(QPainter &p, Rng &rng)
{
    auto ridge = [&](double baseY, double height, int steps, const QColor &top, const QColor &bottom, bool snow) {
        QPainterPath m;
        m.moveTo(0, kHorizon);
        std::vector<QPointF> pts;
        for (int i = 0; i <= steps; ++i) {
            const double x = W * double(i) / steps;
            const double y = baseY - height * (0.35 + 0.65 * std::abs(std::sin(i * 1.7 + rng.real(0, 0.6))));
            pts.emplace_back(x, y);
            m.lineTo(x, y);
        }
        m.lineTo(W, kHorizon);
        m.closeSubpath();
        QLinearGradient g(0, baseY - height, 0, kHorizon);
        g.setColorAt(0, top);
        g.setColorAt(1, bottom);
        p.fillPath(m, g);
        if (!snow) return;
        for (size_t i = 1; i + 1 < pts.size(); ++i) {
            if (pts[i].y() > pts[i - 1].y() || pts[i].y() > pts[i + 1].y()) continue; // peaks only
            QPainterPath cap;
            const QPointF a = pts[i - 1], t = pts[i], b = pts[i + 1];
            cap.moveTo(t);
            cap.lineTo(t + (a - t) * 0.3);
            cap.lineTo(t + (a - t) * 0.18 + QPointF(4, 6));
            cap.lineTo(t + QPointF(0, 10));
            cap.lineTo(t + (b - t) * 0.2 + QPointF(-3, 5));
            cap.lineTo(t + (b - t) * 0.3);
            cap.closeSubpath();
            p.fillPath(cap, QColor(250, 240, 255));
        }
    };
    ridge(250, 120, 9, QColor(120, 90, 190), QColor(200, 130, 170), true);
    ridge(262, 70, 14, QColor(70, 60, 140), QColor(110, 80, 150), false);
}

void lake(QPainter &p, Rng &rng)
{
    const QRect water(0, kHorizon, W, 70);
    QLinearGradient g(0, water.top(), 0, water.bottom());
    g.setColorAt(0, QColor(250, 180, 120));
    g.setColorAt(0.5, QColor(170, 100, 170));
    g.setColorAt(1, QColor(50, 60, 140));
    p.fillRect(water, g);
    // Sun's path on the water and ripples.
    for (int i = 0; i < 18; ++i) {
        const double y = water.top() + 3 + i * 3.8;
        const double half = 40 - i * 1.6 + rng.real(-6, 6);
        p.fillRect(QRectF(420 - half, y, half * 2, 1.6), QColor(255, 240, 180, 200 - i * 9));
    }
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    for (int i = 0; i < 60; ++i) {
        const double x = rng.real(0, W), y = rng.real(water.top() + 4, water.bottom() - 2);
        p.drawLine(QPointF(x, y), QPointF(x + rng.real(6, 20), y));
    }
    // A small sailing boat.
    QPainterPath hull;
    hull.moveTo(150, 300);
    hull.lineTo(196, 300);
    hull.lineTo(188, 309);
    hull.lineTo(158, 309);
    hull.closeSubpath();
    p.fillPath(hull, QColor(150, 40, 40));
    QPainterPath sail;
    sail.moveTo(173, 262);
    sail.lineTo(173, 298);
    sail.lineTo(195, 298);
    sail.closeSubpath();
    p.fillPath(sail, QColor(255, 250, 235));
    QPainterPath jib;
    jib.moveTo(171, 268);
    jib.lineTo(171, 298);
    jib.lineTo(155, 298);
    jib.closeSubpath();
    p.fillPath(jib, QColor(250, 210, 80));
}

void house(QPainter &p, double x, double base, double w, double h, const QColor &wall, const QColor &roof)
{
    p.fillRect(QRectF(x, base - h, w, h), wall);
    p.fillRect(QRectF(x + w * 0.75, base - h, w * 0.25, h), wall.darker(130)); // shaded side
    QPainterPath r;
    r.moveTo(x - 3, base - h);
    r.lineTo(x + w / 2, base - h - w * 0.55);
    r.lineTo(x + w + 3, base - h);
    r.closeSubpath();
    p.fillPath(r, roof);
    p.fillRect(QRectF(x + w * 0.42, base - h * 0.45, w * 0.18, h * 0.45), QColor(90, 50, 30));
    for (double wx : {0.15, 0.65})
        p.fillRect(QRectF(x + w * wx, base - h * 0.8, w * 0.18, h * 0.25), QColor(255, 230, 120));
}

void tree(QPainter &p, double x, double base, double s, const QColor &leaf, bool pine)
{
    p.fillRect(QRectF(x - s * 0.08, base - s * 0.5, s * 0.16, s * 0.5), QColor(100, 60, 30));
    if (pine) {
        for (int i = 0; i < 3; ++i) {
            QPainterPath t;
            const double y = base - s * 0.35 - i * s * 0.3;
            t.moveTo(x - s * (0.45 - i * 0.1), y);
            t.lineTo(x, y - s * 0.5);
            t.lineTo(x + s * (0.45 - i * 0.1), y);
            t.closeSubpath();
            p.fillPath(t, leaf.darker(100 + i * 10));
        }
        return;
    }
    // Crown: a mass of leaf clusters in several greens, lit from the upper
    // left, with a few fruits, so a big tree is no flat patch.
    const QPointF crown(x, base - s * 0.75);
    const double rx = s * 0.42, ry = s * 0.38;
    p.setPen(Qt::NoPen);
    p.setBrush(leaf.darker(160));
    p.drawEllipse(crown, rx, ry);
    Rng rng(std::uint32_t(x * 7 + base * 13 + s));
    const int clusters = int(s * 0.9);
    for (int i = 0; i < clusters; ++i) {
        const double a = rng.real(0, 6.2832), d = std::sqrt(rng.real(0, 1));
        const QPointF c(crown.x() + std::cos(a) * rx * d * 0.92, crown.y() + std::sin(a) * ry * d * 0.92);
        const double light = 0.5 + 0.5 * ((crown.x() - c.x()) / rx + (crown.y() - c.y()) / ry) * 0.5;
        QColor g = leaf.lighter(int(80 + light * 80 + rng.real(-15, 15)));
        g.setHsv((g.hue() + rng.integer(-12, 12) + 360) % 360, g.saturation(), g.value());
        p.setBrush(g);
        const double r = s * rng.real(0.035, 0.07);
        p.drawEllipse(c, r, r * 0.85);
    }
    if (s > 100) {
        for (int i = 0; i < 14; ++i) {
            const double a = rng.real(0, 6.2832), d = std::sqrt(rng.real(0.1, 0.9));
            p.setBrush(i % 3 ? QColor(220, 30, 40) : QColor(250, 180, 30));
            p.drawEllipse(QPointF(crown.x() + std::cos(a) * rx * d, crown.y() + std::sin(a) * ry * d), 3.2, 3.2);
        }
    }
}

void village(QPainter &p, Rng &rng)
{
    // Rolling hills.
    auto hill = [&](double y, double amp, double phase, const QColor &a, const QColor &b) {
        QPainterPath h;
        h.moveTo(0, H);
        for (int x = 0; x <= W; x += 8)
            h.lineTo(x, y + amp * std::sin(x / 90.0 + phase) + amp * 0.4 * std::sin(x / 33.0 + phase * 2));
        h.lineTo(W, H);
        h.closeSubpath();
        QLinearGradient g(0, y - amp, 0, y + 90);
        g.setColorAt(0, a);
        g.setColorAt(1, b);
        p.fillPath(h, g);
    };
    hill(338, 10, 0.5, QColor(120, 190, 70), QColor(60, 130, 50));
    // Fields on the far hill: coloured strips.
    const QColor fields[] = {QColor(230, 200, 60), QColor(160, 210, 80), QColor(200, 120, 200), QColor(240, 150, 60)};
    for (int i = 0; i < 10; ++i) {
        const double x = i * 66 + rng.real(-6, 6);
        p.fillRect(QRectF(x, 344 + rng.real(0, 8), 56, 8), fields[i % 4]);
    }
    const QColor walls[] = {QColor(250, 230, 200), QColor(200, 230, 250), QColor(250, 200, 210), QColor(240, 240, 170), QColor(210, 250, 210)};
    const QColor roofs[] = {QColor(200, 40, 40), QColor(40, 80, 200), QColor(230, 120, 20), QColor(120, 40, 150), QColor(20, 140, 120)};
    double x = 20;
    int i = 0;
    while (x < W - 30) {
        const double w = rng.real(22, 36), h = rng.real(18, 28);
        if (rng.integer(0, 4) == 0)
            tree(p, x + 12, 372, rng.real(28, 44), QColor(40, 150, 60), rng.integer(0, 2) == 0);
        else
            house(p, x, 370 + rng.real(-4, 4), w, h, walls[i % 5], roofs[(i * 3 + 1) % 5]);
        x += w + rng.real(6, 18);
        ++i;
    }
    // Windmill on the right: tapered tower, four sails round a hub.
    QPainterPath tower;
    tower.moveTo(506, 366);
    tower.lineTo(510, 316);
    tower.lineTo(526, 316);
    tower.lineTo(530, 366);
    tower.closeSubpath();
    p.fillPath(tower, QColor(235, 225, 205));
    p.fillRect(QRectF(514, 346, 8, 20), QColor(110, 60, 30));
    QPainterPath cap;
    cap.moveTo(506, 318);
    cap.lineTo(518, 304);
    cap.lineTo(530, 318);
    cap.closeSubpath();
    p.fillPath(cap, QColor(170, 40, 40));
    p.save();
    p.translate(518, 314);
    p.rotate(20);
    for (int k = 0; k < 4; ++k) {
        p.fillRect(QRectF(-1.5, -44, 3, 44), QColor(110, 70, 40));
        p.fillRect(QRectF(1.5, -42, 8, 30), QColor(250, 250, 240));
        p.setPen(QPen(QColor(150, 120, 90), 0.8));
        for (int j = 1; j < 4; ++j) p.drawLine(QPointF(1.5, -42 + j * 7.5), QPointF(9.5, -42 + j * 7.5));
        p.setPen(Qt::NoPen);
        p.rotate(90);
    }
    p.setBrush(QColor(60, 40, 30));
    p.drawEllipse(QPointF(0, 0), 3, 3);
    p.restore();
    hill(392, 14, 2.0, QColor(90, 170, 60), QColor(40, 110, 40));
}

void meadow(QPainter &p, Rng &rng)
{
    // Path winding into the picture.
    QPainterPath path;
    path.moveTo(250, H);
    path.cubicTo(300, 440, 260, 420, 320, 396);
    path.lineTo(332, 396);
    path.cubicTo(300, 420, 360, 440, 360, H);
    path.closeSubpath();
    p.fillPath(path, QColor(210, 170, 110));
    // Fence.
    p.setPen(QPen(QColor(120, 70, 40), 3));
    for (int x = 10; x < 240; x += 26) p.drawLine(x, 432, x, 458);
    p.drawLine(4, 438, 244, 438);
    p.drawLine(4, 450, 244, 450);
    // Grass blades and flowers everywhere in the foreground.
    const QColor petals[] = {QColor(255, 60, 80), QColor(255, 220, 40), QColor(250, 250, 255), QColor(180, 80, 255),
                             QColor(255, 130, 30), QColor(60, 160, 255), QColor(255, 120, 200)};
    for (int i = 0; i < 500; ++i) {
        const double x = rng.real(0, W), y = rng.real(398, H);
        p.setPen(QPen(QColor(30, rng.integer(110, 190), 40), 1.2));
        p.drawLine(QPointF(x, y), QPointF(x + rng.real(-3, 3), y - rng.real(4, 10)));
    }
    for (int i = 0; i < 260; ++i) {
        const double x = rng.real(0, W), y = rng.real(404, H);
        if (path.contains(QPointF(x, y))) continue;
        const double s = 1.5 + (y - 400) / 22;
        const QColor c = petals[rng.integer(0, 7)];
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        for (int k = 0; k < 5; ++k) {
            const double a = k * 2 * 3.14159 / 5;
            p.drawEllipse(QPointF(x + std::cos(a) * s, y + std::sin(a) * s), s * 0.75, s * 0.75);
        }
        p.setBrush(QColor(255, 200, 0));
        p.drawEllipse(QPointF(x, y), s * 0.5, s * 0.5);
    }
    // Two big trees framing the scene.
    tree(p, 30, 480, 190, QColor(30, 120, 50), false);
    tree(p, 612, 470, 150, QColor(50, 140, 40), false);
    // Butterflies.
    for (int i = 0; i < 6; ++i) {
        const QPointF b(rng.real(80, 560), rng.real(400, 460));
        const QColor c = petals[rng.integer(0, 7)];
        p.setBrush(c);
        p.drawEllipse(b + QPointF(-3, 0), 3, 2.2);
        p.drawEllipse(b + QPointF(3, 0), 3, 2.2);
        p.setBrush(Qt::black);
        p.drawEllipse(b, 0.8, 2);
    }
}

} // namespace

QImage samplePicture()
{
    QImage img(W, H, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    Rng rng(640480);
    sky(p, rng);
    mountains(p, rng);
    lake(p, rng);
    balloon(p, QPointF(110, 110), 26, QColor(230, 40, 50), QColor(255, 220, 60));
    balloon(p, QPointF(250, 70), 18, QColor(40, 90, 220), QColor(250, 250, 250));
    balloon(p, QPointF(540, 90), 22, QColor(40, 180, 80), QColor(160, 60, 200));
    balloon(p, QPointF(330, 170), 12, QColor(255, 140, 20), QColor(40, 40, 160));
    village(p, rng);
    meadow(p, rng);
    p.end();
    return img;
}

} // namespace art
