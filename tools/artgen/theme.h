// Shared palette, fonts and shapes of the TileMender look: deep purple
// surroundings, green accents, jigsaw pieces as the recurring motif.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <QRectF>

#include <array>
#include <cstdint>

namespace art {

// The few colours the player itself paints with are repeated here so the
// bitmaps blend with them (tray caption, tray client, menu text background).
inline const QColor kTrayCaption{143, 0, 219};
inline const QColor kTrayClient{51, 192, 0};
inline const QColor kMenuText{0, 175, 0};
inline const QColor kMenuTextHot{0, 255, 0};

inline const QColor kPurpleDeep{24, 6, 42};
inline const QColor kPurpleDark{42, 11, 72};
inline const QColor kPurple{88, 30, 150};
inline const QColor kPurpleLight{150, 92, 220};
inline const QColor kLavender{214, 190, 255};
inline const QColor kGreenDark{14, 70, 22};
inline const QColor kGreen{58, 196, 40};
inline const QColor kGreenBright{128, 255, 90};
inline const QColor kGold{255, 214, 72};

// Small deterministic generator so every build draws the same pictures.
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    std::uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [lo, hi).
    double real(double lo, double hi) { return lo + (hi - lo) * (next() / 4294967296.0); }
    int integer(int lo, int hi) { return lo + int(next() % std::uint32_t(hi - lo)); }

private:
    std::uint32_t state_;
};

// DejaVu Sans stands in for the Windows fonts; pixel sizes keep the labels
// independent of the offscreen screen's dpi.
QFont font(int pixelSize, bool bold = true, bool condensed = false);

// A jigsaw piece filling cell r; edges are top, right, bottom, left with
// 1 = knob out, -1 = hole in, 0 = flat.
QPainterPath jigsawPiece(const QRectF &r, const std::array<int, 4> &edges);

// A faint lattice of interlocking pieces over area, a few cells tinted, so
// a large dark surface is not a flat colour.
void paintLattice(QPainter &p, const QRect &area);

// The suite's emblem: a piece filled with the green gradient across cell,
// rimmed light green, over its shadow moved by shadow.
void paintGreenPiece(QPainter &p, const QPainterPath &piece, const QRectF &cell, QPointF shadow, int shadowAlpha,
                     double rim);

// The rim of an 800 x 600 window below its caption band.
void paintBorders(QPainter &p);

// Blank ARGB image ready for painting.
QImage canvas(int w, int h, const QColor &fill = Qt::transparent);

} // namespace art
