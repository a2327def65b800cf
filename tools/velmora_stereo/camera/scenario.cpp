// Loading a virtual-camera scenario before a command runs.
#include "camera/scenario.hpp"

#include "camera/virtual_camera_control.hpp"

namespace velmora::stereo_tool {

bool virtual_camera_available() { return find_virtual_camera_control().has_value(); }

std::string load_scenario(const std::string& path) {
    const std::optional<VirtualCameraControl> control = find_virtual_camera_control();
    if (!control) return "--scenario needs the virtual camera library";
    if (control->load_scenario_file(path.c_str()) == 0) return {};
    const char* why = control->last_error();
    return "cannot load scenario '" + path + "': " + (why != nullptr && *why != '\0' ? why : "unknown reason");
}

}  // namespace velmora::stereo_tool
