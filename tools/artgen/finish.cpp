// The picture shown when a puzzle is complete. The player centres the
// finished puzzle's thumbnail in the 190 x 139 box at (85, 44), so the box
// is a dark, framed window and the celebration happens around it.
#include "art.h"
#include "theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>

namespace art {

namespace {
const QRect kThumbBox(85, 44, 190, 139);
}

QImage finishPicture()
{
    QImage img(kFinishW, kFinishH, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient g(0, 0, 0, kFinishH);
    g.setColorAt(0, QColor(70, 20, 120));
    g.setColorAt(1, QColor(26, 6, 48));
    p.fillRect(img.rect(), g);
    QRadialGradient glow(QPointF(kThumbBox.center()), 200);
    glow.setColorAt(0, QColor(140, 255, 100, 80));
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(img.rect(), glow);

    // Rays from behind the box.
    p.save();
    p.translate(kThumbBox.center());
    for (int i = 0; i < 16; ++i) {
        QPainterPath ray;
        ray.moveTo(0, 0);
        ray.lineTo(260, -18);
        ray.lineTo(260, 18);
        ray.closeSubpath();
        p.fillPath(ray, QColor(255, 255, 255, 14));
        p.rotate(22.5);
    }
    p.restore();

    // Confetti and loose pieces in the side margins and the bottom.
    Rng rng(2348);
    const QColor confetti[] = {kGreenBright, kGold, kLavender, QColor(255, 110, 170), QColor(110, 200, 255)};
    for (int i = 0; i < 90; ++i) {
        const QPointF c(rng.real(4, kFinishW - 4), rng.real(4, kFinishH - 4));
        // Keep the box and the lines of text clear.
        if (QRectF(kThumbBox).adjusted(-8, -8, 8, 8).contains(c) || (c.y() < 40 && std::abs(c.x() - 180) < 130) ||
            (c.y() > 190 && std::abs(c.x() - 180) < 110))
            continue;
        p.save();
        p.translate(c);
        p.rotate(rng.real(0, 180));
        p.fillRect(QRectF(-3, -1.5, 6, 3), confetti[rng.integer(0, 5)]);
        p.restore();
    }
    const struct { double x, y, s, a; int colour; std::array<int, 4> e; } pieces[] = {
        {22, 70, 36, -18, 0, {1, -1, 0, 1}}, {30, 140, 30, 12, 1, {-1, 1, 1, 0}},
        {300, 62, 34, 16, 2, {0, 1, -1, 1}}, {306, 138, 30, -10, 0, {1, 0, 1, -1}},
    };
    for (const auto &pc : pieces) {
        p.save();
        p.translate(pc.x + pc.s / 2, pc.y + pc.s / 2);
        p.rotate(pc.a);
        const QPainterPath path = jigsawPiece(QRectF(-pc.s / 2, -pc.s / 2, pc.s, pc.s), pc.e);
        p.fillPath(path.translated(2, 3), QColor(0, 0, 0, 90));
        const QColor base = pc.colour == 0 ? kGreen : pc.colour == 1 ? kGold : kPurpleLight;
        QLinearGradient pg(-pc.s / 2, -pc.s / 2, pc.s / 2, pc.s / 2);
        pg.setColorAt(0, base.lighter(140));
        pg.setColorAt(1, base.darker(130));
        p.fillPath(path, pg);
        p.strokePath(path, QPen(QColor(255, 255, 255, 150), 1.2));
        p.restore();
    }

    // Title.
    QPainterPath title;
    title.addText(0, 0, font(24), QStringLiteral("Puzzle complete!"));
    const QRectF tb = title.boundingRect();
    title.translate(kFinishW / 2.0 - tb.center().x(), 22 - tb.center().y());
    p.fillPath(title.translated(2, 2), QColor(0, 0, 0, 140));
    QLinearGradient tg(0, 10, 0, 34);
    tg.setColorAt(0, QColor(200, 255, 160));
    tg.setColorAt(1, QColor(50, 200, 40));
    p.fillPath(title, tg);
    p.strokePath(title, QPen(QColor(10, 60, 10), 1));

    // The thumbnail's window: gold frame, dark inside.
    const QRectF frame = QRectF(kThumbBox).adjusted(-4.5, -4.5, 4.5, 4.5);
    p.setPen(QPen(kGold, 3));
    p.setBrush(QColor(12, 2, 24));
    p.drawRoundedRect(frame, 5, 5);
    p.setPen(QPen(QColor(120, 70, 10), 1));
    p.drawRoundedRect(frame.adjusted(-2, -2, 2, 2), 6, 6);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(kThumbBox, QColor(12, 2, 24));
    p.setRenderHint(QPainter::Antialiasing);

    p.setFont(font(15));
    p.setPen(QColor(0, 0, 0, 150));
    const QRect well(0, 194, kFinishW, 22);
    p.drawText(well.translated(1, 1), Qt::AlignCenter, QStringLiteral("Well done!"));
    p.setPen(kGold);
    p.drawText(well, Qt::AlignCenter, QStringLiteral("Well done!"));
    p.setFont(font(11, false));
    p.setPen(kLavender);
    p.drawText(QRect(0, 216, kFinishW, 18), Qt::AlignCenter, QStringLiteral("click anywhere to continue"));
    p.end();
    return img;
}

} // namespace art
