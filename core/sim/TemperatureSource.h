#pragma once
#include <chrono>
#include <functional>

namespace tp::sim {

// What a sensor model measures. Tests set it exactly; on the program's own
// bench it may wander slowly about its value, so a user polling a sensor
// sees readings change.
class TemperatureSource {
public:
    // Seconds since some fixed moment; the wall clock unless replaced.
    using Clock = std::function<double()>;

    explicit TemperatureSource(double celsius = 25.0) : m_base(celsius) {}

    double celsius() const;
    // Exact from now on; ends any drift.
    void set(double celsius);
    // From now on a slow swing of about ±`amplitude` °C about the current
    // value, one cycle in roughly `periodSeconds`.
    void drift(double amplitude, double periodSeconds, double phase = 0, Clock clock = {});
    bool drifting() const { return m_amplitude != 0; }

private:
    double m_base;
    double m_amplitude = 0;
    double m_period = 1;
    double m_phase = 0;
    double m_t0 = 0;
    Clock m_clock;
};

} // namespace tp::sim
