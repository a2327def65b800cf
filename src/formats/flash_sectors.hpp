// The whole sectors a flash range occupies: the flash erases nothing smaller.
#pragma once

#include <cstdint>

#include "velmora/uvc_stereo/records.hpp"

namespace velmora::uvc_stereo::detail {

// Sector size used when the configuration leaves flash_sector_size at 0.
constexpr std::uint32_t kDefaultFlashSectorSize = 4096;

inline std::uint32_t effective_sector_size(const FlashConfig& config) {
    return config.flash_sector_size != 0 ? config.flash_sector_size : kDefaultFlashSectorSize;
}

// First and last sector start of a range of at least one byte, in 64 bits so
// that a range ending at 2^32 does not wrap.
struct SectorSpan {
    std::uint64_t first_start;
    std::uint64_t last_start;
};

inline SectorSpan sectors_covering(std::uint32_t sector_size, std::uint32_t address, std::uint64_t length) {
    const std::uint64_t last_byte = std::uint64_t{address} + length - 1;
    return SectorSpan{address - address % sector_size, last_byte - last_byte % sector_size};
}

}  // namespace velmora::uvc_stereo::detail
