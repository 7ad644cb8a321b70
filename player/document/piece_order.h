#pragma once
// A list order that finds, takes and moves items by position in logarithmic
// time: dealing takes the piece at a random position n times, and Restart
// moves the piece at a random position to the head n times. Done on the list
// itself, each step shifts the rest of it, and a large puzzle takes minutes.
//
// Items are the numbers 0..n-1, first in that order. Positions live on a
// line of slots with room for one move to the head per planned move; a
// Fenwick tree over the slots counts the occupied ones.

#include <cstddef>
#include <vector>

class PieceOrder {
public:
    // n items in the order 0..n-1; `headMoves` is how many moves to the head
    // there will be at most.
    explicit PieceOrder(int n, int headMoves = 0);

    int size() const { return size_; }
    // The item at a 0-based position; -1 past the end.
    int at(int position) const;
    void remove(int item);
    void moveToHead(int item);
    // The items in their current order.
    std::vector<int> items() const;

private:
    void add(int slot, int delta);

    int size_ = 0;
    int nextHead_ = 0;            // the free slot before the current head
    int highBit_ = 1;             // the slots the tree spans, a power of two
    std::vector<int> tree_;       // Fenwick tree, 1-based, over the slots
    std::vector<int> slotOf_;     // item -> slot, -1 once removed
    std::vector<int> itemIn_;     // slot -> item, -1 when empty
};
