// The main menu's bitmaps: its four large buttons (keyed on pure blue for
// the transparent copy), the caption-bar buttons every window shares, the
// game menu tiles, the about picture, the progress bar and the icons.
#include "art.h"
#include "frontend_icons.h"
#include "frontend_kit.h"
#include "frontend_layout.h"
#include "theme.h"

#include <QLinearGradient>

namespace art {

using namespace frontend;

namespace {

QImage largeButton(const QImage &bg, const QRect &place, const QString &label, const IconFn &icon, int px)
{
    return keyedStripAt(bg, place, [&](QPainter &p, Look look) {
        return pieceButton(p, QRectF(0, 0, place.width(), place.height()), look, label, icon, px);
    });
}

layout::Slot slotAt(const QRect &r) { return {0, r.x(), r.y(), r.width(), r.height()}; }

// The about box and the splash: the name, a dark band where the version is
// written in white, and a row of pieces.
QImage aboutPicture()
{
    QImage img(kAbout, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, kAbout.height());
    g.setColorAt(0, QColor(52, 16, 90));
    g.setColorAt(1, QColor(20, 5, 36));
    p.fillRect(img.rect(), g);
    paintLattice(p, img.rect());
    paintSuiteTitle(p, QPointF(kAbout.width() / 2.0, 50), 46);

    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath band;
    band.addRoundedRect(QRectF(kAboutVersion).adjusted(-8, -4, 8, 4), 9, 9);
    p.fillPath(band, QColor(14, 3, 26));
    p.strokePath(band, QPen(QColor(120, 70, 190), 1));

    p.setFont(font(12, false));
    p.setPen(kLavender);
    p.drawText(QRectF(0, 126, kAbout.width(), 18), Qt::AlignCenter,
               QStringLiteral("Jigsaw puzzles from your own pictures"));

    // Five pieces fitted together, one of them green.
    const double s = 24, x0 = kAbout.width() / 2.0 - 2.5 * s, y0 = 158;
    std::array<int, 5> knobs{1, -1, 1, -1, 0}; // right edge of each piece
    for (int i = 0; i < 5; ++i) {
        const int left = i == 0 ? 0 : -knobs[size_t(i - 1)];
        const QPainterPath pc = jigsawPiece(QRectF(x0 + i * s, y0, s, s), {0, knobs[size_t(i)], 0, left});
        QLinearGradient pg(0, y0, 0, y0 + s);
        if (i == 2) {
            pg.setColorAt(0, kGreenBright);
            pg.setColorAt(1, QColor(30, 140, 30));
        } else {
            pg.setColorAt(0, QColor(150, 92, 220));
            pg.setColorAt(1, QColor(80, 30, 140));
        }
        p.fillPath(pc, pg);
        p.strokePath(pc, QPen(QColor(20, 5, 36), 1));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    // Frame: a purple rim with a green line inside.
    p.setPen(QPen(kPurple, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, kAbout.width() - 2, kAbout.height() - 2));
    p.setPen(QPen(QColor(58, 180, 40), 1));
    p.drawRect(QRect(3, 3, kAbout.width() - 7, kAbout.height() - 7));
    p.end();
    return img;
}

// Colour of the progress bar's track, behind the fill tiles.
const QColor kTrack(16, 4, 30);

QImage progressBackground()
{
    QImage img(kProgress, QImage::Format_RGB32);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, kProgress.height());
    g.setColorAt(0, QColor(92, 36, 156));
    g.setColorAt(1, QColor(40, 10, 72));
    p.fillRect(img.rect(), g);
    p.fillRect(0, 0, kProgress.width(), 1, QColor(170, 120, 240));
    p.fillRect(0, kProgress.height() - 1, kProgress.width(), 1, QColor(20, 4, 36));
    p.fillRect(0, 0, 1, kProgress.height(), QColor(170, 120, 240));
    p.fillRect(kProgress.width() - 1, 0, 1, kProgress.height(), QColor(20, 4, 36));
    // Recessed track: a green line around a flat dark channel.
    p.fillRect(kProgressTrack.adjusted(-2, -2, 2, 2), QColor(58, 196, 40));
    p.fillRect(kProgressTrack.adjusted(-1, -1, 1, 1), QColor(6, 1, 12));
    p.fillRect(kProgressTrack, kTrack);
    p.end();
    return img;
}

// Four tiles of 14 x 26: start cap, fill (repeated), the moving end and
// the end of a full bar. The moving end is copied with its left 5 columns
// over the fill, so its rounded end lies 9 columns right of the position.
QImage progressTiles()
{
    const int t = kProgressTile, h = kProgressTrack.height();
    QImage img(4 * t, h, QImage::Format_RGB32);
    img.fill(kTrack);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 1, 0, h - 1);
    g.setColorAt(0, QColor(190, 255, 150));
    g.setColorAt(0.45, QColor(70, 210, 50));
    g.setColorAt(1, QColor(20, 110, 24));
    const QRectF bar(0, 2, 0, h - 4);
    auto fill = [&](double left, double right, bool roundLeft, bool roundRight) {
        QPainterPath path;
        const double r = bar.height() / 2;
        QRectF body(left, bar.top(), right - left, bar.height());
        path.addRoundedRect(body.adjusted(roundLeft ? 0 : -r, 0, roundRight ? 0 : r, 0), r, r);
        p.save();
        p.setClipRect(QRectF(left, 0, right - left, h));
        p.fillPath(path, g);
        p.restore();
    };
    fill(1, t, true, false);                // start cap
    fill(t, 2 * t, false, false);           // fill, the same in every column
    fill(2 * t, 2 * t + 11, false, true);   // moving end
    fill(3 * t, 4 * t, false, true);        // full end, flush with the track
    // A glint on the moving end.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QPointF(2 * t + 6, 8), 2.5, 2.5);
    p.end();
    return img;
}

} // namespace

