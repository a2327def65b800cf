// Encodes a capability report (64 bytes, "ZOVK", CRC-32C) from its fields.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "device_model.hpp"

namespace sonix_virtual {

struct CapabilityFields {
    struct Flash {
        std::uint32_t address = 0;
        std::uint32_t size = 0;
    };
    struct Imu {
        std::string model;  // up to 8 bytes
        std::uint8_t unit = kDefaultImuNode;
        std::uint8_t selector = kDefaultImuSelector;
        std::uint8_t length = kDefaultImuLength;
        std::uint8_t exponent = 1;
        std::int16_t temperature_offset = 0;  // raw counts: divided by 10^exponent on the host
        std::uint16_t temperature_scale = 0;
        std::uint16_t accel_scale = 0;
        std::uint16_t gyro_scale = 0;
    };
    std::uint8_t major_version = 1;
    std::uint8_t minor_version = 0;
    std::uint64_t extra_bits = 0;  // ORed into the capability bits after the section bits
    std::optional<Flash> flash;
    std::optional<Imu> imu;
};

std::array<std::uint8_t, kCapabilityReportSize> encode_capability_report(const CapabilityFields& fields);

}  // namespace sonix_virtual
