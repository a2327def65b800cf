// The scan command: the attached cameras as a table or as JSON, with cameras
// that report the same serial number flagged.
#include <algorithm>
#include <ostream>

#include <velmora/uvc_stereo/opencv_backend.hpp>
#include <velmora/uvc_stereo/scan.hpp>

#include "camera/device_selection.hpp"
#include "camera/open_camera.hpp"
#include "commands.hpp"
#include "output/error_report.hpp"
#include "output/text_table.hpp"
#include "output/tool_json.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

using DuplicateGroups = std::vector<std::vector<std::size_t>>;

std::string opencv_cell(const uvc::DeviceInfo& device) {
    std::string cell;
    for (const auto& [backend, index] : device.opencv_indices) {
        if (!cell.empty()) cell += ' ';
        cell += std::string(uvc::opencv_backend_name(backend)) + "=" + std::to_string(index);
    }
    return cell.empty() ? "-" : cell;
}

std::string or_dash(const std::string& text) { return text.empty() ? "-" : text; }

bool is_duplicate(const DuplicateGroups& groups, std::size_t index) {
    return std::any_of(groups.begin(), groups.end(), [&](const std::vector<std::size_t>& group) {
        return std::find(group.begin(), group.end(), index) != group.end();
    });
}

void print_duplicate_warnings(const std::vector<uvc::DeviceInfo>& devices, const DuplicateGroups& groups,
                              std::ostream& err) {
    for (const auto& group : groups) {
        err << "warning: " << group.size() << " cameras report the serial number "
            << devices[group.front()].serial_number << ":";
        for (const std::size_t index : group) err << " #" << index << " " << devices[index].device_path;
        err << "; --serial cannot tell them apart, choose them with --index or --path\n";
    }
}

void print_table(const std::vector<uvc::DeviceInfo>& devices, const DuplicateGroups& groups, std::ostream& out) {
    if (devices.empty()) {
        out << "No supported camera found.\n";
        return;
    }
    TextTable table({{"#", Align::Right},
                     {"VID:PID"},
                     {"Name"},
                     {"Serial"},
                     {"OpenCV index"},
                     {"Device path"}});
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto& device = devices[i];
        const std::string serial = or_dash(device.serial_number) + (is_duplicate(groups, i) ? " (duplicate)" : "");
        table.add_row({std::to_string(i), format_vid_pid(device.vid, device.pid), or_dash(device.name), serial,
                       opencv_cell(device), or_dash(device.device_path)});
    }
    table.print(out);
    out << '\n' << devices.size() << (devices.size() == 1 ? " camera" : " cameras") << " found.\n";
}

ToolJson device_json(const uvc::DeviceInfo& device, std::size_t index, bool duplicate) {
    ToolJson json;
    json["index"] = index;
    json["vid"] = device.vid;
    json["pid"] = device.pid;
    json["vid_pid"] = format_vid_pid(device.vid, device.pid);
    json["name"] = device.name;
    json["serial_number"] = device.serial_number;
    json["duplicate_serial"] = duplicate;
    json["descriptor_text"] = device.descriptor_text;
    json["device_path"] = device.device_path;
    ToolJson opencv = ToolJson::array();
    for (const auto& [backend, backend_index] : device.opencv_indices) {
        opencv.push_back({{"backend", uvc::opencv_backend_name(backend)},
                          {"api", static_cast<std::int32_t>(backend)},
                          {"index", backend_index}});
    }
    json["opencv"] = opencv;
    return json;
}

}  // namespace

int run_scan(const ToolContext& context) {
    if (const int usage = check_positionals(context, "scan", 0); usage != kExitSuccess) return usage;
    const auto scanned = uvc::scan_devices();
    if (!scanned.ok()) {
        return report_failure("the camera library failed to list the cameras", scanned.status(), context.err);
    }
    const auto& devices = scanned.value();
    const DuplicateGroups groups = duplicate_serials(devices);
    if (context.options.has("json")) {
        ToolJson list = ToolJson::array();
        for (std::size_t i = 0; i < devices.size(); ++i) list.push_back(device_json(devices[i], i, is_duplicate(groups, i)));
        context.out << dump_tool_json(list);
    } else {
        print_table(devices, groups, context.out);
    }
    print_duplicate_warnings(devices, groups, context.err);
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
