#include "strip_geometry.h"

#include <algorithm>

namespace strip_geometry {

ScrollRange refresh(int pieceCount, int cellSize, int position)
{
    const int h = rowHeight(cellSize);
    const long long total = (long long)h * std::max(pieceCount, 0);
    if (h <= 0 || total <= kColumnHeight)
        return {};
    ScrollRange r;
    r.maximum = int(total - kColumnHeight);
    // One pixel short of a row still counts as that row, so a position left
    // by line scrolling settles on the row the user was reaching for.
    const int p = std::min(std::max(position, 0) + 1, r.maximum);
    r.position = p / h * h;
    return r;
}

int thumbOffset(int position, int maximum)
{
    if (position <= 0 || maximum <= 0)
        return 0;
    return int((long long)std::min(position, maximum) * kThumbTrack / maximum);
}

QRect thumbRect(int position, int maximum)
{
    return QRect(0, thumbOffset(position, maximum) + kThumbTop, kThumbWidth, kThumbHeight);
}

QRect borderThumbRect(int position, int maximum)
{
    return QRect(0, thumbOffset(position, maximum) + kThumbTopInWindow, kThumbColumnsInBorder, kThumbHeight);
}

int thumbDragPosition(int stripY, int maximum)
{
    if (maximum <= 0)
        return 0;
    const int along = std::clamp(stripY + kTopOffset - kThumbTopInWindow, 0, kThumbTrack);
    return int((long long)along * maximum / kThumbTrack);
}

QPoint rowOrigin(int i, int cellSize, int position)
{
    const int h = rowHeight(cellSize);
    const int into = h > 0 ? position % h : 0;
    return QPoint((kColumnWidth - cellSize) / 2 + kColumnLeft, cellSize / 4 + i * h - into + kColumnTop);
}

int scrolled(Step step, int position, int maximum, int cellSize, int given)
{
    const int h = rowHeight(cellSize);
    switch (step) {
    case Step::LineUp:
        return std::max(position - 1, 0);
    case Step::LineDown:
        return std::min(position + 1, maximum);
    case Step::PageUp:
        return std::max(position - h, 0);
    case Step::PageDown:
        return std::min(position + h, maximum);
    case Step::Track:
        return std::clamp(given, 0, std::max(maximum, 0));
    case Step::Top:
        return 0;
    case Step::Bottom:
        return maximum;
    }
    return position;
}

int addIndex(int stripY, int position, int cellSize, int pieceCount)
{
    if (pieceCount <= 0)
        return -1;
    const int h = rowHeight(cellSize);
    const int y = std::clamp(stripY, kColumnTop, kColumnBottom);
    const int index = h > 0 ? (position + y - kColumnTop) / h : 0;
    return std::clamp(index, 0, pieceCount - 1);
}

int scrollToIndex(int index, int position, int maximum, int cellSize)
{
    const int h = rowHeight(cellSize);
    if (index < 0 || maximum <= 0)
        return position;
    const long long top = (long long)h * index;
    // Only a row that lies wholly inside the column counts as shown: one
    // hidden under the column's foot would leave the hinted piece unseen.
    if (top >= position && top + h <= position + kColumnHeight)
        return position;
    return int(std::min<long long>(top, maximum));
}

QString counterText(int position, int cellSize, int pieceCount)
{
    if (pieceCount <= 0)
        return QStringLiteral("0/0");
    return QString::asprintf("%d/%d", firstRow(position, cellSize) + 1, pieceCount);
}

} // namespace strip_geometry
