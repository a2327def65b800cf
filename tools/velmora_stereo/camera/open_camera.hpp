// Shared start of the commands that work on one camera: check the command
// line, pick the camera, open it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include <velmora/uvc_stereo/device.hpp>

#include "tool_context.hpp"

namespace velmora::stereo_tool {

// Bits of OpenDeviceOptions::required_capabilities.
constexpr std::uint32_t kRequireNothing = uvc_stereo::RequiredCapabilities::None;
constexpr std::uint32_t kRequireFlash = uvc_stereo::RequiredCapabilities::Flash;

struct OpenedCamera {
    std::optional<uvc_stereo::Device> device;
    int exit_code = kExitSuccess;  // meaningful when device is empty
};

// Checks that exactly positionals positional arguments were given and the
// selection options are usable (usage errors), then scans, selects and opens
// the camera (failures reported with their code). Prints nothing on success.
OpenedCamera open_selected_camera(const ToolContext& context, const std::string& command,
                                  std::size_t positionals, std::uint32_t required_capabilities);

// Opens a camera already chosen; failures reported with their code.
OpenedCamera open_camera(const uvc_stereo::DeviceInfo& device, std::uint32_t required_capabilities,
                         const ToolContext& context);

// The usage check alone, for commands that do not open a camera. Returns
// kExitSuccess when the arguments are usable.
int check_positionals(const ToolContext& context, const std::string& command, std::size_t positionals);

}  // namespace velmora::stereo_tool
