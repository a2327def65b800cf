// scan_devices: the public listing of attached supported cameras.
#include "velmora/uvc_stereo/scan.hpp"

#include "discovery/device_enumeration.hpp"
#include "vendor/vendor_session.hpp"
#include "vendor/vendor_status.hpp"

namespace velmora::uvc_stereo {

Result<std::vector<DeviceInfo>> scan_devices() { return scan_devices(DeviceScanFilter{}); }

Result<std::vector<DeviceInfo>> scan_devices(const DeviceScanFilter& filter) {
    win_detail::VendorSession vendor;
    if (!vendor.try_initialize()) {
        if (win_detail::is_no_device_error(win_detail::get_vendor_error_code(nullptr))) {
            return std::vector<DeviceInfo>{};
        }
        return win_detail::VendorSession::init_failure(ErrorCode::BackendError);
    }
    Result<std::vector<win_detail::EnumeratedDevice>> listed =
        win_detail::enumerate_devices_with_active_runtime(vendor, filter, true);
    if (!listed.ok()) return listed.status();

    std::vector<DeviceInfo> infos;
    infos.reserve(listed.value().size());
    for (win_detail::EnumeratedDevice& device : listed.value()) infos.push_back(std::move(device.info));
    return infos;
}

}  // namespace velmora::uvc_stereo
