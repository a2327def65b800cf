// The erase and write steps of a flash session.
#pragma once

#include <cstdint>
#include <vector>

#include "transport/flash_session.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// Erases, in ascending order, every whole sector that holds a byte of
// [address, address + length); stops at the first failing sector.
Status erase_flash_range(FlashSession& session, std::uint32_t address, std::uint64_t length);

// Releases the write protection, erases the sectors data will occupy and
// writes data at address in one vendor call.
Status write_flash_range(FlashSession& session, std::uint32_t address, const std::vector<std::uint8_t>& data);

}  // namespace velmora::uvc_stereo::detail
