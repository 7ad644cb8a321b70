#include "drop_rules.h"

namespace drop_rules {

Choice choose(const Areas& areas, QPoint cursor, const QRect& dragRect)
{
    // Only the topmost tray under the cursor may take the piece, anywhere on
    // its window (its add pulls the piece inside); one hidden under it never
    // does, and a minimised one shows no room for it.
    for (size_t i = 0; i < areas.trays.size(); ++i) {
        if (!areas.trays[i].window.contains(cursor))
            continue;
        if (!areas.trays[i].minimised)
            return {Choice::Tray, int(i)};
        break;
    }
    const bool overBoard = dragRect.intersects(areas.board);
    const bool overStrip = dragRect.intersects(areas.strip);
    if (overBoard && (!overStrip || areas.board.contains(cursor)))
        return {Choice::Board, -1};
    if (overStrip)
        return {Choice::Strip, -1};
    return {};
}

} // namespace drop_rules
