// The current time in UTC as text, for file names, sidecars and reports.
#include "output/utc_time.hpp"

#include <cstdio>
#include <ctime>

namespace velmora::stereo_tool {
namespace {

// Room for the widest text seven ints can print, as GCC checks in optimised builds.
constexpr std::size_t kTextSize = 96;
constexpr int kYearBase = 1900;
constexpr long long kMillisecondsPerSecond = 1000;

struct UtcParts {
    std::tm calendar{};
    int milliseconds = 0;
};

UtcParts split(SystemTime time) {
    const auto since_epoch = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    const auto seconds = static_cast<std::time_t>(since_epoch / kMillisecondsPerSecond);
    UtcParts parts;
    parts.milliseconds = static_cast<int>(since_epoch % kMillisecondsPerSecond);
#if defined(_WIN32)
    gmtime_s(&parts.calendar, &seconds);
#else
    gmtime_r(&seconds, &parts.calendar);
#endif
    return parts;
}

std::string format(SystemTime time, const char* pattern) {
    const UtcParts parts = split(time);
    const std::tm& t = parts.calendar;
    char text[kTextSize];
    std::snprintf(text, sizeof text, pattern, t.tm_year + kYearBase, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                  t.tm_sec, parts.milliseconds);
    return text;
}

}  // namespace

std::string iso_utc_time(SystemTime time) { return format(time, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ"); }

std::string compact_utc_time(SystemTime time) { return format(time, "%04d%02d%02dT%02d%02d%02d.%03dZ"); }

}  // namespace velmora::stereo_tool
