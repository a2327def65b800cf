// Choosing one camera from the scan by --index, --serial or --path.
#pragma once

#include <string>

#include <velmora/uvc_stereo/records.hpp>
#include <velmora/uvc_stereo/status.hpp>

#include "command_line/command_line.hpp"

namespace velmora::stereo_tool {

// Empty when the selection options are usable; otherwise why not.
std::string check_selection_options(const ParsedOptions& options);

// Scans and picks the requested camera (the first one by default). Call
// check_selection_options first.
uvc_stereo::Result<uvc_stereo::DeviceInfo> select_device(const ParsedOptions& options);

// The FlashConfig that names exactly this camera, with the default flash layout.
uvc_stereo::FlashConfig selection_config(const uvc_stereo::DeviceInfo& device);

// "0c45:0643"
std::string format_vid_pid(std::uint16_t vid, std::uint16_t pid);

}  // namespace velmora::stereo_tool
