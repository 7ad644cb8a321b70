#include "play_clock.h"

#include "tick_clock.h"

#include <algorithm>

void PlayClock::start() { start_ = tick::now(); }

int32_t PlayClock::playTime(bool finished) const
{
    if (finished)
        return elapsed_;
    return int32_t(tick::now() - start_) + elapsed_;
}

void PlayClock::stop()
{
    const uint32_t now = tick::now();
    elapsed_ += int32_t(now - start_);
    start_ = now;
}

void PlayClock::reset()
{
    elapsed_ = 0;
    start_ = tick::now();
}

void PlayClock::restore(int32_t elapsed)
{
    elapsed_ = elapsed;
    start_ = tick::now();
}

QString PlayClock::text(int32_t ms)
{
    const int s = std::max(ms, 0) / 1000;
    return QString::asprintf("%2d:%02d:%02d", s / 3600, (s / 60) % 60, s % 60);
}
