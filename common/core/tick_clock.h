#pragma once
// The millisecond tick count that clocks and timers measure against. Tests
// replace it with a clock they move by hand.

#include <cstdint>

namespace tick {
// Milliseconds since an arbitrary start, wrapping at 2^32 like GetTickCount.
uint32_t now();

// A clock of the test's own: now() returns this value until released.
void setForTest(uint32_t ms);
void advanceForTest(uint32_t ms);
void releaseTestClock();
} // namespace tick
