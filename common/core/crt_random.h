#pragma once
// The C library's random generator, kept exactly so that a seed deals the same
// puzzle everywhere: state = state * 214013 + 2531011, result bits 16 to 30.
// A program that never seeds it starts from state 1.

#include <cstdint>

namespace crt {
// The same generator with a state of its own: a deal made on another thread
// draws what rand() would have drawn from that state, and the caller moves
// rand() on with srand(state()) once it takes the deal.
class Generator {
public:
    explicit Generator(uint32_t state) : state_(state) {}
    int next()
    {
        state_ = state_ * 214013u + 2531011u;
        return int((state_ >> 16) & 0x7FFF);
    }
    uint32_t state() const { return state_; }

private:
    uint32_t state_;
};

void srand(uint32_t seed);
int rand(); // 0 .. 32767
uint32_t state();

// The seed a program deals with at start: the time in seconds, so that every
// game is new, unless a test fixed it, so that a test's deal never depends
// on the second it runs in.
uint32_t startSeed();
void setStartSeedForTest(uint32_t seed);
} // namespace crt
