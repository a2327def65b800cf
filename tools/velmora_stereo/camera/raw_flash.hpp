// Putting raw bytes back at the start of a camera's flash user space, for
// backups of content that is not a valid record (the SDK's record writer
// writes valid records only).
#pragma once

#include <cstdint>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>
#include <velmora/uvc_stereo/status.hpp>

namespace velmora::stereo_tool {

// Writes bytes at the start of the user space config names through the
// core's flash path, the one its record writer takes (lock, Init, write
// protection released, the sectors the bytes cover erased, one write), and
// always reads them back and compares them, whatever config says: a restore
// that cannot show the bytes stuck has not restored anything. The failures
// are the core's, with their addresses and vendor codes.
uvc_stereo::Status write_user_space_raw(uvc_stereo::FlashConfig config, const std::vector<std::uint8_t>& bytes);

}  // namespace velmora::stereo_tool
