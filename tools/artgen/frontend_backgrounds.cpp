// Vorlin's two window backgrounds. The main menu shows the suite's name over
// a puzzle of the sample picture with a deck for its buttons; the wizard and
// the load window share a picture panel on the left, a page panel on the
// right and a dock for Back, Next and Home.
#include "art.h"
#include "frontend_kit.h"
#include "frontend_layout.h"
#include "theme.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace art {

using namespace frontend;

namespace {

void paintBase(QPainter &p, QPointF light)
{
    QLinearGradient g(0, 0, 0, layout::kHeight);
    g.setColorAt(0.0, QColor(30, 8, 52));
    g.setColorAt(0.5, QColor(44, 12, 76));
    g.setColorAt(1.0, QColor(22, 6, 40));
    p.fillRect(0, 0, layout::kWidth, layout::kHeight, g);
    QRadialGradient glow(light, 440);
    glow.setColorAt(0.0, QColor(96, 40, 150, 150));
    glow.setColorAt(0.6, QColor(70, 24, 120, 60));
    glow.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(0, 0, layout::kWidth, layout::kHeight, glow);
    paintLattice(p, QRect(3, kCaptionBand, layout::kWidth - 6, layout::kHeight - kCaptionBand - 3));
}

// A plate with a green rim whose lower right runs off the window.
void paintDeck(QPainter &p, const QRectF &r, double radius)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath deck;
    deck.addRoundedRect(r, radius, radius);
    QLinearGradient g(0, r.top(), 0, r.top() + 150);
    g.setColorAt(0, QColor(48, 14, 84));
    g.setColorAt(1, QColor(18, 4, 34));
    p.fillPath(deck.translated(0, -3), QColor(0, 0, 0, 60));
    p.fillPath(deck, g);
    p.strokePath(deck, QPen(QColor(58, 180, 40), 1.5));
    p.restore();
}

} // namespace

void paintSuiteTitle(QPainter &p, QPointF centre, int px)
{
    const double k = px / 80.0;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath text;
    text.addText(0, 0, font(px), QStringLiteral("Snapp'It"));
    const QRectF tb = text.boundingRect();
    const double emblem = 70 * k, gap = 18 * k;
    const double left = centre.x() - (emblem + gap + tb.width()) / 2;
    text.translate(left + emblem + gap - tb.left(), centre.y() - tb.center().y());

    const QRectF cell(left, centre.y() - emblem / 2 + 4, emblem * 0.78, emblem * 0.78);
    const QPainterPath piece = jigsawPiece(cell, {1, 1, 0, -1});
    paintGreenPiece(p, piece, cell, QPointF(4 * k, 5 * k), 120, 2 * k);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawEllipse(QRectF(cell.left() + 8 * k, cell.top() + 7 * k, 26 * k, 12 * k));

    p.fillPath(text.translated(4 * k, 5 * k), QColor(0, 0, 0, 130));
    const QRectF r = text.boundingRect();
    QLinearGradient tg(0, r.top(), 0, r.bottom());
    tg.setColorAt(0, QColor(190, 255, 150));
    tg.setColorAt(0.55, QColor(80, 214, 60));
    tg.setColorAt(1, QColor(30, 140, 34));
    p.fillPath(text, tg);
    p.strokePath(text, QPen(QColor(16, 56, 16), 2 * k));
    p.restore();
}

void paintPuzzleCollage(QPainter &p, const QRectF &box, int columns, int rows, bool liftOne)
{
    static const QImage sample = samplePicture();
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const double cw = box.width() / columns, ch = box.height() / rows;
    // Interlocking edges from a fixed sequence, opposite on either side.
    Rng rng(31);
    std::vector<int> right(size_t(columns * rows)), down(size_t(columns * rows));
    for (auto &e : right) e = (rng.next() & 1) ? 1 : -1;
    for (auto &e : down) e = (rng.next() & 1) ? 1 : -1;
    auto piece = [&](int c, int r) {
        const int top = r > 0 ? -down[size_t((r - 1) * columns + c)] : 0;
        const int bottom = r < rows - 1 ? down[size_t(r * columns + c)] : 0;
        const int left = c > 0 ? -right[size_t(r * columns + c - 1)] : 0;
        const int rgt = c < columns - 1 ? right[size_t(r * columns + c)] : 0;
        return jigsawPiece(QRectF(box.left() + c * cw, box.top() + r * ch, cw, ch), {top, rgt, bottom, left});
    };
    // Without a lifted piece, no piece sits outside the grid.
    const int liftC = liftOne ? columns - 1 : columns, liftR = rows / 2;

    if (liftOne) {
        QPainterPath frame;
        frame.addRoundedRect(box.adjusted(-6, -6, 6, 6), 8, 8);
        p.fillPath(frame.translated(4, 6), QColor(0, 0, 0, 110));
        p.fillPath(frame, QColor(20, 5, 36));
        p.strokePath(frame, QPen(QColor(58, 180, 40), 1.5));
    }

    const QPainterPath lifted = liftOne ? piece(liftC, liftR) : QPainterPath();
    p.save();
    QPainterPath rest;
    rest.addRect(box);
    rest = rest.subtracted(lifted);
    p.setClipPath(rest);
    p.drawImage(box, sample);
    p.restore();
    // The empty place of the lifted piece: the dark tray shows.
    p.fillPath(lifted, QColor(24, 6, 44));
    p.strokePath(lifted, QPen(QColor(0, 0, 0, 160), 2));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            if (c != liftC || r != liftR) {
                const QPainterPath pc = piece(c, r);
                p.strokePath(pc.translated(0.7, 0.7), QPen(QColor(0, 0, 0, 90), 1));
                p.strokePath(pc, QPen(QColor(255, 255, 255, 80), 1));
            }

    if (!liftOne) {
        p.restore();
        return;
    }
    // The lifted piece lies turned beside its place, with its shadow.
    const QPointF home = lifted.boundingRect().center();
    p.save();
    p.translate(home + QPointF(cw * 0.75, ch * 0.55));
    p.rotate(14);
    p.translate(-home);
    p.fillPath(lifted.translated(6, 9), QColor(0, 0, 0, 120));
    p.setClipPath(lifted);
    p.drawImage(box, sample);
    p.setClipping(false);
    p.strokePath(lifted, QPen(QColor(255, 255, 255, 150), 1.5));
    p.restore();
    p.restore();
}

