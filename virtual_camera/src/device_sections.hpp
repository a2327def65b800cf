// Readers of a device's flash, capability and IMU sections of a scenario.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "capability_encoder.hpp"
#include "device_model.hpp"
#include "json_fields.hpp"

namespace sonix_virtual {

FlashSpec parse_flash_section(const Json& value, const std::string& path);

// The report bytes, plus the fields when it was given as fields (their IMU
// section supplies the IMU control's defaults).
struct CapabilitySection {
    std::array<std::uint8_t, kCapabilityReportSize> bytes{};
    std::optional<CapabilityFields> fields;
};
CapabilitySection parse_capability_section(const Json& value, const std::string& path);

ImuSpec parse_imu_section(const Json& value, const std::string& path, const ImuSpec& defaults);

}  // namespace sonix_virtual
