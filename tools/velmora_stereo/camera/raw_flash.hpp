// Putting raw bytes back at the start of a camera's flash user space, for
// backups of content that is not a valid record (the SDK's record writer
// writes valid records only).
#pragma once

#include <cstdint>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>
#include <velmora/uvc_stereo/status.hpp>

namespace velmora::stereo_tool {

// Whether this build has the camera library's raw flash writer.
bool raw_flash_writer_available();

// Erases the sectors bytes cover, writes bytes at the start of the user space
// config names and reads them back; the status says how it went.
uvc_stereo::Status write_user_space_raw(const uvc_stereo::FlashConfig& config, const std::vector<std::uint8_t>& bytes);

}  // namespace velmora::stereo_tool
