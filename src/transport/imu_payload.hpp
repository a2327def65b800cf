// The IMU extension-unit payload: a big-endian 17-byte sample (bytes after
// the 17th are ignored), or a status sentinel in its first byte.
#pragma once

#include <cstddef>
#include <cstdint>

#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

constexpr std::size_t kImuPayloadSize = 17;
constexpr std::uint8_t kImuInitFailureSentinel = 0xF1;
constexpr std::uint8_t kImuReadFailureSentinel = 0xF2;

// Fills every field of sample except timestamp_ns. On success nothing is
// allocated; a failure leaves sample unchanged.
Status decode_imu_payload(const std::uint8_t* data, std::size_t size, ReadImuResult& sample);

}  // namespace velmora::uvc_stereo::detail
