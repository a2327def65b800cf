// Formatting IMU samples as an aligned table, CSV or JSON lines.
#include "output/imu_format.hpp"

#include <array>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr double kNanosecondsPerSecond = 1e9;
constexpr double kNanosecondsPerMillisecond = 1e6;
constexpr double kMillisecondsPerSecond = 1e3;
constexpr std::size_t kLineBufferSize = 512;
constexpr std::size_t kNumberBufferSize = 40;

// Enough digits that a double survives the round trip through text.
std::string exact_number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[kNumberBufferSize];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string join(const std::array<std::int16_t, 3>& axes, const char* separator) {
    return std::to_string(axes[0]) + separator + std::to_string(axes[1]) + separator + std::to_string(axes[2]);
}

std::string join(const std::array<double, 3>& axes, const char* separator) {
    return exact_number(axes[0]) + separator + exact_number(axes[1]) + separator + exact_number(axes[2]);
}

void write_table_row(std::ostream& out, std::size_t index, double time_ms, const uvc::ReadImuResult& raw,
                     const uvc::ConvertedImuResult& c) {
    char line[kLineBufferSize];
    std::snprintf(line, sizeof line,
                  "%5zu %10.3f %8u %6d %6d %6d %6d %6d %6d %6d %8.2f %8.4f %8.4f %8.4f %9.3f %9.3f %9.3f\n", index,
                  time_ms, static_cast<unsigned>(raw.device_timestamp), raw.temperature_raw, raw.accel_raw[0],
                  raw.accel_raw[1], raw.accel_raw[2], raw.gyro_raw[0], raw.gyro_raw[1], raw.gyro_raw[2],
                  c.temperature_c, c.accel_g[0], c.accel_g[1], c.accel_g[2], c.gyro_dps[0], c.gyro_dps[1],
                  c.gyro_dps[2]);
    out << line;
}

void write_csv_row(std::ostream& out, std::size_t index, const uvc::ReadImuResult& raw,
                   const uvc::ConvertedImuResult& c) {
    out << index << ',' << raw.timestamp_ns << ',' << raw.device_timestamp << ',' << raw.temperature_raw << ','
        << join(raw.accel_raw, ",") << ',' << join(raw.gyro_raw, ",") << ',' << exact_number(c.temperature_c) << ','
        << join(c.accel_g, ",") << ',' << join(c.gyro_dps, ",") << '\n';
}

void write_json_line(std::ostream& out, std::size_t index, const uvc::ReadImuResult& raw,
                     const uvc::ConvertedImuResult& c) {
    out << "{\"index\":" << index << ",\"timestamp_ns\":" << raw.timestamp_ns
        << ",\"device_timestamp\":" << raw.device_timestamp << ",\"raw\":{\"temperature\":" << raw.temperature_raw
        << ",\"accel\":[" << join(raw.accel_raw, ",") << "],\"gyro\":[" << join(raw.gyro_raw, ",")
        << "]},\"converted\":{\"temperature_c\":" << exact_number(c.temperature_c) << ",\"accel_g\":["
        << join(c.accel_g, ",") << "],\"gyro_dps\":[" << join(c.gyro_dps, ",") << "]}}\n";
}

}  // namespace

ImuSampleWriter::ImuSampleWriter(ImuFormat format, std::ostream& out) : format_(format), out_(out) {}

void ImuSampleWriter::begin() {
    if (format_ == ImuFormat::Table) {
        // Same widths as the rows; raw counts first, then physical units.
        char line[kLineBufferSize];
        std::snprintf(line, sizeof line,
                      "%5s %10s %8s %6s %6s %6s %6s %6s %6s %6s %8s %8s %8s %8s %9s %9s %9s\n", "#", "time ms",
                      "counter", "temp", "acc x", "acc y", "acc z", "gyr x", "gyr y", "gyr z", "temp C", "acc x g",
                      "acc y g", "acc z g", "gyr x dps", "gyr y dps", "gyr z dps");
        out_ << line;
    } else if (format_ == ImuFormat::Csv) {
        out_ << "index,timestamp_ns,device_timestamp,temperature_raw,accel_x_raw,accel_y_raw,accel_z_raw,"
                "gyro_x_raw,gyro_y_raw,gyro_z_raw,temperature_c,accel_x_g,accel_y_g,accel_z_g,"
                "gyro_x_dps,gyro_y_dps,gyro_z_dps\n";
    }
}

void ImuSampleWriter::write(std::size_t index, const uvc::ReadImuResult& raw, const uvc::ConvertedImuResult& converted) {
    if (index == 0) first_timestamp_ns_ = raw.timestamp_ns;
    switch (format_) {
        case ImuFormat::Table: {
            const double elapsed_ns = static_cast<double>(raw.timestamp_ns) - static_cast<double>(first_timestamp_ns_);
            write_table_row(out_, index, elapsed_ns / kNanosecondsPerMillisecond, raw, converted);
            break;
        }
        case ImuFormat::Csv: write_csv_row(out_, index, raw, converted); break;
        case ImuFormat::JsonLines: write_json_line(out_, index, raw, converted); break;
    }
}

}  // namespace velmora::stereo_tool
