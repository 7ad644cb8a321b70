// Drawing helpers of the front end's art: its panels and caption band, the
// faces of its buttons, options and titles, and the strips keyed on pure
// blue for the buttons that are copied transparently.
#pragma once

#include "faces.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QString>

#include <functional>

namespace art::frontend {

// The light panels (picture, list and page areas): flat, so that marks and
// frames copied anywhere on them match, and light, because the windows
// write names on them in black.
inline const QColor kPanel{234, 226, 250};
inline const QColor kPanelInk{60, 20, 108};
// The dark header band of the page panel, where the titles stand.
inline const QColor kHeaderTop{78, 26, 134};
inline const QColor kHeaderBottom{40, 10, 72};

// The key colour of the transparent copy, and the nearest colour that is not.
inline const QRgb kKey = qRgb(0, 0, 255);
inline const QRgb kNearKey = qRgb(0, 0, 254);

// Caption band of the 800 x 600 windows; the caption buttons are drawn over
// it. name is written at nameX when not empty.
void paintCaptionBand(QPainter &p, const QString &name, int nameX);

// A light panel filling area exactly, with a dark header band of the given
// height (0 for none).
void paintPanel(QPainter &p, const QRect &area, int header);

// One picture drawn over the background pixels at place.
QImage over(const QImage &bg, const QRect &place, const std::function<void(QPainter &)> &draw);

// Three looks stacked, each drawn over the background at place.
QImage stripAt(const QImage &bg, const QRect &place, const std::function<void(QPainter &, Look)> &draw);

// Three looks stacked for the transparent copy: each look is drawn over the
// background at place, so its antialiased edge already blends with what
// will show around it, and then every pixel outside the shape the look
// returns becomes kKey. Inside the shape kKey is moved to kNearKey.
QImage keyedStripAt(const QImage &bg, const QRect &place,
                    const std::function<QPainterPath(QPainter &, Look)> &draw);

// The largest bold font up to px whose width for text is at most width.
QFont fittedFont(const QString &text, int px, double width, bool condensed = false);

// A purple face shaped like a piece lying on its side (hole on the left,
// knob on the right) inside box, icon (if any) at the left and label after it.
// Returns the shape with its shadow or glow, for keying.
QPainterPath pieceButton(QPainter &p, const QRectF &box, Look look, const QString &label, const IconFn &icon,
                         int fontPx);

// What a face of that shape covers in a look (faceBody): the body with its
// shadow, with its glow, or pressed in.
QPainterPath faceCover(const QPainterPath &shape, Look look);

// A rounded purple pill with an icon and a label, on a light panel.
void pillButton(QPainter &p, const QRectF &box, Look look, const QString &label, const IconFn &icon, int fontPx);

// A radio option's label on the light panel: plain, lit green when hot,
// pressed into a purple pill.
void optionFace(QPainter &p, const QSize &size, Look look, const QString &label);

// A title on the dark header: a small green piece and the words.
void titleFace(QPainter &p, const QRectF &box, const QString &text, int px);

} // namespace art::frontend
