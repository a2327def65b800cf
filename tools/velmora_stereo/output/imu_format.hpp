// Formatting IMU samples as an aligned table, CSV or JSON lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include <velmora/uvc_stereo/records.hpp>

namespace velmora::stereo_tool {

enum class ImuFormat { Table, Csv, JsonLines };

class ImuSampleWriter {
public:
    ImuSampleWriter(ImuFormat format, std::ostream& out);

    // The header line (table and CSV), written before the first sample.
    void begin();
    void write(std::size_t index, const uvc_stereo::ReadImuResult& raw,
               const uvc_stereo::ConvertedImuResult& converted);

private:
    ImuFormat format_;
    std::ostream& out_;
    std::uint64_t first_timestamp_ns_ = 0;
};


}  // namespace velmora::stereo_tool
