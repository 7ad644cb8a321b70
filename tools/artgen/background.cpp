// The player's window background: caption band with the clock slot, the
// Piece Viewer panel on the left, the board area and the button dock.
#include "art.h"
#include "layout.h"
#include "theme.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace art {
namespace {

using namespace layout;

void paintBase(QPainter &p)
{
    QLinearGradient g(0, 0, 0, kHeight);
    g.setColorAt(0.0, QColor(30, 8, 52));
    g.setColorAt(0.5, QColor(44, 12, 76));
    g.setColorAt(1.0, QColor(22, 6, 40));
    p.fillRect(0, 0, kWidth, kHeight, g);

    // A soft light in the middle of the board area.
    QRadialGradient glow(QPointF(470, 300), 420);
    glow.setColorAt(0.0, QColor(96, 40, 150, 150));
    glow.setColorAt(0.6, QColor(70, 24, 120, 60));
    glow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(kView, glow);
}

// The name in the middle: seen on the splash and around small boards. It
// stays a watermark, so that the part a board leaves uncovered reads as
// backdrop rather than as a stray shape next to the puzzle.
void paintLogo(QPainter &p)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(0.3);
    const QPointF centre(469, 292);

    // A green piece as the emblem.
    const QRectF emblem(centre.x() - 42, centre.y() - 132, 84, 84);
    const QPainterPath piece = jigsawPiece(emblem, {1, -1, 1, 0});
    paintGreenPiece(p, piece, emblem, QPointF(4, 5), 110, 2);
    const QRectF shine(emblem.left() + 10, emblem.top() + 10, 34, 16);
    p.setBrush(QColor(255, 255, 255, 70));
    p.setPen(Qt::NoPen);
    p.drawEllipse(shine);

    QFont f = font(68);
    QPainterPath text;
    text.addText(0, 0, f, QStringLiteral("TileMender"));
    const QRectF tb = text.boundingRect();
    text.translate(centre.x() - tb.center().x(), centre.y() + 20 - tb.center().y());
    p.fillPath(text.translated(3, 4), QColor(0, 0, 0, 120));
    QLinearGradient tg(0, text.boundingRect().top(), 0, text.boundingRect().bottom());
    tg.setColorAt(0, QColor(170, 255, 130));
    tg.setColorAt(1, QColor(40, 170, 40));
    p.fillPath(text, tg);
    p.strokePath(text, QPen(QColor(20, 60, 20), 1.5));

    p.setFont(font(20, false));
    p.setPen(kLavender);
    p.drawText(QRectF(centre.x() - 200, centre.y() + 62, 400, 30), Qt::AlignCenter,
               QStringLiteral("picture puzzles"));
    p.restore();
}

void paintCaption(QPainter &p)
{
    QLinearGradient g(0, 0, 0, kCaptionBand);
    g.setColorAt(0, QColor(76, 24, 124));
    g.setColorAt(1, QColor(30, 8, 54));
    p.fillRect(0, 0, kWidth, kCaptionBand, g);
    p.fillRect(0, 0, kWidth, 1, QColor(150, 100, 220));
    p.fillRect(0, kCaptionBand - 1, kWidth, 1, QColor(48, 170, 36));

    p.setRenderHint(QPainter::Antialiasing);
    // Small emblem and name between Options and the clock.
    const QPainterPath mark = jigsawPiece(QRectF(186, 6, 15, 15), {1, -1, 0, 0});
    p.fillPath(mark, kGreen);
    p.setFont(font(14));
    p.setPen(kLavender);
    p.drawText(QRect(208, 0, 130, kCaptionBand - 1), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("TileMender"));

    // The clock writes on black: give it a recessed black slot.
    p.setPen(QPen(QColor(120, 70, 190), 1));
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(kClockSlot).adjusted(-1.5, -0.5, 1.5, 0.5), 5, 5);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(kClockSlot.adjusted(2, 1, -2, -1), Qt::black);

    // Three quiet dots left of Help balance the emblem on the left.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(QColor(110, 60, 170, 200 - 50 * i));
        p.drawEllipse(QPointF(660 - 14 * i, 13.5), 3, 3);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

