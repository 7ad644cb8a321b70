#include "piece_order.h"

PieceOrder::PieceOrder(int n, int headMoves)
    : size_(n), nextHead_(headMoves - 1), tree_(size_t(n + headMoves) + 1, 0),
      slotOf_(size_t(n)), itemIn_(size_t(n + headMoves), -1)
{
    const int slots = n + headMoves;
    for (int i = 0; i < n; ++i) {
        slotOf_[size_t(i)] = headMoves + i;
        itemIn_[size_t(headMoves + i)] = i;
    }
    // Linear build: every slot counts itself and passes its sum up once.
    for (int s = 1; s <= slots; ++s) {
        tree_[size_t(s)] += itemIn_[size_t(s - 1)] >= 0 ? 1 : 0;
        const int parent = s + (s & -s);
        if (parent <= slots)
            tree_[size_t(parent)] += tree_[size_t(s)];
    }
    while (highBit_ * 2 <= slots)
        highBit_ *= 2;
}

void PieceOrder::add(int slot, int delta)
{
    for (int s = slot + 1; s < int(tree_.size()); s += s & -s)
        tree_[size_t(s)] += delta;
}

int PieceOrder::at(int position) const
{
    // The slot holding the (position + 1)-th occupied slot, by binary lifting.
    int s = 0;
    int rest = position + 1;
    for (int step = highBit_; step > 0; step /= 2) {
        const int next = s + step;
        if (next < int(tree_.size()) && tree_[size_t(next)] < rest) {
            s = next;
            rest -= tree_[size_t(next)];
        }
    }
    return itemIn_[size_t(s)];
}

void PieceOrder::remove(int item)
{
    const int slot = slotOf_[size_t(item)];
    add(slot, -1);
    itemIn_[size_t(slot)] = -1;
    slotOf_[size_t(item)] = -1;
    --size_;
}

void PieceOrder::moveToHead(int item)
{
    remove(item);
    const int slot = nextHead_--;
    add(slot, 1);
    itemIn_[size_t(slot)] = item;
    slotOf_[size_t(item)] = slot;
    ++size_;
}

std::vector<int> PieceOrder::items() const
{
    std::vector<int> out;
    out.reserve(size_t(size_));
    for (int item : itemIn_)
        if (item >= 0)
            out.push_back(item);
    return out;
}
