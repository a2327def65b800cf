// The IMU report: the samples of one imu run as a self-contained HTML page with
// inline SVG charts and a table of statistics.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>

#include "reports/imu_tally.hpp"

namespace velmora::stereo_tool {

struct ImuReportContext {
    uvc_stereo::DeviceInfo device;
    uvc_stereo::ImuConversionOptions conversion;
    std::optional<double> requested_rate;  // --rate, samples per second
    std::string generated;                 // UTC time of the run
    std::string tool_version;
    std::string firmware_version;          // or why it could not be read
    std::string imu_model;
};

// Mean, standard deviation (of the sample, n - 1) and range of one channel.
struct ChannelStatistics {
    double mean = 0.0;
    double standard_deviation = 0.0;
    double minimum = 0.0;
    double maximum = 0.0;
};
ChannelStatistics channel_statistics(const std::vector<double>& values);

// The steps the 20-bit device counter advanced between consecutive samples (wrap included).
std::vector<double> device_counter_gaps(const std::vector<uvc_stereo::ReadImuResult>& samples);

class ImuReport {
public:
    explicit ImuReport(ImuReportContext context);

    void add(const uvc_stereo::ReadImuResult& raw) { samples_.push_back(raw); }
    std::size_t size() const { return samples_.size(); }

    // The page. ending says why reading stopped early ("stopped by Ctrl-C", a
    // failure's message), or is empty when every sample asked for was read;
    // tally counts the reads, repeats, gaps and failures of the run.
    std::string html(const std::string& ending, const ImuTally& tally) const;

private:
    std::string facts_table(const std::string& ending, const ImuTally& tally) const;
    std::string charts() const;
    std::string statistics_table() const;
    std::string conversion_table() const;

    ImuReportContext context_;
    std::vector<uvc_stereo::ReadImuResult> samples_;
};

}  // namespace velmora::stereo_tool
