// The current time in UTC as text, for file names, sidecars and reports.
#pragma once

#include <chrono>
#include <string>

namespace velmora::stereo_tool {

using SystemTime = std::chrono::system_clock::time_point;

// "2025-03-11T10:15:00.123Z"
std::string iso_utc_time(SystemTime time);
// "20250311T101500.123Z": sorts by time and is a valid file name everywhere.
std::string compact_utc_time(SystemTime time);

}  // namespace velmora::stereo_tool
