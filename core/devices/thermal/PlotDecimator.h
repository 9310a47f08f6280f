#pragma once
#include <cstddef>
#include <vector>

namespace tp::thermal {

// A growing time series cut down to what a plot can show: at most
// `slices` time slices, each drawn as its lowest and highest point (in time
// order; one point while it holds one), so no peak is lost. Adding a point
// costs the same however long the series has run; when the span outgrows
// the slices, neighbouring slices merge (work in proportion to the slices,
// once per doubling of the span).
class PlotDecimator {
public:
    struct Point {
        double x = 0;
        double y = 0;
    };

    explicit PlotDecimator(std::size_t slices = 600, double firstWidth = 1.0);

    // An `x` earlier than the last counts as the last. Returns the index of the first drawn
    // point that changed: those before it stay as they were.
    std::size_t add(double x, double y);
    void clear();

    const std::vector<Point>& points() const { return m_points; }
    bool empty() const { return m_points.empty(); }
    double firstX() const { return m_points.front().x; }
    double lastX() const { return m_lastX; }
    double minY() const { return m_minY; }
    double maxY() const { return m_maxY; }
    // Seconds one slice spans now.
    double width() const { return m_width; }

private:
    struct Slice {
        long number;
        Point lo, hi;
        bool single;
    };
    void draw(const Slice& s);
    void merge();

    std::size_t m_max;
    double m_firstWidth;
    double m_width;
    double m_x0 = 0;
    std::vector<Slice> m_slices;
    std::vector<Point> m_points;
    double m_lastX = 0;
    double m_minY = 0;
    double m_maxY = 0;
};

} // namespace tp::thermal
