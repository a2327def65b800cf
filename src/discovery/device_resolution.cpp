// Finding the camera that a FlashConfig selects in a fresh enumeration.
#include "discovery/device_resolution.hpp"

#include "discovery/windows_usb_identity.hpp"

namespace velmora::uvc_stereo::win_detail {

namespace {

using DeviceList = std::vector<EnumeratedDevice>;

Status unavailable(const char* message) { return Status(ErrorCode::DeviceUnavailable, message); }

bool has_selector(const FlashConfig& config) {
    return config.auto_select || !config.vidpid.empty() || !config.device_path.empty() ||
           !config.serial_number.empty();
}

DeviceScanFilter resolution_filter(const FlashConfig& config) {
    DeviceScanFilter filter;
    if (config.filter_vid != 0) filter.vid = config.filter_vid;
    if (config.filter_pid != 0) filter.pid = config.filter_pid;
    return filter;
}

// The first device the predicate accepts, else the failure.
template <typename Predicate>
Result<EnumeratedDevice> first_match(const DeviceList& devices, Predicate accepts, const char* failure) {
    for (const EnumeratedDevice& device : devices) {
        if (accepts(device.info)) return device;
    }
    return unavailable(failure);
}

// Exactly one rule applies: an explicit path never falls back to the serial
// number or the ids, and a serial number never falls back to the ids alone.
Result<EnumeratedDevice> choose_device(const FlashConfig& config, const DeviceList& devices) {
    if (!config.device_path.empty()) {
        return first_match(
            devices,
            [&](const DeviceInfo& info) { return detail::equals_ignore_ascii_case(info.device_path, config.device_path); },
            "preferred device_path not found in current scan");
    }
    if (!config.serial_number.empty()) {
        return first_match(
            devices,
            [&](const DeviceInfo& info) {
                return detail::equals_ignore_ascii_case(info.serial_number, config.serial_number) &&
                       detail::vidpid_matches(config.vidpid, info.vid, info.pid);
            },
            "preferred serial_number not found in current scan");
    }
    return first_match(
        devices, [&](const DeviceInfo& info) { return detail::vidpid_matches(config.vidpid, info.vid, info.pid); },
        "no device matched the requested vidpid/filter");
}

}  // namespace

Result<EnumeratedDevice> resolve_device_with_active_runtime(VendorSession& session, const FlashConfig& config,
                                                            bool with_opencv_indices) {
    if (!has_selector(config)) {
        return unavailable("no device selector available (check config.vidpid or auto_select filter)");
    }
    Result<DeviceList> listed =
        enumerate_devices_with_active_runtime(session, resolution_filter(config), with_opencv_indices);
    if (!listed.ok()) return listed.status();
    if (listed.value().empty()) return unavailable("no matching device found");
    return choose_device(config, listed.value());
}

}  // namespace velmora::uvc_stereo::win_detail
