// The IMU report: the samples of one imu run as a self-contained HTML page with
// inline SVG charts and a table of statistics.
#include "reports/imu_report.hpp"

#include <cmath>
#include <cstdio>
#include <utility>

#include <velmora/uvc_stereo/device.hpp>

#include "camera/camera_summary.hpp"
#include "camera/device_selection.hpp"
#include "output/imu_format.hpp"
#include "reports/svg_plot.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr double kNanosecondsPerSecond = 1e9;
constexpr double kNanosecondsPerMillisecond = 1e6;
constexpr std::uint32_t kCounterModulus = 0x100000;  // the device counter has 20 bits
constexpr std::size_t kHistogramBins = 40;
constexpr int kSmallChartHeight = 200;

// A chart of the default width and the lower height of the one-series charts.
ChartFrame small_chart(const char* title, const char* x_label, const char* y_label) {
    ChartFrame frame{title, x_label, y_label};
    frame.height = kSmallChartHeight;
    return frame;
}
constexpr std::size_t kTextSize = 64;

// Colours of the X, Y and Z axes in every chart.
const char* const kAxisColors[3] = {"#d62728", "#2ca02c", "#1f77b4"};
const char* const kAxisNames[3] = {"X", "Y", "Z"};

const char kStyle[] =
    "body{font-family:sans-serif;margin:24px;color:#222;background:#fff}"
    "h1{font-size:22px}h2{font-size:17px;margin:24px 0 4px}"
    ".chart{display:block;width:100%;height:auto;margin:4px 0 12px}"
    ".chart .plot-area{fill:#fbfbfb;stroke:#b0b0b0}"
    ".chart .grid{stroke:#e0e0e0}"
    ".chart text{font-size:12px;fill:#333}"
    ".chart .title{font-weight:bold;font-size:13px}"
    ".chart .series{fill:none;stroke-width:2}"
    ".chart .legend{stroke-width:3}"
    "table{border-collapse:collapse;margin:4px 0 12px}"
    "td,th{border:1px solid #ccc;padding:3px 10px;text-align:right}"
    "th{background:#f2f2f2}td:first-child,th:first-child,.facts td{text-align:left}";

std::string fixed(double value, int decimals) {
    char text[kTextSize];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// One channel of every sample, after conversion.
struct ConvertedSeries {
    std::vector<double> seconds;  // host time since the first sample
    std::vector<double> accel[3];
    std::vector<double> gyro[3];
    std::vector<double> temperature;
};

ConvertedSeries convert_all(const std::vector<uvc::ReadImuResult>& samples, const uvc::ImuConversionOptions& options) {
    ConvertedSeries series;
    const std::uint64_t first = samples.empty() ? 0 : samples.front().timestamp_ns;
    for (const auto& raw : samples) {
        const auto converted = uvc::convert_imu(raw, options);
        if (!converted.ok()) continue;
        const auto& c = converted.value();
        series.seconds.push_back(static_cast<double>(raw.timestamp_ns - first) / kNanosecondsPerSecond);
        for (std::size_t axis = 0; axis < 3; ++axis) {
            series.accel[axis].push_back(c.accel_g[axis]);
            series.gyro[axis].push_back(c.gyro_dps[axis]);
        }
        series.temperature.push_back(c.temperature_c);
    }
    return series;
}

std::vector<PlotSeries> axis_series(const char* key, const std::vector<double>& seconds,
                                    const std::vector<double> (&values)[3]) {
    std::vector<PlotSeries> series;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        series.push_back({std::string(key) + "-" + static_cast<char>('x' + axis), kAxisNames[axis],
                          kAxisColors[axis], seconds, values[axis]});
    }
    return series;
}

std::vector<double> host_intervals_ms(const std::vector<uvc::ReadImuResult>& samples) {
    std::vector<double> intervals;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const double delta = static_cast<double>(samples[i].timestamp_ns) - static_cast<double>(samples[i - 1].timestamp_ns);
        intervals.push_back(delta / kNanosecondsPerMillisecond);
    }
    return intervals;
}

std::string row(const std::vector<std::string>& cells, const char* tag = "td") {
    std::string html = "<tr>";
    for (const auto& cell : cells) html += std::string("<") + tag + ">" + xml_escape(cell) + "</" + tag + ">";
    return html + "</tr>\n";
}

std::string statistics_row(const std::string& channel, const char* unit, const std::vector<double>& values) {
    const ChannelStatistics s = channel_statistics(values);
    constexpr int kDecimals = 4;
    return row({channel, unit, fixed(s.mean, kDecimals), fixed(s.standard_deviation, kDecimals),
                fixed(s.minimum, kDecimals), fixed(s.maximum, kDecimals)});
}

}  // namespace

ChannelStatistics channel_statistics(const std::vector<double>& values) {
    ChannelStatistics s;
    if (values.empty()) return s;
    s.minimum = s.maximum = values.front();
    double sum = 0.0;
    for (const double value : values) {
        sum += value;
        s.minimum = std::min(s.minimum, value);
        s.maximum = std::max(s.maximum, value);
    }
    s.mean = sum / static_cast<double>(values.size());
    if (values.size() < 2) return s;
    double squares = 0.0;
    for (const double value : values) squares += (value - s.mean) * (value - s.mean);
    s.standard_deviation = std::sqrt(squares / static_cast<double>(values.size() - 1));
    return s;
}

