// Loading a virtual-camera scenario before a command runs.
#include "scenario.hpp"

#if VELMORA_TOOL_VIRTUAL_CAMERA
#include <sonix_virtual/vcam_control.h>
#endif

namespace velmora::stereo_tool {

#if VELMORA_TOOL_VIRTUAL_CAMERA

bool virtual_camera_available() { return true; }

std::string load_scenario(const std::string& path) {
    if (vcam_load_scenario_file(path.c_str()) == 0) return {};
    const char* why = vcam_last_error();
    return "cannot load scenario '" + path + "': " + (why != nullptr && *why != '\0' ? why : "unknown reason");
}

#else

bool virtual_camera_available() { return false; }

std::string load_scenario(const std::string& path) {
    return "cannot load scenario '" + path + "': this build talks to real cameras through the vendor library";
}

#endif

}  // namespace velmora::stereo_tool
