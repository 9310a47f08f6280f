#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace tp::thermal {

// One point of a temperature trace: the channels' values, or, for a read
// that failed, no values and a note saying why.
struct TraceSample {
    double seconds = 0;      // since the trace began
    std::int64_t epochMs = 0; // wall-clock time, milliseconds since 1970 (UTC)
    std::vector<double> values;
    std::string note;

    bool failed() const { return values.empty(); }
};

// The readings a sensor window polled, for its plot and for export. Holds
// at most `capacity` samples; the oldest go first.
class TemperatureTrace {
public:
    explicit TemperatureTrace(std::vector<std::string> channels, std::size_t capacity = 100000);

    const std::vector<std::string>& channels() const { return m_channels; }
    const std::deque<TraceSample>& samples() const { return m_samples; }
    bool empty() const { return m_samples.empty(); }
    std::size_t capacity() const { return m_capacity; }

    // `values` has one value per channel.
    void add(double seconds, std::int64_t epochMs, std::vector<double> values);
    void addFailure(double seconds, std::int64_t epochMs, std::string note);
    void clear() { m_samples.clear(); }

    // Comma-separated text, CR LF line ends, UTF-8: a header line
    // "Time (UTC),Seconds,<channel> (°C)...,Note", then one line per sample
    // with the time as ISO 8601, seconds with 3 decimals, values with 3.
    std::string csv() const;

private:
    void push(TraceSample s);

    std::vector<std::string> m_channels;
    std::size_t m_capacity;
    std::deque<TraceSample> m_samples;
};

// "2024-05-01T12:00:00.250Z".
std::string isoUtc(std::int64_t epochMs);

} // namespace tp::thermal
