#include "piece_order.h"

namespace {

int powerOfTwoAtLeast(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

} // namespace

// The tree spans a power of two of slots, the ones past the last empty: the
// search below then never leaves it and needs no test for its end.
PieceOrder::PieceOrder(int n, int headMoves)
    : size_(n), nextHead_(headMoves - 1), highBit_(powerOfTwoAtLeast(n + headMoves)),
      tree_(size_t(highBit_) + 1, 0), slotOf_(size_t(n)), itemIn_(size_t(n + headMoves), -1)
{
    const int slots = n + headMoves;
    for (int i = 0; i < n; ++i) {
        slotOf_[size_t(i)] = headMoves + i;
        itemIn_[size_t(headMoves + i)] = i;
    }
    // Linear build: every slot counts itself and passes its sum up once.
    for (int s = 1; s <= highBit_; ++s) {
        tree_[size_t(s)] += s <= slots && itemIn_[size_t(s - 1)] >= 0 ? 1 : 0;
        const int parent = s + (s & -s);
        if (parent <= highBit_)
            tree_[size_t(parent)] += tree_[size_t(s)];
    }
}

void PieceOrder::add(int slot, int delta)
{
    for (int s = slot + 1; s <= highBit_; s += s & -s)
        tree_[size_t(s)] += delta;
}

int PieceOrder::at(int position) const
{
    if (position < 0 || position >= size_)
        return -1;
    // The slot holding the (position + 1)-th occupied slot, by binary
    // lifting. Whether a step is taken is as good as random in a deal, so it
    // is taken by masks rather than by a branch the processor would guess.
    int s = 0;
    int rest = position + 1;
    for (int step = highBit_; step > 0; step /= 2) {
        const int count = tree_[size_t(s + step)];
        const int take = -int(count < rest);
        s += step & take;
        rest -= count & take;
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
