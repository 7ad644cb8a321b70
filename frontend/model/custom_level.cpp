#include "custom_level.h"

#include <algorithm>

namespace {

constexpr int kStartCell = 64;
constexpr int kSmallestCell = 32;
constexpr int kLargestCell = 128;

// How many cells of `cell` pixels `length` gives, rounding up past half a cell.
int cellsIn(int length, int cell)
{
    return length / cell + (length % cell > cell / 2 ? 1 : 0);
}

} // namespace

CustomLevel CustomLevel::start(int width, int height)
{
    CustomLevel l;
    if (width <= 0 || height <= 0) {
        width = 640;
        height = 480;
    }
    l.width = width;
    l.height = height;
    l.cell = kStartCell;
    // "More than 32 left over" is the start's own rounding, which for 64 is
    // the same as more than half a cell. A picture no more than 32 pixels
    // high or wide would start with no row or column: it gets one.
    l.columns = std::max(1, cellsIn(width, kStartCell));
    l.rows = std::max(1, cellsIn(height, kStartCell));
    return l;
}

void CustomLevel::follow()
{
    cell = height / rows;
    columns = std::max(1, cellsIn(width, cell));
}

bool CustomLevel::plus()
{
    if (height / (rows + 1) < kSmallestCell)
        return false;
    ++rows;
    follow();
    return true;
}

bool CustomLevel::minus()
{
    if (rows - 1 <= 0 || height / (rows - 1) > kLargestCell)
        return false;
    --rows;
    follow();
    return true;
}

bool CustomLevel::stepTo(int wantedRows)
{
    while (rows < wantedRows)
        if (!plus())
            return false;
    while (rows > wantedRows)
        if (!minus())
            return false;
    return true;
}
