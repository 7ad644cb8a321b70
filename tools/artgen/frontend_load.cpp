// The load window's bitmaps: its picture over the page panel, Play, E-mail,
// Rename and Delete, the page arrows (keyed on pure blue) and the frames of
// the six slots. The window's background is the wizard's.
#include "art.h"
#include "frontend_icons.h"
#include "frontend_kit.h"
#include "frontend_layout.h"
#include "theme.h"

#include <QLinearGradient>

namespace art {

using namespace frontend;

namespace {

QImage loadTitle(const QImage &bg)
{
    return over(bg, kTitle, [](QPainter &p) {
        titleFace(p, QRectF(0, 0, kTitle.width(), kTitle.height()).adjusted(10, 2, -6, -2),
                  QStringLiteral("Load Game"), 26);
    });
}

// Over the top of the page panel: a fan of puzzle cards, the heading in the
// panel's header band and a hint in its body.
QImage loadPicture(const QImage &bg)
{
    return over(bg, kLoadPicture, [](QPainter &p) {
        const QPointF panel = kPageArea.topLeft() - kLoadPicture.topLeft(); // the panel's corner here
        const double headerMid = panel.y() + kPageHeader / 2.0;
        for (int i = 0; i < 3; ++i) {
            p.save();
            p.translate(panel.x() + 40 + i * 9, headerMid + 2);
            p.rotate(-16 + i * 14);
            const QRectF card(-19, -26, 38, 44);
            p.fillRect(card.translated(2, 3), QColor(0, 0, 0, 110));
            p.fillRect(card, QColor(245, 240, 255));
            p.setPen(QPen(kPurple, 1.2));
            p.drawRect(card);
            paintPuzzleCollage(p, card.adjusted(4, 4, -4, -12), 2, 2, false);
            p.restore();
        }
        titleFace(p, QRectF(panel.x() + 78, panel.y(), kLoadPicture.width() - panel.x() - 90, kPageHeader),
                  QStringLiteral("Saved Puzzles"), 21);
        p.setFont(font(12, false));
        p.setPen(kPanelInk);
        p.drawText(QRectF(panel.x(), panel.y() + kPageHeader + 2, kPageArea.width(), kLoadPicture.height() - panel.y() - kPageHeader - 2),
                   Qt::AlignCenter, QStringLiteral("Pick a puzzle on the left, then:"));
    });
}

QImage action(const QImage &bg, const QRect &place, const QString &label, const IconFn &icon)
{
    return stripAt(bg, place, [&](QPainter &p, Look look) {
        pillButton(p, QRectF(0, 0, place.width(), place.height()), look, label, icon, 19);
    });
}

// A round-ended badge with an arrow, copied transparently over the foot of
// the list panel.
QImage pageArrow(const QImage &bg, const QRect &place, const IconFn &arrow)
{
    return keyedStripAt(bg, place, [&](QPainter &p, Look look) {
        const QRectF r(3, 3, place.width() - 7, place.height() - 7);
        QPainterPath shape;
        shape.addRoundedRect(r, r.height() / 2, r.height() / 2);
        faceBody(p, shape, look);
        arrow(p, r.translated(faceShift(look)), faceIconColour(look));
        return faceCover(shape, look);
    });
}

// Normal, hover and selected frames of a slot. The frame fills the slot to
// its corners (the list panel around it is patterned); the thumbnail sits
// in the well and the name and size are written in black on the mat below.
QImage slotFrames()
{
    const int w = kSlot0.width(), h = kSlot0.height();
    QImage img(3 * w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 3; ++k) {
        p.save();
        p.translate(k * w, 0);
        const QRectF all(0, 0, w, h);
        QLinearGradient frame(0, 0, 0, h);
        if (k == 0) {
            frame.setColorAt(0, QColor(120, 52, 196));
            frame.setColorAt(1, QColor(60, 18, 106));
        } else if (k == 1) {
            frame.setColorAt(0, QColor(150, 255, 110));
            frame.setColorAt(1, QColor(40, 160, 34));
        } else {
            frame.setColorAt(0, QColor(40, 160, 34));
            frame.setColorAt(1, QColor(14, 84, 18));
        }
        p.fillRect(all, frame);
        const double border = k == 2 ? 6 : 4;
        const QRectF mat = all.adjusted(border, border, -border, -border);
        QPainterPath matPath;
        matPath.addRoundedRect(mat, 5, 5);
        QLinearGradient mg(0, mat.top(), 0, mat.bottom());
        mg.setColorAt(0, k == 2 ? QColor(226, 255, 214) : QColor(250, 247, 255));
        mg.setColorAt(1, k == 2 ? QColor(206, 246, 190) : k == 1 ? QColor(236, 250, 230) : QColor(238, 230, 252));
        p.fillPath(matPath, mg);
        if (k == 2) p.strokePath(matPath, QPen(kGreenBright, 1.5));

        // The picture's well: a soft hollow, the thumbnail is centred in
        // the top 124 rows.
        const QRectF well(w / 2.0 - 54, kSlotPictureH / 2.0 - 54, 108, 108);
        QPainterPath wellPath;
        wellPath.addRoundedRect(well, 4, 4);
        p.fillPath(wellPath, QColor(60, 20, 108, 28));
        p.strokePath(wellPath, QPen(QColor(60, 20, 108, 70), 1));
        // A rule between the name and the size.
        p.fillRect(QRectF(mat.left() + 14, kSlotNameTop + 17, mat.width() - 28, 1), QColor(60, 20, 108, 60));
        p.restore();
    }
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

} // namespace

std::vector<NamedBitmap> loadWindowBitmaps(const QImage &bg)
{
    std::vector<NamedBitmap> out;
    out.push_back({QStringLiteral("08_LOADGAME"), loadTitle(bg)});
    out.push_back({QStringLiteral("07_LOAD_MAIN"), loadPicture(bg)});
    out.push_back({QStringLiteral("07_LOAD_PLAY"), action(bg, kLoadPlay, QStringLiteral("Play"), icons::play)});
    out.push_back({QStringLiteral("07_LOAD_EMAIL"), action(bg, kLoadEmail, QStringLiteral("E-mail"), icons::mail)});
    out.push_back({QStringLiteral("07_LOAD_RENAME"), action(bg, kLoadRename, QStringLiteral("Rename"), icons::rename)});
    out.push_back({QStringLiteral("07_LOAD_DELETE"), action(bg, kLoadDelete, QStringLiteral("Delete"), icons::remove)});
    out.push_back({QStringLiteral("07_LOAD_UP"), pageArrow(bg, kLoadUp, icons::up)});
    out.push_back({QStringLiteral("07_LOAD_DN"), pageArrow(bg, kLoadDown, icons::down)});
    out.push_back({QStringLiteral("07_LOAD_FRAME"), slotFrames()});
    return out;
}

} // namespace art
