#include "core/sim/TemperatureSource.h"

#include <cmath>
#include <numbers>

namespace tp::sim {

namespace {

double wallSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

double TemperatureSource::celsius() const
{
    if (m_amplitude == 0)
        return m_base;
    const double t = m_clock() - m_t0;
    const double w = 2 * std::numbers::pi / m_period;
    // Two incommensurate swings: never quite periodic, always smooth.
    return m_base + m_amplitude * (0.8 * std::sin(w * t + m_phase) + 0.2 * std::sin(2.71 * w * t + 2 * m_phase));
}

void TemperatureSource::set(double celsius)
{
    m_base = celsius;
    m_amplitude = 0;
}

void TemperatureSource::drift(double amplitude, double periodSeconds, double phase, Clock clock)
{
    m_clock = clock ? std::move(clock) : Clock(wallSeconds);
    m_amplitude = amplitude;
    m_period = periodSeconds > 0 ? periodSeconds : 1;
    m_phase = phase;
    m_t0 = m_clock();
}

} // namespace tp::sim
