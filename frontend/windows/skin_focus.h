#pragma once
// The keyboard rules every skinned window shares, without widgets: which key
// means what, the order the keyboard visits a window's buttons and options
// in, and where Tab, Shift+Tab and the arrows go from the current stop.

#include <Qt>

#include <vector>

namespace skin {

enum class KeyAction {
    None,
    NextStop,       // Tab
    PreviousStop,   // Shift+Tab
    Press,          // Space, Return, Enter: the focused button goes down, and clicks when the key comes up
    Back,           // Escape: what the window's Back or Close button does
    Close,          // Alt+F4: what the window's Close button does
    NextOption,     // Right, Down: the next option of the same group
    PreviousOption, // Left, Up
};

KeyAction keyAction(int key, Qt::KeyboardModifiers modifiers);

// One place the keyboard can stop at.
struct FocusStop {
    enum Kind { Button, Radio, Caption, Text };
    Kind kind = Button;
    bool usable = true; // shown and not hidden by the window
    int group = 0;      // options of one group are those of one window page
};

// The order the keyboard visits `stops` in, as indices into it: every usable
// stop in the order given (the windows add theirs top to bottom), caption
// buttons last.
std::vector<int> focusOrder(const std::vector<FocusStop>& stops);

// The stop after (forward) or before `current` in a ring of `count` stops;
// from no stop (kNone) the first or the last. kNone when the ring is empty.
int stepRing(int count, int current, bool forward);

// The next or previous option of `current`'s own group among `stops`,
// wrapping inside the group; `current` itself when it is no option or the
// only usable one of its group.
int stepOption(const std::vector<FocusStop>& stops, int current, bool forward);

} // namespace skin
