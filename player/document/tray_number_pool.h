#pragma once
// The numbers of the open trays: the lowest free one goes to a new tray, and
// the table grows by 20 whenever every number is taken, so trays never run out.

#include <cstdint>
#include <vector>

class CTrayNumberPool {
public:
    static constexpr int kGrowth = 20;
    // More trays than anyone plays with; each is a window, and tens of
    // thousands of sibling windows overflow the stack when they are painted.
    static constexpr int kMaxTrays = 256;
    // The table never needs more than the most trays, rounded up to its growth.
    static constexpr int kMaxTableEntries = kMaxTrays + kGrowth;
    CTrayNumberPool() : flags_(kGrowth, 0) {}

    // The lowest free number, now marked used.
    int take();
    void markUsed(int number);
    void release(int number);
    bool used(int number) const;
    int capacity() const { return int(flags_.size()); }

    // The table as a saved game keeps it: entry n is 1 while tray n exists.
    const std::vector<int32_t>& table() const { return flags_; }
    void setTable(std::vector<int32_t> flags);

private:
    std::vector<int32_t> flags_;
};