std::vector<double> device_counter_gaps(const std::vector<uvc::ReadImuResult>& samples) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const std::uint32_t step =
            (samples[i].device_timestamp + kCounterModulus - samples[i - 1].device_timestamp) % kCounterModulus;
        gaps.push_back(static_cast<double>(step));
    }
    return gaps;
}

ImuReport::ImuReport(ImuReportContext context) : context_(std::move(context)) {}

std::string ImuReport::html(const std::string& ending, const ImuTally& tally) const {
    const auto& device = context_.device;
    const std::string camera = device.name + (device.serial_number.empty() ? "" : " (" + device.serial_number + ")");
    return std::string("<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n") +
           "<meta charset=\"utf-8\"/>\n"
           // Nothing may be fetched: the page is read offline and archived as it is.
           "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\"/>\n"
           "<title>IMU report: " + xml_escape(camera) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" +
           "<h1>IMU report: " + xml_escape(camera) + "</h1>\n" + facts_table(ending, tally) + charts() +
           "<h2>Statistics</h2>\n" + statistics_table() + "<h2>Conversion</h2>\n" + conversion_table() +
           "</body>\n</html>\n";
}

std::string ImuReport::facts_table(const std::string& ending, const ImuTally& tally) const {
    const auto& device = context_.device;
    std::string html = "<table class=\"facts\">\n";
    html += row({"Camera", format_vid_pid(device.vid, device.pid) + " " + device.name});
    html += row({"Serial number", device.serial_number.empty() ? "(none)" : device.serial_number});
    html += row({"Device path", device.device_path});
    html += row({"Firmware version", context_.firmware_version});
    html += row({"IMU model", context_.imu_model});
    html += row({"Samples", std::to_string(samples_.size())});
    html += row({"Reads", std::to_string(tally.reads())});
    html += row({"Repeats", std::to_string(tally.repeats()) + " (reads that returned the previous sample again)"});
    html += row({"Counter gaps", std::to_string(tally.gaps()) + " (" + std::to_string(tally.missed_samples()) +
                                     " samples missed)"});
    html += row({"Read failures", std::to_string(tally.read_failures())});
    html += row({"Achieved rate", format_imu_summary(tally)});
    if (context_.requested_rate) html += row({"Requested rate", format_number(*context_.requested_rate) + " samples/s"});
    html += row({"Reading ended", ending.empty() ? "after every sample asked for" : ending});
    html += row({"Generated", context_.generated + " by velmora-stereo " + context_.tool_version});
    return html + "</table>\n";
}

std::string ImuReport::charts() const {
    const ConvertedSeries series = convert_all(samples_, context_.conversion);
    const std::vector<double> gap_seconds(series.seconds.size() > 1 ? series.seconds.begin() + 1 : series.seconds.end(),
                                          series.seconds.end());
    std::string html = "<h2>Accelerometer</h2>\n";
    html += line_chart_svg({"Acceleration", "host time (s)", "acceleration (g)"},
                           axis_series("accel", series.seconds, series.accel));
    html += "<h2>Gyroscope</h2>\n";
    html += line_chart_svg({"Angular rate", "host time (s)", "angular rate (deg/s)"},
                           axis_series("gyro", series.seconds, series.gyro));
    html += "<h2>Temperature</h2>\n";
    html += line_chart_svg(small_chart("Temperature", "host time (s)", "temperature (deg C)"),
                           {{"temperature", "temperature", "#ff7f0e", series.seconds, series.temperature}});
    html += "<h2>Host intervals between samples</h2>\n";
    html += histogram_svg(small_chart("Host intervals", "interval (ms)", "samples"),
                          histogram_bins(host_intervals_ms(samples_), kHistogramBins), "#9467bd");
    html += "<h2>Device-counter gaps</h2>\n";
    html += line_chart_svg(small_chart("Device-counter steps between samples", "host time (s)", "counter steps"),
                           {{"counter-gap", "gap", "#8c564b", gap_seconds, device_counter_gaps(samples_)}});
    return html;
}

std::string ImuReport::statistics_table() const {
    const ConvertedSeries series = convert_all(samples_, context_.conversion);
    std::string html = "<table class=\"statistics\">\n";
    html += row({"Channel", "Unit", "Mean", "Std. dev.", "Min", "Max"}, "th");
    for (std::size_t axis = 0; axis < 3; ++axis) {
        html += statistics_row(std::string("Accelerometer ") + kAxisNames[axis], "g", series.accel[axis]);
    }
    for (std::size_t axis = 0; axis < 3; ++axis) {
        html += statistics_row(std::string("Gyroscope ") + kAxisNames[axis], "deg/s", series.gyro[axis]);
    }
    html += statistics_row("Temperature", "deg C", series.temperature);
    return html + "</table>\n";
}

std::string ImuReport::conversion_table() const {
    const auto& c = context_.conversion;
    std::string html = "<table class=\"conversion\">\n";
    html += row({"Temperature offset", format_number(c.temperature_offset_c) + " deg C"});
    html += row({"Temperature scale", format_number(c.temperature_lsb_per_c) + " counts per deg C"});
    html += row({"Accelerometer scale", format_number(c.accel_lsb_per_g) + " counts per g"});
    html += row({"Gyroscope scale", format_number(c.gyro_lsb_per_dps) + " counts per deg/s"});
    return html + "</table>\n";
}

}  // namespace velmora::stereo_tool
