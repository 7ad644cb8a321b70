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
    Generator g(g_state);
    const int r = g.next();
    g_state = g.state();
    return r;
}

uint32_t state() { return g_state; }

uint32_t startSeed() { return g_testSeed ? *g_testSeed : uint32_t(std::time(nullptr)); }

void setStartSeedForTest(uint32_t seed) { g_testSeed = seed; }
} // namespace crt
