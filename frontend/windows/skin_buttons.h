#pragma once
// The mouse rules every skinned window shares, without widgets: which button
// is hot, which one went down, and what must be redrawn or clicked after each
// move, press and release. A click is a release over the button the press went
// down on; moving back onto that button while still held shows it pressed again.

#include <QImage>
#include <QRect>
#include <QRgb>

#include <vector>

class QPainter;

namespace skin {

constexpr int kNone = -1;

// Rectangles are given as left, top, right, bottom with the right and bottom
// edges outside, the way the window layouts list them.
constexpr QRect box(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

enum Look : int { Normal = 0, Hot = 1, Pressed = 2 };

struct Redraw {
    int button;
    Look look;
    bool operator==(const Redraw&) const = default;
};

// What a mouse event asks of the window: looks to draw, in order, and the
// button clicked (kNone for no click).
struct Effects {
    std::vector<Redraw> redraws;
    int clicked = kNone;
};

class ButtonTracker {
public:
    // `button` is the hit test's answer for the event's point (kNone for none).
    Effects move(int button);
    Effects press(int button);
    // forgetHot: the main menu forgets its hot button on every release, so the
    // next move redraws it hot even if the mouse did not leave it.
    Effects release(int button, bool forgetHot = false);

    int hot() const { return hot_; }
    int pressed() const { return pressed_; }
    bool down() const { return down_; }
    // The look a button has now, for painting.
    Look lookOf(int button) const;
    // Forgets everything (a window hidden under the mouse, a modal child).
    void reset();

private:
    int hot_ = kNone;
    int pressed_ = kNone;
    bool down_ = false;
    std::vector<std::pair<int, Look>> looks_;
    void setLook(Effects& e, int button, Look look);
};

// The key colour of every transparent copy: pure blue, and nothing near it.
constexpr QRgb kKeyColour = qRgb(0, 0, 255);

// The source with every pixel of exactly the key colour made fully
// transparent, ready to be drawn over a background.
QImage keyed(const QImage& source, QRgb key = kKeyColour);

// Copies `source` of `bitmap` to `at`, leaving the destination as it was
// under pixels of exactly the key colour.
void transparentCopy(QPainter& painter, QPoint at, const QImage& bitmap, const QRect& source,
                     QRgb key = kKeyColour);

} // namespace skin
