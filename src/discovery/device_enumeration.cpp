// Enumeration of the attached whitelisted cameras through the vendor library.
#include "discovery/device_enumeration.hpp"

#include <optional>

#include "discovery/opencv_indices.hpp"
#include "discovery/scan_whitelist.hpp"
#include "discovery/windows_usb_identity.hpp"

namespace velmora::uvc_stereo::win_detail {

namespace {

constexpr std::uint8_t kNameSelector = 2;
constexpr std::uint8_t kDescriptorTextSelector = 3;
constexpr std::uint8_t kSerialNumberSelector = 4;

bool identify(VendorSession& session, vendor::DeviceRecord& record, DeviceInfo& info) {
    if (detail::read_descriptor_ids(session, record, info.device_path, info.vid, info.pid)) return true;
    return detail::parse_vid_pid(info.device_path, info.vid, info.pid);
}

void read_descriptor_texts(VendorSession& session, vendor::DeviceRecord& record, DeviceInfo& info) {
    (void)detail::read_descriptor_text(session, record, kDescriptorTextSelector, info.descriptor_text);
    std::string name;
    if (detail::read_descriptor_text(session, record, kNameSelector, name) && !name.empty()) info.name = std::move(name);
    (void)detail::read_descriptor_text(session, record, kSerialNumberSelector, info.serial_number);
}

bool passes_filter(const DeviceScanFilter& filter, const DeviceInfo& info) {
    if (filter.vid && *filter.vid != info.vid) return false;
    if (filter.pid && *filter.pid != info.pid) return false;
    return !(filter.require_serial_number && info.serial_number.empty());
}

// The DeviceInfo of one record, or nothing when the record is left out.
std::optional<DeviceInfo> describe_record(VendorSession& session, vendor::DeviceRecord& record,
                                          const DeviceScanFilter& filter) {
    DeviceInfo info;
    info.device_path = vendor::record_path(record);
    info.name = vendor::record_name(record);
    if (!identify(session, record, info)) return std::nullopt;
    if (!detail::is_whitelisted(info.vid, info.pid)) return std::nullopt;
    read_descriptor_texts(session, record, info);
    if (!passes_filter(filter, info)) return std::nullopt;
    return info;
}

}  // namespace

Result<std::vector<EnumeratedDevice>> enumerate_devices_with_active_runtime(VendorSession& session,
                                                                           const DeviceScanFilter& filter,
                                                                           bool with_opencv_indices) {
    Result<std::vector<vendor::DeviceRecord>> records = vendor::enumerate(session);
    if (!records.ok()) return records.status();

    std::vector<EnumeratedDevice> devices;
    for (vendor::DeviceRecord& record : records.value()) {
        std::optional<DeviceInfo> info = describe_record(session, record, filter);
        if (info) devices.push_back(EnumeratedDevice{record, std::move(*info)});
    }
    if (with_opencv_indices) detail::attach_opencv_indices(session, devices);
    return devices;
}

}  // namespace velmora::uvc_stereo::win_detail
