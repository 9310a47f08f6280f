#include "core/devices/thermal/PlotDecimator.h"

#include <algorithm>
#include <cmath>

namespace tp::thermal {

PlotDecimator::PlotDecimator(std::size_t slices, double firstWidth)
    : m_max(std::max<std::size_t>(slices, 2)), m_firstWidth(firstWidth > 0 ? firstWidth : 1.0), m_width(m_firstWidth)
{
}

void PlotDecimator::clear()
{
    m_width = m_firstWidth;
    m_slices.clear();
    m_points.clear();
}

void PlotDecimator::draw(const Slice& s)
{
    if (s.single) {
        m_points.push_back(s.lo);
        return;
    }
    const bool loFirst = s.lo.x <= s.hi.x;
    m_points.push_back(loFirst ? s.lo : s.hi);
    m_points.push_back(loFirst ? s.hi : s.lo);
}

namespace {
void absorb(PlotDecimator::Point& lo, PlotDecimator::Point& hi, const PlotDecimator::Point& q)
{
    if (q.y < lo.y)
        lo = q;
    if (q.y >= hi.y)
        hi = q;
}
} // namespace

std::size_t PlotDecimator::add(double x, double y)
{
    if (!m_slices.empty())
        x = std::max(x, m_lastX); // a clock set back draws at the end, not before it
    const Point p{x, y};
    m_lastX = x;
    if (m_slices.empty()) {
        m_x0 = x;
        m_minY = m_maxY = y;
    }
    m_minY = std::min(m_minY, y);
    m_maxY = std::max(m_maxY, y);
    const long number = static_cast<long>(std::floor((x - m_x0) / m_width));
    if (!m_slices.empty() && m_slices.back().number == number) {
        Slice& s = m_slices.back();
        m_points.resize(m_points.size() - (s.single ? 1 : 2));
        const std::size_t from = m_points.size();
        absorb(s.lo, s.hi, p);
        s.single = false;
        draw(s);
        return from;
    }
    const std::size_t from = m_points.size();
    m_slices.push_back(Slice{number, p, p, true});
    draw(m_slices.back());
    if (static_cast<std::size_t>(number) < m_max)
        return from;
    while (static_cast<std::size_t>(m_slices.back().number) >= m_max)
        merge();
    return 0;
}

void PlotDecimator::merge()
{
    m_width *= 2;
    std::vector<Slice> merged;
    for (Slice s : m_slices) {
        s.number /= 2;
        if (!merged.empty() && merged.back().number == s.number) {
            Slice& m = merged.back();
            absorb(m.lo, m.hi, s.lo);
            absorb(m.lo, m.hi, s.hi);
            m.single = false;
        } else {
            merged.push_back(s);
        }
    }
    m_slices = std::move(merged);
    m_points.clear();
    for (const Slice& s : m_slices)
        draw(s);
}

} // namespace tp::thermal
