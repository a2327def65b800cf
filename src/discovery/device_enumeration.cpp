// Enumeration of the attached whitelisted cameras through the vendor library.
#include "discovery/device_enumeration.hpp"

#include <algorithm>
#include <optional>

#include "discovery/opencv_indices.hpp"
#include "discovery/scan_whitelist.hpp"
#include "discovery/vendor_record_text.hpp"
#include "discovery/windows_usb_identity.hpp"
#include "transport/vendor/vendor_status.hpp"

namespace velmora::uvc_stereo::win_detail {

namespace {

constexpr std::uint8_t kNameSelector = 2;
constexpr std::uint8_t kDescriptorTextSelector = 3;
constexpr std::uint8_t kSerialNumberSelector = 4;

// A failed enumeration means "no camera" when the library-wide code says so,
// or when it found nothing, whatever the code: the codes the library leaves
// behind when nothing is attached are not known, and the library-wide code
// may be a stale one from an earlier call. Only a failure that still reports
// devices is an error.
bool is_empty_enumeration(std::uint32_t count) {
    SonixLib::scErrorCode_t code = SonixLib::ecUnknow;
    const bool code_read = SonixCam_GetErrorCode(nullptr, &code);
    return (code_read && is_no_device_error(code)) || count == 0;
}

bool identify(SonixLib::scDevice_t& record, DeviceInfo& info) {
    if (detail::read_descriptor_ids(record, info.device_path, info.vid, info.pid)) return true;
    return detail::parse_vid_pid(info.device_path, info.vid, info.pid);
}

void read_descriptor_texts(SonixLib::scDevice_t& record, DeviceInfo& info) {
    (void)detail::read_descriptor_text(record, kDescriptorTextSelector, info.descriptor_text);
    std::string name;
    if (detail::read_descriptor_text(record, kNameSelector, name) && !name.empty()) info.name = std::move(name);
    (void)detail::read_descriptor_text(record, kSerialNumberSelector, info.serial_number);
}

bool passes_filter(const DeviceScanFilter& filter, const DeviceInfo& info) {
    if (filter.vid && *filter.vid != info.vid) return false;
    if (filter.pid && *filter.pid != info.pid) return false;
    return !(filter.require_serial_number && info.serial_number.empty());
}

// The DeviceInfo of one record, or nothing when the record is left out.
std::optional<DeviceInfo> describe_record(SonixLib::scDevice_t& record, const DeviceScanFilter& filter) {
    DeviceInfo info;
    info.device_path = detail::record_text_to_utf8(record.device_path);
    info.name = detail::record_text_to_utf8(record.name);
    if (!identify(record, info)) return std::nullopt;
    if (!detail::is_whitelisted(info.vid, info.pid)) return std::nullopt;
    read_descriptor_texts(record, info);
    if (!passes_filter(filter, info)) return std::nullopt;
    return info;
}

}  // namespace

Result<std::vector<EnumeratedDevice>> enumerate_devices_with_active_runtime(const DeviceScanFilter& filter,
                                                                           bool with_opencv_indices) {
    std::vector<SonixLib::scDevice_t> records(SonixLib::kMaxEnumeratedCameras);
    std::uint32_t count = 0;
    if (!SonixCam_EnumCameras(&count, records.data(), SonixLib::kMaxEnumeratedCameras)) {
        if (is_empty_enumeration(count)) return std::vector<EnumeratedDevice>{};
        return make_vendor_status(ErrorCode::BackendError, "SonixCam_EnumCameras", nullptr);
    }
    count = std::min(count, SonixLib::kMaxEnumeratedCameras);

    std::vector<EnumeratedDevice> devices;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::optional<DeviceInfo> info = describe_record(records[i], filter);
        if (info) devices.push_back(EnumeratedDevice{records[i], std::move(*info)});
    }
    if (with_opencv_indices) detail::attach_opencv_indices(devices);
    return devices;
}

}  // namespace velmora::uvc_stereo::win_detail
