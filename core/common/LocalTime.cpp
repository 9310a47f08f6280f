#include "core/common/LocalTime.h"

#include <ctime>

namespace tp {

namespace {
std::function<DateTime()>& source()
{
    static std::function<DateTime()> s;
    return s;
}
} // namespace

DateTime localNow()
{
    if (source())
        return source()();
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday};
}

void setLocalNowSource(std::function<DateTime()> source_)
{
    source() = std::move(source_);
}

} // namespace tp
