// The tool's own JSON output, written by nlohmann's dump(2).
#include "output/tool_json.hpp"

#include "camera/device_selection.hpp"

namespace velmora::stereo_tool {

std::string dump_tool_json(const ToolJson& json) {
    return json.dump(2, ' ', false, ToolJson::error_handler_t::replace) + "\n";
}

ToolJson camera_json(const uvc_stereo::DeviceInfo& device) {
    return {{"vid", device.vid},
            {"pid", device.pid},
            {"vid_pid", format_vid_pid(device.vid, device.pid)},
            {"name", device.name},
            {"serial_number", device.serial_number},
            {"device_path", device.device_path}};
}

}  // namespace velmora::stereo_tool
