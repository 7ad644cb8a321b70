#pragma once
// An owning list of pieces. Each piece lives in exactly one such list (the
// box, the board, a tray, the pieces being carried) and moves between lists
// without being copied; the list deletes what it still holds.

#include "piece.h"

#include <iterator>
#include <memory>
#include <utility>
#include <vector>

class PieceList {
public:
    using Ptr = std::unique_ptr<CPiece>;

    int size() const { return int(items_.size()); }
    bool empty() const { return items_.empty(); }
    CPiece* at(int i) const { return items_[size_t(i)].get(); }
    CPiece* operator[](int i) const { return at(i); }

    void append(Ptr p) { items_.push_back(std::move(p)); }
    void prepend(Ptr p) { items_.insert(items_.begin(), std::move(p)); }
    void insert(int i, Ptr p) { items_.insert(items_.begin() + i, std::move(p)); }
    Ptr take(int i)
    {
        Ptr p = std::move(items_[size_t(i)]);
        items_.erase(items_.begin() + i);
        return p;
    }
    Ptr takeFirst() { return take(0); }
    int indexOf(const CPiece* p) const
    {
        for (int i = 0; i < size(); ++i)
            if (at(i) == p)
                return i;
        return -1;
    }
    // The piece whose home cell is (column, row), or -1.
    int find(int column, int row) const
    {
        for (int i = 0; i < size(); ++i)
            if (at(i)->column == column && at(i)->row == row)
                return i;
        return -1;
    }
    void clear() { items_.clear(); }
    // Every piece at once, in list order, leaving the list empty: for work
    // on the whole list that must not shift it piece by piece.
    std::vector<Ptr> takeAll() { return std::exchange(items_, {}); }
    // Puts a run of pieces before position i, in their order.
    void insertAll(int i, std::vector<Ptr> run)
    {
        items_.insert(items_.begin() + i, std::make_move_iterator(run.begin()),
                      std::make_move_iterator(run.end()));
    }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<Ptr> items_;
};
