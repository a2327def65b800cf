// Choosing one camera from the scan by --index, --serial or --path.
#include "camera/device_selection.hpp"

#include <cstdio>
#include <vector>

#include <velmora/uvc_stereo/scan.hpp>

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

uvc::Result<uvc::DeviceInfo> find_by(const std::vector<uvc::DeviceInfo>& devices, const std::string& wanted,
                                     std::string uvc::DeviceInfo::*field, const std::string& what) {
    for (const auto& device : devices) {
        if (equals_ignoring_ascii_case(device.*field, wanted)) return device;
    }
    return not_found("no device with " + what + " " + wanted + " found");
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

uvc::Result<uvc::DeviceInfo> select_device(const ParsedOptions& options) {
    auto scanned = uvc::scan_devices();
    if (!scanned.ok()) return scanned.status();
    const auto& devices = scanned.value();
    if (devices.empty()) return not_found("no matching device found");
    if (const auto serial = options.value("serial")) {
        return find_by(devices, *serial, &uvc::DeviceInfo::serial_number, "serial number");
    }
    if (const auto path = options.value("path")) {
        return find_by(devices, *path, &uvc::DeviceInfo::device_path, "device path");
    }
    const auto index = options.has("index") ? parse_unsigned(*options.value("index")) : 0ULL;
    if (!index || *index >= devices.size()) {
        return not_found("no device at index " + options.value("index").value_or("?") + " (the scan found " +
                         std::to_string(devices.size()) + ")");
    }
    return devices[static_cast<std::size_t>(*index)];
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
