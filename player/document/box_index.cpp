#include "box_index.h"

#include <algorithm>
#include <cstddef>

BoxIndex::BoxIndex(PieceList& box, int columns, int rows)
    : columns_(std::max(columns, 0)), rows_(std::max(rows, 0)), pieces_(box.takeAll()),
      byCell_(static_cast<size_t>(columns_) * static_cast<size_t>(rows_), -1)
{
    for (int i = 0; i < int(pieces_.size()); ++i) {
        const CPiece& p = *pieces_[size_t(i)];
        if (p.column >= 0 && p.row >= 0 && p.column < columns_ && p.row < rows_) {
            int& slot = byCell_[size_t(p.column) * size_t(rows_) + size_t(p.row)];
            if (slot < 0)
                slot = i;
        }
    }
}

PieceList::Ptr BoxIndex::take(int column, int row)
{
    if (column < 0 || row < 0 || column >= columns_ || row >= rows_)
        return nullptr;
    int& slot = byCell_[size_t(column) * size_t(rows_) + size_t(row)];
    if (slot < 0)
        return nullptr;
    PieceList::Ptr p = std::move(pieces_[size_t(slot)]);
    slot = -1;
    return p;
}

std::vector<PieceList::Ptr> BoxIndex::rest()
{
    std::vector<PieceList::Ptr> out;
    for (auto& p : pieces_)
        if (p)
            out.push_back(std::move(p));
    pieces_.clear();
    return out;
}
