#pragma once
// Button bitmaps hold their looks stacked top to bottom in equal bands
// (normal, hot, pressed for three-look buttons). Every program that draws
// such a strip cuts it the same way.

#include <QImage>
#include <QRect>

class QPainter;

namespace bitmap_strip {

enum Look : int { Normal = 0, Hot = 1, Pressed = 2 };

// The band of one look in a strip of `looks` equal bands.
QRect lookRect(const QImage& strip, int look, int looks = 3);

// Copies one look of the strip to `at` unscaled; the destination's clip
// decides how much of it shows.
void drawLook(QPainter& painter, QPoint at, const QImage& strip, int look, int looks = 3);

} // namespace bitmap_strip
