// Which camera library the tool runs against, and what it says about it: on
// Linux the SDK finds the library over uvcvideo beside itself, and the
// virtual camera (--virtual, --scenario, VCAM_SCENARIO) is preloaded in its
// place by starting the tool again.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>

namespace velmora::stereo_tool {

// Where the virtual camera lies, from the tool's own folder (set by the build).
#ifndef VELMORA_TOOL_VIRTUAL_CAMERA_FROM_BIN
#define VELMORA_TOOL_VIRTUAL_CAMERA_FROM_BIN "../lib/velmora-uvc-stereo-sdk/virtual-camera"
#endif

// The global options and the variable that ask for the virtual camera.
bool wants_virtual_camera(const std::vector<std::string>& args, const char* scenario_variable);

// On Linux, when the virtual camera is wanted but the process loaded another
// camera library: starts the tool again with the virtual camera preloaded.
// Returns only when there is nothing to do (-1) or it could not be done (an
// exit status, the reason printed on err).
int restart_with_virtual_camera(char** argv, const std::vector<std::string>& args, std::ostream& err);

// The line the tool adds on Linux, with a camera library other than the
// virtual camera, after the flash could not be reached; empty elsewhere.
std::string flash_unreachable_note();

// On Linux, when this user may not open the camera's capture node: what to do
// about it; empty otherwise.
std::string camera_access_note(const uvc_stereo::DeviceInfo& device);

}  // namespace velmora::stereo_tool
