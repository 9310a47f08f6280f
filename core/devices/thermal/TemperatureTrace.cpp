#include "core/devices/thermal/TemperatureTrace.h"
#include "core/common/NumberText.h"
#include "core/devices/thermal/ThermalText.h"

#include <cstdio>
#include <ctime>
#include <stdexcept>

namespace tp::thermal {

TemperatureTrace::TemperatureTrace(std::vector<std::string> channels, std::size_t capacity)
    : m_channels(std::move(channels)), m_capacity(capacity ? capacity : 1)
{
}

void TemperatureTrace::push(TraceSample s)
{
    while (m_samples.size() >= m_capacity)
        m_samples.pop_front();
    m_samples.push_back(std::move(s));
}

void TemperatureTrace::add(double seconds, std::int64_t epochMs, std::vector<double> values)
{
    if (values.size() != m_channels.size())
        throw std::invalid_argument("one value per channel");
    push({seconds, epochMs, std::move(values), {}});
}

void TemperatureTrace::addFailure(double seconds, std::int64_t epochMs, std::string note)
{
    push({seconds, epochMs, {}, std::move(note)});
}

std::string isoUtc(std::int64_t epochMs)
{
    std::int64_t secs = epochMs / 1000;
    int ms = static_cast<int>(epochMs % 1000);
    if (ms < 0) {
        ms += 1000;
        --secs;
    }
    const std::time_t t = static_cast<std::time_t>(secs);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
    return buf;
}

namespace {

// A note is free text: quote it when it holds a delimiter or a quote.
std::string csvField(const std::string& s)
{
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"')
            q += '"';
        q += c;
    }
    return q + '"';
}

} // namespace

std::string TemperatureTrace::csv() const
{
    std::string out = "Time (UTC),Seconds";
    for (const std::string& c : m_channels)
        out += "," + csvField(c + " (" + kDegreesC + ")");
    out += ",Note\r\n";
    for (const TraceSample& s : m_samples) {
        out += isoUtc(s.epochMs) + "," + formatFixed(s.seconds, 3);
        for (std::size_t i = 0; i < m_channels.size(); ++i)
            out += "," + (s.failed() ? std::string() : formatFixed(s.values[i], 3));
        out += "," + csvField(s.note) + "\r\n";
    }
    return out;
}

} // namespace tp::thermal