std::vector<NamedBitmap> mainMenuBitmaps(const QImage &mainBg)
{
    std::vector<NamedBitmap> out;
    out.push_back({QStringLiteral("01_NEWGAME"), largeButton(mainBg, kMenuNewGame, QStringLiteral("New Game"), icons::newGame, 20)});
    out.push_back({QStringLiteral("01_LOADGAME"), largeButton(mainBg, kMenuLoadGame, QStringLiteral("Load Game"), icons::loadGame, 22)});
    out.push_back({QStringLiteral("01_ABOUT"), largeButton(mainBg, kMenuAbout, QStringLiteral("About"), icons::about, 17)});
    out.push_back({QStringLiteral("01_EXIT"), largeButton(mainBg, kMenuExit, QStringLiteral("Exit"), {}, 17)});

    // Caption buttons: the same faces as the player's, over this caption.
    const layout::Slot game = slotAt(kMenuGame), help = slotAt(kBarHelp), icon = slotAt(kBarIcon),
                       close = slotAt(kBarClose);
    out.push_back({QStringLiteral("BAR_GAME"), strip(mainBg, game, [&](QPainter &p, Look l) { captionFace(p, game, l, QStringLiteral("Game")); })});
    out.push_back({QStringLiteral("BAR_HELP"), strip(mainBg, help, [&](QPainter &p, Look l) { captionFace(p, help, l, QStringLiteral("Help")); })});
    out.push_back({QStringLiteral("BAR_ICON"), strip(mainBg, icon, [&](QPainter &p, Look l) { windowFace(p, icon, l, false); })});
    out.push_back({QStringLiteral("BAR_CLOSE"), strip(mainBg, close, [&](QPainter &p, Look l) { windowFace(p, close, l, true); })});

    // The game menu rows are the player's menu rows.
    for (const Bitmap &b : frameBitmaps())
        if (b.id == 164) out.push_back({QStringLiteral("MENU"), b.image});

    out.push_back({QStringLiteral("181"), aboutPicture()});
    out.push_back({QStringLiteral("140"), progressTiles()});
    out.push_back({QStringLiteral("141"), progressBackground()});
    out.push_back({QStringLiteral("128"), vorlinIcon(48)});
    // The icon of a puzzle package, which opens in the player.
    out.push_back({QStringLiteral("134"), tileMenderIcon(32)});
    return out;
}

} // namespace art
