// The scan command: the attached cameras as a table or as JSON.
#include <ostream>

#include <velmora/uvc_stereo/opencv_backend.hpp>
#include <velmora/uvc_stereo/scan.hpp>

#include "camera/camera_library.hpp"
#include "commands.hpp"
#include "camera/device_selection.hpp"
#include "output/error_report.hpp"
#include "output/json_text.hpp"
#include "camera/open_camera.hpp"
#include "output/text_table.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

std::string opencv_cell(const uvc::DeviceInfo& device) {
    std::string cell;
    for (const auto& [backend, index] : device.opencv_indices) {
        if (!cell.empty()) cell += ' ';
        cell += std::string(uvc::opencv_backend_name(backend)) + "=" + std::to_string(index);
    }
    return cell.empty() ? "-" : cell;
}

std::string or_dash(const std::string& text) { return text.empty() ? "-" : text; }

void print_table(const std::vector<uvc::DeviceInfo>& devices, std::ostream& out) {
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
        table.add_row({std::to_string(i), format_vid_pid(device.vid, device.pid), or_dash(device.name),
                       or_dash(device.serial_number), opencv_cell(device), or_dash(device.device_path)});
    }
    table.print(out);
    out << '\n' << devices.size() << (devices.size() == 1 ? " camera" : " cameras") << " found.\n";
}

std::string device_json(const uvc::DeviceInfo& device, std::size_t index) {
    std::string json = "{\"index\":" + std::to_string(index);
    json += ",\"vid\":" + std::to_string(device.vid);
    json += ",\"pid\":" + std::to_string(device.pid);
    json += ",\"vid_pid\":" + json_quote(format_vid_pid(device.vid, device.pid));
    json += ",\"name\":" + json_quote(device.name);
    json += ",\"serial_number\":" + json_quote(device.serial_number);
    json += ",\"descriptor_text\":" + json_quote(device.descriptor_text);
    json += ",\"device_path\":" + json_quote(device.device_path);
    json += ",\"opencv\":[";
    bool first = true;
    for (const auto& [backend, backend_index] : device.opencv_indices) {
        if (!first) json += ',';
        first = false;
        json += "{\"backend\":" + json_quote(uvc::opencv_backend_name(backend));
        json += ",\"api\":" + std::to_string(static_cast<std::int32_t>(backend));
        json += ",\"index\":" + std::to_string(backend_index) + "}";
    }
    return json + "]}";
}

void print_json(const std::vector<uvc::DeviceInfo>& devices, std::ostream& out) {
    std::string json = "[";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (i != 0) json += ',';
        json += device_json(devices[i], i);
    }
    out << pretty_print_json(json + "]") << '\n';
}

}  // namespace

int run_scan(const ToolContext& context) {
    if (const int usage = check_positionals(context, "scan", 0); usage != kExitSuccess) return usage;
    const auto scanned = uvc::scan_devices();
    if (!scanned.ok()) return report_failure(scanned.status(), context.err);
    if (context.options.has("json")) {
        print_json(scanned.value(), context.out);
    } else {
        print_table(scanned.value(), context.out);
    }
    // A camera this user may not open is listed all the same, with what to do.
    for (const auto& device : scanned.value()) {
        if (const std::string note = camera_access_note(device); !note.empty()) context.err << "note: " << note << '\n';
    }
    return kExitSuccess;
}

}  // namespace velmora::stereo_tool
