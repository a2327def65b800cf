// The camera models the SDK supports, with their IMU firmware conditions.
#pragma once

#include <cstdint>
#include <string_view>

namespace velmora::uvc_stereo::detail {

struct ScanWhitelistEntry {
    std::uint16_t vid;
    std::uint16_t pid;
    // When non-empty, the IMU may be used only with exactly this firmware.
    std::string_view imu_required_firmware;
    // When non-empty, the IMU must not be used with firmware containing this.
    std::string_view imu_disabling_firmware;
};

// The entry for the pair, or null when the model is not supported.
const ScanWhitelistEntry* find_whitelist_entry(std::uint16_t vid, std::uint16_t pid);

inline bool is_whitelisted(std::uint16_t vid, std::uint16_t pid) { return find_whitelist_entry(vid, pid) != nullptr; }

}  // namespace velmora::uvc_stereo::detail
