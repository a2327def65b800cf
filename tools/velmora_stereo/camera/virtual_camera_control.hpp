// The virtual camera's scenario functions, found at run time in the vendor
// library the tool was started with; the vendor's own library has none.
#pragma once

#include <optional>

#include <sonix_virtual/vcam_control.h>

namespace velmora::stereo_tool {

struct VirtualCameraControl {
    decltype(&vcam_load_scenario_file) load_scenario_file;
    decltype(&vcam_last_error) last_error;
};

// The functions when the loaded vendor library is the virtual camera; nothing
// otherwise. Importing them instead would stop the tool from starting at all
// against the vendor's library.
std::optional<VirtualCameraControl> find_virtual_camera_control();

}  // namespace velmora::stereo_tool
