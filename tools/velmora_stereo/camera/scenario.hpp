// Loading a virtual-camera scenario before a command runs.
#pragma once

#include <string>

namespace velmora::stereo_tool {

// True when this build talks to the virtual camera rather than real hardware.
bool virtual_camera_available();

// Replaces the virtual cameras with those of the scenario file. Empty on
// success, otherwise why it failed.
std::string load_scenario(const std::string& path);

}  // namespace velmora::stereo_tool
