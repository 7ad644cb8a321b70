// Button faces shared by the player's and the front end's art: the strip of
// three looks and the faces drawn into it.
#pragma once

#include "layout.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QString>

#include <functional>

namespace art {

enum Look { Normal = 0, Hot = 1, Pressed = 2 };

using IconFn = std::function<void(QPainter &, const QRectF &, const QColor &)>;

// Builds a strip of three looks stacked, each starting from the background
// pixels the button covers at slot s; draw paints one look onto its own row.
QImage strip(const QImage &bg, const layout::Slot &s, const std::function<void(QPainter &, Look)> &draw);

// Size of the icon box and the label of a big face.
struct FaceStyle {
    int iconHeight = 36;
    int fontPx = 12;
};

// Shadow (normal) or green glow (hot), the purple body of the look, its
// shine and green rim, for a face of any shape. The pressed body sits
// faceShift(look) / 2 lower right; its content moves by faceShift(look).
void faceBody(QPainter &p, const QPainterPath &shape, Look look);
QPointF faceShift(Look look);
QColor faceInk(Look look);        // label colour on a face
QColor faceIconColour(Look look); // icon colour on a face

// A rounded purple face with an icon above its label, filling faceRect.
void bigFace(QPainter &p, const QRect &faceRect, Look look, const QString &label, const IconFn &icon,
             const FaceStyle &style = {});

// Caption-bar buttons: a pill with a label, and the minimise and close
// squares (close warms to red).
void captionFace(QPainter &p, const layout::Slot &s, Look look, const QString &label);
void windowFace(QPainter &p, const layout::Slot &s, Look look, bool close);

} // namespace art
