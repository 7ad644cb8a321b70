// The keyboard's focus look: corner brackets in the theme's gold with a
// dark rim on both sides, so that they stand out on the dark purple
// backgrounds, on the light page panels and on the green and purple button
// faces alike. Everything that is no bracket is the key colour, so a window
// copies the corners transparently around a button of any size.
#include "art.h"
#include "frontend_kit.h"
#include "frontend_layout.h"
#include "theme.h"

namespace art {

using namespace frontend;

QImage focusCorners()
{
    constexpr int c = kFocusCorner, w = kFocusArm;
    // Drawn without antialiasing: a blended edge would come out near the
    // key colour and fringe blue on light panels.
    QImage img(2 * c, 2 * c, QImage::Format_RGB32);
    img.fill(kKey);
    QPainter p(&img);
    const QColor rim = kPurpleDeep;
    for (int qy = 0; qy < 2; ++qy)
        for (int qx = 0; qx < 2; ++qx) {
            // The corner of this quadrant that lies at the button's corner.
            const int x0 = qx * c, y0 = qy * c;
            const QRect across(x0, qy ? y0 + c - w : y0, c, w);
            const QRect down(qx ? x0 + c - w : x0, y0, w, c);
            for (const QRect &arm : {across, down}) p.fillRect(arm, rim);
            // The light core, one pixel in from the rim everywhere but the
            // bracket's open ends.
            const QRect coreAcross = across.adjusted(qx ? 0 : 1, 1, qx ? -1 : 0, -1);
            const QRect coreDown = down.adjusted(1, qy ? 0 : 1, -1, qy ? -1 : 0);
            for (const QRect &core : {coreAcross, coreDown}) p.fillRect(core, kGold);
        }
    p.end();
    return img;
}

std::vector<NamedBitmap> keyboardBitmaps() { return {{QStringLiteral("FOCUS"), focusCorners()}}; }

} // namespace art
