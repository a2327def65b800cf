// The info command: what one camera declares about itself.
#include <cstdio>
#include <ostream>

#include <velmora/uvc_stereo/device.hpp>
#include <velmora/uvc_stereo/flash_transport.hpp>

#include "camera/camera_summary.hpp"
#include "camera/device_selection.hpp"
#include "camera/open_camera.hpp"
#include "commands.hpp"
#include "output/error_report.hpp"
#include "output/text_table.hpp"
#include "output/tool_json.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

void print_identity(const uvc::DeviceInfo& device, std::ostream& out) {
    out << "Camera\n";
    print_key_values({{"vid:pid", format_vid_pid(device.vid, device.pid)},
                      {"name", device.name},
                      {"serial number", device.serial_number.empty() ? "(none)" : device.serial_number},
                      {"descriptor", device.descriptor_text.empty() ? "(none)" : device.descriptor_text},
                      {"device path", device.device_path}},
                     out, 2);
}

void print_firmware(const uvc::Result<std::string>& version, std::ostream& out) {
    out << "Firmware\n";
    print_key_values({{"version", version.ok() ? version.value() : "not reachable: " + version.status().message()}},
                     out, 2);
}

ToolJson info_json(const uvc::Device& device, const uvc::Status& flash_check, const uvc::Result<std::string>& version) {
    ToolJson json = camera_json(device.info());
    json["descriptor_text"] = device.info().descriptor_text;
    json["capability"] = capability_json(device, flash_check);
    json["firmware"] = version.ok() ? ToolJson{{"reachable", true}, {"version", version.value()}}
                                    : ToolJson{{"reachable", false}, {"problem", version.status().message()}};
    return json;
}

}  // namespace

int run_info(const ToolContext& context) {
    if (const int usage = check_positionals(context, "info", 0); usage != kExitSuccess) return usage;
    if (const auto problem = check_selection_options(context.options); !problem.empty()) {
        return report_usage_error(problem, find_command("info"), context.err);
    }
    const SelectedCamera selected = select_device(context.options);
    if (!selected.device) return report_selection_problem(selected, "info", context.err);
    const uvc::DeviceInfo& device = *selected.device;

    // Open with the flash check first, so the report can say whether the flash
    // answers; a camera whose flash fails is still worth describing, and once
    // its capability probe answered the command has done its job (exit 0).
    uvc::Status flash_check;
    auto opened = uvc::open_device(device, uvc::OpenDeviceOptions{kRequireFlash});
    if (!opened.ok()) {
        flash_check = opened.status();
        opened = uvc::open_device(device, uvc::OpenDeviceOptions{kRequireNothing});
        if (!opened.ok()) return report_failure(opened.status(), context.err);
    }
    const auto version = uvc::read_firmware_version(selection_config(device));
    if (context.options.has("json")) {
        context.out << dump_tool_json(info_json(opened.value(), flash_check, version));
        return kExitSuccess;
    }
    print_identity(device, context.out);
    print_capability_summary(opened.value(), flash_check, context.out);
    print_firmware(version, context.out);
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
