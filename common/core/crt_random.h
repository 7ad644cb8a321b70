#pragma once
// The C library's random generator, kept exactly so that a seed deals the same
// puzzle everywhere: state = state * 214013 + 2531011, result bits 16 to 30.
// A program that never seeds it starts from state 1.

#include <cstdint>

namespace crt {
void srand(uint32_t seed);
int rand(); // 0 .. 32767
uint32_t state();

// The seed a program deals with at start: the time in seconds, so that every
// game is new, unless a test fixed it, so that a test's deal never depends
// on the second it runs in.
uint32_t startSeed();
void setStartSeedForTest(uint32_t seed);
} // namespace crt
