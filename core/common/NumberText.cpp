#include "core/common/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tp {

namespace {

// Decimal digits and the exponent of the first one: value = 0.d1d2d3... * 10^exp10.
struct Digits {
    std::string d;
    int exp10 = 0;
    bool negative = false;
};

Digits toDigits(double value)
{
    Digits r;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", value); // 18 significant digits
    const char* p = buf;
    if (*p == '-') {
        r.negative = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            r.d.push_back(*p);
    r.exp10 = (*p == 'e') ? std::atoi(p + 1) + 1 : 1;
    return r;
}

// Keep `keep` leading digits, rounding half away from zero on the digit after.
void roundAt(Digits& x, int keep)
{
    if (keep < 0) {
        x.d = "0";
        return;
    }
    if (keep >= static_cast<int>(x.d.size()))
        return;
    bool up = x.d[static_cast<std::size_t>(keep)] >= '5';
    x.d.resize(static_cast<std::size_t>(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && x.d[static_cast<std::size_t>(i)] == '9') {
            x.d[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++x.d[static_cast<std::size_t>(i)];
        } else {
            x.d.insert(x.d.begin(), '1');
            ++x.exp10;
        }
    }
}

} // namespace

std::string formatFixed(double value, int decimals, char decimalSeparator, int maxSignificant)
{
    if (!std::isfinite(value))
        return std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
    if (decimals < 0)
        decimals = 0;
    Digits x = toDigits(value);
    bool zero = x.d.find_first_not_of('0') == std::string::npos;
    if (!zero) {
        int keep = x.exp10 + decimals;
        if (maxSignificant > 0 && maxSignificant < keep)
            keep = maxSignificant;
        roundAt(x, keep);
        zero = x.d.empty() || x.d.find_first_not_of('0') == std::string::npos;
    }
    // Lay the digits out around the decimal point.
    std::string intPart, frac;
    if (!zero) {
        for (int pos = 0; pos < static_cast<int>(x.d.size()); ++pos) {
            int place = x.exp10 - 1 - pos; // power of ten of this digit
            char c = x.d[static_cast<std::size_t>(pos)];
            if (place >= 0)
                intPart.push_back(c);
            else if (-place <= decimals) {
                if (frac.empty() && place < -1)
                    frac.assign(static_cast<std::size_t>(-place - 1), '0');
                frac.push_back(c);
            }
        }
        if (x.exp10 > static_cast<int>(x.d.size()))
            intPart.append(static_cast<std::size_t>(x.exp10 - static_cast<int>(x.d.size())), '0');
    }
    if (intPart.empty())
        intPart.push_back('0');
    if (static_cast<int>(frac.size()) < decimals)
        frac.append(static_cast<std::size_t>(decimals) - frac.size(), '0');
    std::string out = (x.negative && !zero) ? "-" : "";
    out += intPart;
    if (decimals > 0) {
        out.push_back(decimalSeparator);
        out += frac;
    }
    return out;
}

} // namespace tp
