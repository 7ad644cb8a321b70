// Board frame tiles, the tray window's frame and caption icons, and the
// pieces of the drop-down menus.
#include "art.h"
#include "theme.h"

#include <QLinearGradient>
#include <QPainter>

namespace art {
namespace {

// --- board tiles (163) --------------------------------------------------
// 3 x 3 tiles of 20 x 20 at offsets 0, 21, 42. The board's outer 4 pixels
// are a rim; everything inside is felt that pieces lie on, plain enough
// that tiles overlapping at odd board sizes leave no visible seam.

constexpr int kTile = 20;
constexpr int kRim = 4;
const QColor kFelt(16, 58, 26);

void paintFelt(QPainter &p, const QRect &r)
{
    p.fillRect(r, kFelt);
    // A faint weave, period 4, so that tiles meeting at any offset of 4 match.
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (((x - r.left()) + 2 * (y - r.top())) % 4 == 0)
                p.fillRect(x, y, 1, 1, QColor(22, 70, 32));
}

// The rim's colours from outside in.
const QColor kRimColours[kRim] = {QColor(12, 2, 22), QColor(150, 255, 110), QColor(58, 196, 40), QColor(8, 40, 14)};

QImage boardTiles()
{
    QImage img(62, 62, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    const int offs[3] = {0, 21, 42};
    for (int ty = 0; ty < 3; ++ty) {
        for (int tx = 0; tx < 3; ++tx) {
            const QRect t(offs[tx], offs[ty], kTile, kTile);
            paintFelt(p, t);
            const bool left = tx == 0, right = tx == 2, top = ty == 0, bottom = ty == 2;
            // Rings from outside in; each side only where the tile is on it.
            for (int i = 0; i < kRim; ++i) {
                const QColor c = kRimColours[i];
                if (top) p.fillRect(t.left() + (left ? i : 0), t.top() + i, kTile - (left ? i : 0) - (right ? i : 0), 1, c);
                if (bottom) p.fillRect(t.left() + (left ? i : 0), t.bottom() - i, kTile - (left ? i : 0) - (right ? i : 0), 1, c);
                if (left) p.fillRect(t.left() + i, t.top() + (top ? i : 0), 1, kTile - (top ? i : 0) - (bottom ? i : 0), c);
                if (right) p.fillRect(t.right() - i, t.top() + (top ? i : 0), 1, kTile - (top ? i : 0) - (bottom ? i : 0), c);
            }
            // A small stud at each corner of the frame.
            if ((left || right) && (top || bottom)) {
                const int cx = left ? t.left() + 1 : t.right() - 2;
                const int cy = top ? t.top() + 1 : t.bottom() - 2;
                p.fillRect(cx, cy, 2, 2, kGold);
            }
        }
    }
    p.end();
    return img;
}

// --- tray frame (143 .. 151) and caption icons (165) --------------------
// The frame is painted as if for one tray and cut into its pieces, so the
// pieces join without seams: corners 23 wide, edge tiles 15, caption 37
// high, bottom 23. The caption row behind the title is exactly the purple
// the tray writes its title on.

constexpr int kSide = 23, kTop = 37, kBottom = 23, kEdge = 15;
constexpr int kCaptionRows = 21; // rows 0 .. 20 carry the caption

QImage trayFrame(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(kTrayClient);
    QPainter p(&img);
    // Body of the frame: one flat purple, so corners and edge tiles meet
    // without seams whatever their lengths.
    p.fillRect(img.rect(), QColor(86, 24, 146));
    p.fillRect(QRect(kSide, kTop, w - 2 * kSide, h - kTop - kBottom), kTrayClient);
    // A lighter line a few pixels in from the outside gives the body depth.
    p.setPen(QColor(124, 52, 196));
    p.drawRect(QRect(4, kCaptionRows + 2, w - 9, h - kCaptionRows - 7));
    // Caption.
    p.fillRect(0, 0, w, kCaptionRows, kTrayCaption);
    p.fillRect(0, 0, w, 1, QColor(200, 130, 255));
    p.fillRect(0, kCaptionRows - 1, w, 1, QColor(70, 0, 120));
    // Outer rim.
    p.setPen(QColor(20, 0, 40));
    p.drawRect(0, 0, w - 1, h - 1);
    p.setPen(QColor(200, 130, 255));
    p.drawLine(1, 1, 1, h - 2);
    // Inner edge: a green line and a dark one against the tray's green.
    const QRect inner(kSide, kTop, w - 2 * kSide, h - kTop - kBottom);
    p.setPen(QColor(20, 0, 40));
    p.drawRect(inner.adjusted(-1, -1, 0, 0));
    p.setPen(kGreenBright);
    p.drawRect(inner.adjusted(-2, -2, 1, 1));
    p.setPen(QColor(20, 80, 14));
    p.drawRect(inner.adjusted(-3, -3, 2, 2));
    // Corner studs in the frame body.
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (QPointF c : {QPointF(11.5, h - 11.5), QPointF(w - 11.5, h - 11.5)}) {
        p.setBrush(QColor(30, 120, 26));
        p.drawEllipse(c, 4.5, 4.5);
        p.setBrush(kGreenBright);
        p.drawEllipse(c - QPointF(1, 1), 2, 2);
    }
    p.end();
    return img;
}

// A minimize, close or restore icon on the caption purple.
void trayIcon(QPainter &p, int y, int glyph, bool pressed)
{
    const QRectF face(1.5, y + 1.5, 16, 16);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.addRoundedRect(face, 4, 4);
    QLinearGradient g(0, face.top(), 0, face.bottom());
    g.setColorAt(0, pressed ? QColor(60, 0, 100) : QColor(186, 90, 255));
    g.setColorAt(1, pressed ? QColor(110, 0, 180) : QColor(96, 0, 160));
    p.fillPath(body, g);
    p.strokePath(body, QPen(QColor(40, 0, 70), 1));
    const QPointF m = face.center() + (pressed ? QPointF(0.5, 0.5) : QPointF());
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap));
    p.setBrush(Qt::NoBrush);
    switch (glyph) {
    case 0: // minimize
        p.drawLine(m + QPointF(-4, 4), m + QPointF(4, 4));
        break;
    case 1: // maximize
        p.setPen(QPen(Qt::white, 1.5));
        p.drawRect(QRectF(m.x() - 4.5, m.y() - 4.5, 9, 9));
        p.drawLine(m + QPointF(-4.5, -3.5), m + QPointF(4.5, -3.5));
        break;
    case 2: // close
        p.drawLine(m + QPointF(-4, -4), m + QPointF(4, 4));
        p.drawLine(m + QPointF(-4, 4), m + QPointF(4, -4));
        break;
    case 3: // restore: two overlapping windows
        p.setPen(QPen(Qt::white, 1.4));
        p.drawRect(QRectF(m.x() - 2, m.y() - 5, 7, 6));
        p.setBrush(QColor(110, 0, 180));
        p.drawRect(QRectF(m.x() - 5, m.y() - 1.5, 7, 6));
        break;
    }
}

// 19 x 114: minimize 0, minimize pressed 19, maximize 38, close 57,
// restore 76, close pressed 95.
QImage trayIcons()
{
    QImage img(19, 114, QImage::Format_RGB32);
    img.fill(kTrayCaption);
    QPainter p(&img);
    trayIcon(p, 0, 0, false);
    trayIcon(p, 19, 0, true);
    trayIcon(p, 38, 1, false);
    trayIcon(p, 57, 2, false);
    trayIcon(p, 76, 3, false);
    trayIcon(p, 95, 2, true);
    p.end();
    return img;
}

// --- drop-down menus ----------------------------------------------------
// 164 holds three 20 x 41 tiles (left end, middle, right end) for one item
// row. The item text and the check icons are drawn opaque on black, so the
// rows are black inside their rims.

QImage menuTiles()
{
    QImage img(20, 123, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    for (int t = 0; t < 3; ++t) {
        const int y = t * 41;
        // Separator at the top of each row, a darker line under it.
        p.fillRect(0, y, 20, 1, QColor(110, 50, 180));
        p.fillRect(0, y + 1, 20, 1, QColor(40, 10, 70));
        if (t == 0) {
            p.fillRect(0, y, 2, 41, kTrayCaption);
            p.fillRect(2, y, 1, 41, QColor(0, 120, 0));
        } else if (t == 2) {
            p.fillRect(18, y, 2, 41, kTrayCaption);
            p.fillRect(17, y, 1, 41, QColor(0, 120, 0));
        }
        // Bottom line closes the last row as well.
        p.fillRect(0, y + 40, 20, 1, QColor(70, 20, 120));
    }
    p.end();
    return img;
}

// 28 x 14: a check at x 0 and a cross at x 14.
QImage menuIcons(bool hot)
{
    QImage img(28, 14, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(hot ? kMenuTextHot : kMenuText, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath check;
    check.moveTo(2, 7.5);
    check.lineTo(5.5, 11);
    check.lineTo(12, 2.5);
    p.drawPath(check);
    p.setPen(QPen(hot ? QColor(255, 90, 130) : QColor(200, 40, 90), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(17.5, 3.5), QPointF(24.5, 10.5));
    p.drawLine(QPointF(17.5, 10.5), QPointF(24.5, 3.5));
    p.end();
    return img;
}

} // namespace

std::vector<Bitmap> frameBitmaps()
{
    std::vector<Bitmap> out;
    out.push_back({163, boardTiles()});

    // Cut the frame pieces from a tray whose inside has room for one tile.
    const int w = 2 * kSide + kEdge, h = kTop + kBottom + kEdge;
    const QImage tray = trayFrame(w, h);
    out.push_back({150, tray.copy(0, 0, kSide, kTop)});
    out.push_back({149, tray.copy(kSide, 0, kEdge, kTop)});
    out.push_back({151, tray.copy(w - kSide, 0, kSide, kTop)});
    out.push_back({146, tray.copy(0, kTop, kSide, kEdge)});
    out.push_back({147, tray.copy(w - kSide, kTop, kSide, kEdge)});
    out.push_back({144, tray.copy(0, h - kBottom, kSide, kBottom)});
    out.push_back({143, tray.copy(kSide, h - kBottom, kEdge, kBottom)});
    out.push_back({145, tray.copy(w - kSide, h - kBottom, kSide, kBottom)});
    out.push_back({165, trayIcons()});

    out.push_back({164, menuTiles()});
    out.push_back({170, menuIcons(true)});
    out.push_back({171, menuIcons(false)});
    return out;
}

} // namespace art
