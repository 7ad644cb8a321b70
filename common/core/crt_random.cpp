#include "crt_random.h"

#include <ctime>
#include <optional>

namespace crt {
namespace {
uint32_t g_state = 1;
std::optional<uint32_t> g_testSeed;
}

void srand(uint32_t seed) { g_state = seed; }

int rand()
{
    g_state = g_state * 214013u + 2531011u;
    return int((g_state >> 16) & 0x7FFF);
}

uint32_t state() { return g_state; }

uint32_t startSeed() { return g_testSeed ? *g_testSeed : uint32_t(std::time(nullptr)); }

void setStartSeedForTest(uint32_t seed) { g_testSeed = seed; }
} // namespace crt
