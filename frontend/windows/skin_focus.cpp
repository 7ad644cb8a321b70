#include "skin_focus.h"

#include "skin_buttons.h"

namespace skin {

KeyAction keyAction(int key, Qt::KeyboardModifiers modifiers)
{
    // Keypad keys come with their own modifier; it changes nothing here.
    const Qt::KeyboardModifiers m = modifiers & ~Qt::KeypadModifier;
    const bool plain = !(m & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    switch (key) {
    case Qt::Key_Tab:
        if (!plain)
            return KeyAction::None;
        return m & Qt::ShiftModifier ? KeyAction::PreviousStop : KeyAction::NextStop;
    case Qt::Key_Backtab: return plain ? KeyAction::PreviousStop : KeyAction::None;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter: return m == Qt::NoModifier ? KeyAction::Press : KeyAction::None;
    case Qt::Key_Escape: return m == Qt::NoModifier ? KeyAction::Back : KeyAction::None;
    case Qt::Key_F4: return m == Qt::AltModifier ? KeyAction::Close : KeyAction::None;
    case Qt::Key_Right:
    case Qt::Key_Down: return m == Qt::NoModifier ? KeyAction::NextOption : KeyAction::None;
    case Qt::Key_Left:
    case Qt::Key_Up: return m == Qt::NoModifier ? KeyAction::PreviousOption : KeyAction::None;
    default: return KeyAction::None;
    }
}

std::vector<int> focusOrder(const std::vector<FocusStop>& stops)
{
    std::vector<int> order;
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < int(stops.size()); ++i)
            if (stops[i].usable && (stops[i].kind == FocusStop::Caption) == (pass == 1))
                order.push_back(i);
    return order;
}

int stepRing(int count, int current, bool forward)
{
    if (count <= 0)
        return kNone;
    if (current < 0 || current >= count)
        return forward ? 0 : count - 1;
    return (current + (forward ? 1 : count - 1)) % count;
}

int stepOption(const std::vector<FocusStop>& stops, int current, bool forward)
{
    const int n = int(stops.size());
    if (current < 0 || current >= n || stops[current].kind != FocusStop::Radio)
        return current;
    for (int k = 1; k < n; ++k) {
        const int i = (current + (forward ? k : n - k)) % n;
        if (stops[i].kind == FocusStop::Radio && stops[i].usable && stops[i].group == stops[current].group)
            return i;
    }
    return current;
}

} // namespace skin
