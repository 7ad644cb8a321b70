// Where the player puts things on its 800 x 600 window. The background is
// designed around these places, and the buttons are drawn over the very
// background pixels they cover so they blend with it.
#pragma once

#include <QRect>

namespace art::layout {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kCaptionBand = 27;   // painted caption band
constexpr int kBorder = 3;         // dialog-frame width and height
constexpr int kClientTop = 22;     // caption height 19 + frame 3

// Caption buttons: position on the window, size of one look.
struct Slot {
    int id;
    int x, y, w, h;
};
constexpr Slot kGame{159, 10, 0, 61, 27};
constexpr Slot kOptions{160, 82, 0, 83, 27};
constexpr Slot kHelp{161, 682, 0, 51, 27};
constexpr Slot kMinimize{162, 744, 1, 28, 24};
constexpr Slot kClose{169, 772, 1, 28, 24};

// The clock is written at (350, 2) on black in a 19-pixel font; its black
// slot leaves room for "99:59:59".
constexpr QRect kClockSlot{340, 1, 128, 25};

// Big picture buttons along the bottom, drawn at y 530, 70 high.
constexpr int kBigButtonY = 530;
constexpr int kBigButtonH = 70;
constexpr Slot kRotate{156, 460, kBigButtonY, 68, kBigButtonH};
constexpr Slot kRestart{155, 549, kBigButtonY, 75, kBigButtonH};
constexpr Slot kHint{157, 637, kBigButtonY, 67, kBigButtonH};
constexpr Slot kAddTray{154, 715, kBigButtonY, 80, kBigButtonH};
// The part of each strip that answers clicks (view hit rectangle moved into
// window coordinates, cut to the drawn strip); the face is drawn there.
constexpr QRect kRotateFace{469 - 460, 0, 528 - 469, 65};
constexpr QRect kRestartFace{556 - 549, 0, 624 - 556, 65};
constexpr QRect kHintFace{649 - 637, 0, 701 - 649, 65};
constexpr QRect kAddTrayFace{720 - 715, 0, 795 - 720, 65};
// Pieces and trays are kept out of this bottom-right corner.
constexpr QRect kButtonDock{425, 527, 375, 73};

// Piece Viewer, in background coordinates (the strip takes its backdrop from
// its own client rectangle moved down by the caption, so these are the
// picture's coordinates, not the window's).
constexpr int kStripWidth = 138;
constexpr QRect kColumn{11, 77, 125, 475};
constexpr QRect kThumbTrack{0, 110, 11, 410};   // 110 .. 520
constexpr int kThumbW = 11;
constexpr int kThumbH = 42;

// The board view's area of the window.
constexpr QRect kView{141, 22, 656, 575};

} // namespace art::layout
