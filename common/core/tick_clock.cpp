#include "tick_clock.h"

#include <chrono>
#include <optional>

namespace tick {
namespace {
std::optional<uint32_t> g_test;
}

uint32_t now()
{
    if (g_test)
        return *g_test;
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void setForTest(uint32_t ms) { g_test = ms; }
void advanceForTest(uint32_t ms) { g_test = g_test.value_or(0) + ms; }
void releaseTestClock() { g_test.reset(); }
} // namespace tick
