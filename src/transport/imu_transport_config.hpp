// How a camera's IMU is read: its extension-unit control and scale values.
#pragma once

#include <cstdint>

#include "velmora/uvc_stereo/records.hpp"

namespace velmora::uvc_stereo::detail {

// The defaults are those of a legacy camera without a capability report.
struct ImuTransportConfig {
    std::uint8_t xu_unit = 4;
    std::uint8_t xu_selector = 10;
    std::uint8_t xu_length = 17;
    ImuConversionOptions conversion;
};

}  // namespace velmora::uvc_stereo::detail
