// The JSON document in a camera's flash record, as the device layer reads and
// writes it.
#pragma once

#include <string_view>

#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

// The record read through config, its payload validated and minified, then a
// pause on the calling thread. Failures of each step come back unchanged.
Result<ReadJsonResult> read_flash_json(const FlashConfig& config);

// The text validated and minified, stored as a version-0 record through
// config, then a pause when the write succeeded. Invalid text writes nothing.
Status write_flash_json(const FlashConfig& config, std::string_view json);

}  // namespace velmora::uvc_stereo::detail
