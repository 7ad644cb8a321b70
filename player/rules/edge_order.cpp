#include "edge_order.h"

#include <algorithm>

namespace edge_order {

Place placeOf(int column, int row, Grid grid)
{
    if (column < 0 || row < 0 || column >= grid.columns || row >= grid.rows)
        return Place::Interior;
    const bool side = column == 0 || column == grid.columns - 1;
    const bool end = row == 0 || row == grid.rows - 1;
    if (side && end)
        return Place::Corner;
    return side || end ? Place::Edge : Place::Interior;
}

int ShownPieces::listIndex(int shownRow) const
{
    if (shownRow < 0 || shownRow >= count())
        return -1;
    return filtered_ ? rows_[size_t(shownRow)] : shownRow;
}

int ShownPieces::shownRow(int listIndex) const
{
    if (listIndex < 0 || listIndex >= total_)
        return -1;
    if (!filtered_)
        return listIndex;
    const auto it = std::lower_bound(rows_.begin(), rows_.end(), listIndex);
    return it != rows_.end() && *it == listIndex ? int(it - rows_.begin()) : -1;
}

int ShownPieces::rowAtOrAfter(int listIndex) const
{
    if (!filtered_)
        return std::clamp(listIndex, 0, total_);
    return int(std::lower_bound(rows_.begin(), rows_.end(), listIndex) - rows_.begin());
}

int ShownPieces::insertionIndex(int shownRow) const
{
    if (shownRow < 0 || shownRow >= count())
        return total_;
    return listIndex(shownRow);
}

QString filteredCounterText(int shown, int total) { return QString::asprintf("%d/%d", shown, total); }

} // namespace edge_order
