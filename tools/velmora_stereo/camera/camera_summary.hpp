// Describing an open camera's capability report, flash layout and IMU transport.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include <velmora/uvc_stereo/device.hpp>

#include "output/tool_json.hpp"

namespace velmora::stereo_tool {

// The flash user space a Device works in: the report's flash section, or the
// SDK's legacy layout for a camera without capability reporting.
struct FlashLayout {
    std::uint32_t address = 0;
    std::uint32_t size = 0;
    bool from_report = false;
};
std::optional<FlashLayout> effective_flash_layout(const uvc_stereo::DeviceCapabilityInfo& info);

// The IMU control a Device reads: the report's IMU section, or the SDK's
// legacy control for a camera without capability reporting. Empty when a
// valid report declares no IMU.
struct ImuTransport {
    std::uint8_t unit = 0;
    std::uint8_t selector = 0;
    std::uint8_t length = 0;
    bool from_report = false;
};
std::optional<ImuTransport> effective_imu_transport(const uvc_stereo::DeviceCapabilityInfo& info);

// "0x00051000"
std::string format_hex32(std::uint32_t value);
// Shortest readable form of a scale value: "16.4", "2048".
std::string format_number(double value);

// The same sections as one JSON object for info --json.
ToolJson capability_json(const uvc_stereo::Device& device, const uvc_stereo::Status& flash_check);

// The Capability, Flash and IMU sections of the info command. flash_check is
// the outcome of opening with the flash required.
void print_capability_summary(const uvc_stereo::Device& device, const uvc_stereo::Status& flash_check,
                              std::ostream& out);

}  // namespace velmora::stereo_tool
