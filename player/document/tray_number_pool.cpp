#include "tray_number_pool.h"

#include <cstddef>

using std::size_t;

int CTrayNumberPool::take()
{
    for (int i = 0; i < capacity(); ++i) {
        if (flags_[size_t(i)] == 0) {
            flags_[size_t(i)] = 1;
            return i;
        }
    }
    const int n = capacity();
    flags_.resize(flags_.size() + kGrowth, 0);
    flags_[size_t(n)] = 1;
    return n;
}

void CTrayNumberPool::markUsed(int number)
{
    if (number < 0)
        return;
    while (number >= capacity())
        flags_.resize(flags_.size() + kGrowth, 0);
    flags_[size_t(number)] = 1;
}

void CTrayNumberPool::release(int number)
{
    if (number >= 0 && number < capacity())
        flags_[size_t(number)] = 0;
}

bool CTrayNumberPool::used(int number) const
{
    return number >= 0 && number < capacity() && flags_[size_t(number)] != 0;
}

void CTrayNumberPool::setTable(std::vector<int32_t> flags)
{
    for (int32_t& f : flags)
        f = f != 0 ? 1 : 0;
    flags_ = std::move(flags);
}
