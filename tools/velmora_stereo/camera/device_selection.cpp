// Choosing one camera from the scan by --index, --serial or --path, or the
// camera a backup names.
#include "camera/device_selection.hpp"

#include <cstdio>
#include <ostream>

#include <velmora/uvc_stereo/scan.hpp>

#include "commands.hpp"
#include "output/error_report.hpp"

namespace velmora::stereo_tool {
namespace {

namespace uvc = velmora::uvc_stereo;

constexpr std::size_t kVidPidTextSize = 16;

bool equals_ignoring_ascii_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

uvc::Status not_found(const std::string& message) { return uvc::Status(uvc::ErrorCode::DeviceUnavailable, message); }

// The scan, or the selection that says it failed.
bool scan(SelectedCamera& selected) {
    auto scanned = uvc::scan_devices();
    if (!scanned.ok()) {
        selected.failure = scanned.status();
        selected.scan_failed = true;
        return false;
    }
    selected.scanned = std::move(scanned.value());
    return true;
}

std::string attached_list(const std::vector<uvc::DeviceInfo>& devices) {
    if (devices.empty()) return "no camera is attached";
    std::string list = "attached: ";
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto& device = devices[i];
        if (i != 0) list += "; ";
        list += std::to_string(i) + ": " + format_vid_pid(device.vid, device.pid) +
                (device.serial_number.empty() ? " without serial number" : " serial " + device.serial_number) +
                " at " + device.device_path;
    }
    return list;
}

// Picks the cameras match accepts: none is a failure, two or more an ambiguity.
template <typename Match>
void pick(SelectedCamera& selected, const std::string& what, Match match) {
    std::vector<const uvc::DeviceInfo*> found;
    for (const auto& device : selected.scanned) {
        if (match(device)) found.push_back(&device);
    }
    if (found.size() == 1) {
        selected.device = *found.front();
    } else if (found.empty()) {
        selected.failure = not_found("no device with " + what + " found");
    } else {
        selected.ambiguity = std::to_string(found.size()) + " cameras report " + what + ":";
        for (const auto* device : found) selected.ambiguity += " " + device->device_path;
        selected.ambiguity += "; choose one with --path or --index";
    }
}

}  // namespace

std::string check_selection_options(const ParsedOptions& options) {
    const int given = static_cast<int>(options.has("index")) + static_cast<int>(options.has("serial")) +
                      static_cast<int>(options.has("path"));
    if (given > 1) return "choose the camera with only one of --index, --serial and --path";
    if (options.has("index") && !parse_unsigned(*options.value("index"))) {
        return "--index needs a whole number, 0 or more (got '" + *options.value("index") + "')";
    }
    if (options.has("serial") && options.value("serial")->empty()) return "--serial needs a non-empty value";
    if (options.has("path") && options.value("path")->empty()) return "--path needs a non-empty value";
    return {};
}

bool selection_given(const ParsedOptions& options) {
    return options.has("index") || options.has("serial") || options.has("path");
}

SelectedCamera select_device(const ParsedOptions& options) {
    SelectedCamera selected;
    if (!scan(selected)) return selected;
    if (selected.scanned.empty()) {
        selected.failure = not_found("no matching device found");
    } else if (const auto serial = options.value("serial")) {
        pick(selected, "serial number " + *serial,
             [&](const uvc::DeviceInfo& d) { return equals_ignoring_ascii_case(d.serial_number, *serial); });
    } else if (const auto path = options.value("path")) {
        pick(selected, "device path " + *path,
             [&](const uvc::DeviceInfo& d) { return equals_ignoring_ascii_case(d.device_path, *path); });
    } else {
        const auto index = options.has("index") ? parse_unsigned(*options.value("index")) : 0ULL;
        if (!index || *index >= selected.scanned.size()) {
            selected.failure = not_found("no device at index " + options.value("index").value_or("?") +
                                         " (the scan found " + std::to_string(selected.scanned.size()) + ")");
        } else {
            selected.device = selected.scanned[static_cast<std::size_t>(*index)];
        }
    }
    return selected;
}

SelectedCamera select_named_camera(std::uint16_t vid, std::uint16_t pid, const std::string& serial_number,
                                   const std::string& device_path) {
    SelectedCamera selected;
    if (!scan(selected)) return selected;
    const std::string ids = format_vid_pid(vid, pid);
    if (!serial_number.empty()) {
        pick(selected, "serial number " + serial_number, [&](const uvc::DeviceInfo& d) {
            return d.vid == vid && d.pid == pid && equals_ignoring_ascii_case(d.serial_number, serial_number);
        });
    } else {
        pick(selected, "ids " + ids + " at " + device_path, [&](const uvc::DeviceInfo& d) {
            return d.vid == vid && d.pid == pid && equals_ignoring_ascii_case(d.device_path, device_path);
        });
    }
    if (!selected.device && selected.ambiguity.empty()) {
        selected.failure = not_found("the backup's camera (" + ids +
                                     (serial_number.empty() ? " at " + device_path : " serial " + serial_number) +
                                     ") is not attached; " + attached_list(selected.scanned) +
                                     " (restore onto another camera with --index, --serial or --path and --force)");
    }
    return selected;
}

int report_selection_problem(const SelectedCamera& selected, const std::string& command, std::ostream& err) {
    if (!selected.ambiguity.empty()) return report_usage_error(selected.ambiguity, find_command(command), err);
    if (selected.scan_failed) {
        return report_failure("the camera library failed to list the cameras", selected.failure, err);
    }
    return report_failure(selected.failure, err);
}

std::vector<std::vector<std::size_t>> duplicate_serials(const std::vector<uvc::DeviceInfo>& devices) {
    std::vector<std::vector<std::size_t>> groups;
    std::vector<bool> grouped(devices.size(), false);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (grouped[i] || devices[i].serial_number.empty()) continue;
        std::vector<std::size_t> group{i};
        for (std::size_t j = i + 1; j < devices.size(); ++j) {
            if (equals_ignoring_ascii_case(devices[i].serial_number, devices[j].serial_number)) {
                group.push_back(j);
                grouped[j] = true;
            }
        }
        if (group.size() > 1) groups.push_back(std::move(group));
    }
    return groups;
}

uvc::FlashConfig selection_config(const uvc::DeviceInfo& device) {
    uvc::FlashConfig config;
    config.auto_select = false;
    char vidpid[kVidPidTextSize];
    std::snprintf(vidpid, sizeof vidpid, "%04x%04x", static_cast<unsigned>(device.vid),
                  static_cast<unsigned>(device.pid));
    config.vidpid = vidpid;
    config.aux_flag_0 = device.aux_flag_0;
    config.aux_flag_1 = device.aux_flag_1;
    config.serial_number = device.serial_number;
    config.device_path = device.device_path;
    return config;
}

std::string format_vid_pid(std::uint16_t vid, std::uint16_t pid) {
    char text[kVidPidTextSize];
    std::snprintf(text, sizeof text, "%04x:%04x", static_cast<unsigned>(vid), static_cast<unsigned>(pid));
    return text;
}

}  // namespace velmora::stereo_tool
