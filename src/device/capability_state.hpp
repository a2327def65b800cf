// What open_device derives from a capability probe: the flash layout, the IMU
// transport and what the camera declares.
#pragma once

#include <cstdint>

#include "formats/capability_report.hpp"
#include "transport/imu_transport_config.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// Every bit OpenDeviceOptions::required_capabilities may hold; a Device's
// verified capabilities use the same bits (RequiredCapabilities).
constexpr std::uint32_t kKnownRequiredCapabilities =
    RequiredCapabilities::Flash | RequiredCapabilities::Imu | RequiredCapabilities::FlashJson;

// A camera without a capability report keeps its document in one 4 KiB
// sector at the usual address.
constexpr std::uint32_t kLegacyFlashUserSpaceAddress = 0x51000;
constexpr std::uint32_t kLegacyFlashUserSpaceSize = 0x1000;

constexpr const char* kFlashCapabilityName = "Flash";
constexpr const char* kImuCapabilityName = "IMU";
constexpr const char* kLegacyCapabilityMessage = "Capability reporting is not supported on this device";

struct CapabilityState {
    DeviceCapabilityInfo info;
    FlashConfig flash_config;
    ImuTransportConfig imu_transport;
    bool flash_declared = false;
    bool imu_declared = false;
};

// NotSupported: "IMU is not supported on this device" for "IMU", otherwise
// "valid capability XU report does not declare <name>" (or "the requested
// capability" for null).
Status make_not_declared_status(const char* capability_name);

// The state from the selection config and the probe's outcome: the report's
// layout and transport when the probe gave one, legacy defaults otherwise.
CapabilityState build_capability_state(const FlashConfig& selection, XuCapabilityProbeResult probe);

}  // namespace velmora::uvc_stereo::detail
