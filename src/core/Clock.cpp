#include "core/Clock.h"

#include "core/SystemClock.h"

namespace {

SystemClock& systemClock()
{
    static SystemClock clock;
    return clock;
}

Clock* g_installed = nullptr;

} // namespace

Clock& Clock::current()
{
    return g_installed ? *g_installed : systemClock();
}

void Clock::install(Clock* clock)
{
    g_installed = clock;
}