// The left panel: a dark column well for the loose pieces, a plate for the
// counter above it and the thumb's groove on its left.
void paintPieceViewer(QPainter &p)
{
    // Panel body; its right edge is a flat band because the strip and the
    // view take this picture three pixels apart.
    QLinearGradient g(0, 0, kStripWidth, 0);
    g.setColorAt(0, QColor(30, 8, 54));
    g.setColorAt(1, QColor(36, 10, 62));
    p.fillRect(QRect(kBorder, kCaptionBand, kStripWidth - kBorder, kHeight - kCaptionBand - kBorder), g);
    p.fillRect(QRect(kStripWidth - 1, kCaptionBand, 1, kHeight - kCaptionBand - kBorder), QColor(70, 30, 120));
    p.fillRect(QRect(kStripWidth, kCaptionBand, 7, kHeight - kCaptionBand - kBorder), QColor(22, 6, 40));

    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font(11));
    p.setPen(QColor(190, 160, 240));
    p.drawText(QRect(kColumn.left(), 30, kColumn.width(), 18), Qt::AlignCenter,
               QStringLiteral("PIECE VIEWER"));

    // Counter plate: the yellow "%d/%d" stands on the column's top edge.
    const QRectF plate(kColumn.left() - 0.5, 51.5, kColumn.width() + 1, 34);
    QLinearGradient pg(0, plate.top(), 0, plate.bottom());
    pg.setColorAt(0, QColor(70, 24, 120));
    pg.setColorAt(1, QColor(20, 5, 36));
    p.setPen(QPen(QColor(120, 70, 190), 1));
    p.setBrush(pg);
    p.drawRoundedRect(plate, 8, 8);

    // Column well.
    const QRectF well = QRectF(kColumn).adjusted(-1.5, -1.5, 1.5, 1.5);
    p.setPen(QPen(QColor(58, 180, 40), 1.5));
    QLinearGradient wg(well.topLeft(), well.topRight());
    wg.setColorAt(0, QColor(14, 3, 26));
    wg.setColorAt(0.5, QColor(24, 7, 42));
    wg.setColorAt(1, QColor(14, 3, 26));
    p.setBrush(wg);
    p.drawRoundedRect(well, 4, 4);
    // Faint row guides so the column reads as a stack.
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int y = kColumn.top() + 36; y < kColumn.bottom(); y += 36)
        p.fillRect(kColumn.left() + 10, y, kColumn.width() - 20, 1, QColor(255, 255, 255, 10));

    // Thumb groove (the thumb itself is bitmap 153).
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF groove(kThumbTrack.left() + 2.5, kThumbTrack.top(), 6, kThumbTrack.height());
    p.setPen(QPen(QColor(140, 90, 210), 1));
    p.setBrush(QColor(8, 2, 16));
    p.drawRoundedRect(groove, 3, 3);

    // Foot of the panel: a hint of what to do with the pieces.
    p.setFont(font(10, false));
    p.setPen(QColor(160, 130, 210));
    p.drawText(QRect(kColumn.left(), 558, kColumn.width(), 30), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("drag pieces onto the board"));
    p.setRenderHint(QPainter::Antialiasing, false);
}

// Plate behind the four big buttons in the bottom-right corner.
void paintButtonDock(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath dock;
    const QRectF r(kButtonDock.left() + 0.5, kButtonDock.top() + 0.5, kButtonDock.width() + 20,
                   kButtonDock.height() + 20);
    dock.addRoundedRect(r, 18, 18);
    QLinearGradient g(0, r.top(), 0, kHeight);
    g.setColorAt(0, QColor(44, 12, 76));
    g.setColorAt(1, QColor(18, 4, 34));
    p.fillPath(dock, g);
    p.strokePath(dock, QPen(QColor(58, 180, 40), 1.5));
    // One small emblem in the dock's free left end.
    const QPainterPath mark = jigsawPiece(QRectF(434, 556, 16, 16), {1, -1, 0, 1});
    p.fillPath(mark, QColor(58, 196, 40, 170));
    p.strokePath(mark, QPen(QColor(170, 255, 140, 120), 1));
    p.setRenderHint(QPainter::Antialiasing, false);
    // Keep the window's bottom border line across the dock.
    p.fillRect(kButtonDock.left(), kHeight - 1, kButtonDock.width(), 1, QColor(20, 4, 36));
}

} // namespace

QImage background()
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    QPainter p(&img);
    paintBase(p);
    paintLattice(p, kView);
    paintLogo(p);
    paintCaption(p);
    paintPieceViewer(p);
    paintButtonDock(p);
    paintBorders(p);
    p.end();
    return img;
}

} // namespace art