QImage mainMenuBackground()
{
    QImage img(layout::kWidth, layout::kHeight, QImage::Format_RGB32);
    QPainter p(&img);
    paintBase(p, QPointF(400, 270));
    paintCaptionBand(p, QStringLiteral("Snapp'It"), 86);
    paintSuiteTitle(p, QPointF(400, 88), 80);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font(18, false));
    p.setPen(kLavender);
    p.drawText(QRectF(200, 132, 400, 26), Qt::AlignCenter, QStringLiteral("picture puzzles"));
    p.setRenderHint(QPainter::Antialiasing, false);
    paintPuzzleCollage(p, QRectF(250, 168, 288, 216), 4, 3);
    paintDeck(p, QRectF(14.5, 452.5, 800, 200), 20);

    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(font(15, false));
    p.setPen(kLavender);
    p.drawText(QRectF(330, 458, 380, 44), Qt::AlignCenter | Qt::TextWordWrap,
               QStringLiteral("Make a jigsaw puzzle from any picture,\nplay it, or send it to a friend."));
    // A few loose pieces in the deck's free middle.
    const struct { double x, y, s, turn; std::array<int, 4> edges; QColor c; } loose[] = {
        {500, 522, 22, -12, {1, -1, 0, 1}, QColor(58, 196, 40, 200)},
        {560, 548, 18, 20, {0, 1, -1, 1}, QColor(150, 92, 220, 200)},
        {622, 516, 20, 8, {-1, 1, 1, 0}, QColor(255, 214, 72, 170)},
        {665, 560, 16, -25, {1, 0, 1, -1}, QColor(58, 196, 40, 160)},
    };
    for (const auto &l : loose) {
        p.save();
        p.translate(l.x, l.y);
        p.rotate(l.turn);
        const QPainterPath pc = jigsawPiece(QRectF(-l.s / 2, -l.s / 2, l.s, l.s), l.edges);
        p.fillPath(pc.translated(2, 3), QColor(0, 0, 0, 110));
        p.fillPath(pc, l.c);
        p.strokePath(pc, QPen(QColor(255, 255, 255, 90), 1));
        p.restore();
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    paintBorders(p);
    p.end();
    return img;
}

QImage wizardBackground()
{
    QImage img(layout::kWidth, layout::kHeight, QImage::Format_RGB32);
    QPainter p(&img);
    paintBase(p, QPointF(260, 340));
    paintCaptionBand(p, QStringLiteral("Snapp'It"), 14);

    // The title tab along the left edge under the caption.
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tab;
    tab.addRoundedRect(QRectF(-20, kTitle.top() - 2.5, kTitle.width() + 36, kTitle.height() + 5), 16, 16);
    QLinearGradient tg(0, kTitle.top(), 0, kTitle.bottom());
    tg.setColorAt(0, kHeaderTop);
    tg.setColorAt(1, kHeaderBottom);
    p.fillPath(tab.translated(2, 3), QColor(0, 0, 0, 100));
    p.fillPath(tab, tg);
    p.strokePath(tab, QPen(QColor(58, 180, 40), 1.5));

    paintPanel(p, kPreviewArea, 0);
    // A faint lattice, so the picture panel reads as a puzzle tray even
    // before a picture lies on it.
    p.save();
    QPainterPath inside;
    inside.addRoundedRect(QRectF(kPreviewArea).adjusted(3, 3, -3, -3), 8, 8);
    p.setClipPath(inside);
    p.setOpacity(0.8);
    paintLattice(p, kPreviewArea.adjusted(3, 3, -3, -3));
    p.restore();
    // The page panel reaches below the page area: a radio mark at the
    // page's foot then covers flat panel only, and the load window's
    // Delete button, which stands lower than any page, still lies on it.
    paintPanel(p, kPageArea.adjusted(0, 0, 0, kLoadDelete.bottom() + 6 - kPageArea.bottom()), kPageHeader);
    paintDeck(p, QRectF(532.5, 394.5, 300, 250), 20);
    p.setRenderHint(QPainter::Antialiasing, false);
    paintBorders(p);
    p.end();
    return img;
}

} // namespace art
