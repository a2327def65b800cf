// scan_devices: the public listing of attached supported cameras.
#include "velmora/uvc_stereo/scan.hpp"

#include "discovery/device_enumeration.hpp"
#include "transport/sonix_global_lock.hpp"
#include "transport/vendor_status.hpp"

namespace velmora::uvc_stereo {

namespace {

// Balances a successful SonixCam_Init on every way out, exceptions included.
class VendorRuntimeRelease {
public:
    VendorRuntimeRelease() = default;
    ~VendorRuntimeRelease() { (void)SonixCam_UnInit(); }
    VendorRuntimeRelease(const VendorRuntimeRelease&) = delete;
    VendorRuntimeRelease& operator=(const VendorRuntimeRelease&) = delete;
};

Result<std::vector<win_detail::EnumeratedDevice>> enumerate_under_runtime(const DeviceScanFilter& filter) {
    const VendorRuntimeRelease release;
    return win_detail::enumerate_devices_with_active_runtime(filter, true);
}

}  // namespace

Result<std::vector<DeviceInfo>> scan_devices() { return scan_devices(DeviceScanFilter{}); }

Result<std::vector<DeviceInfo>> scan_devices(const DeviceScanFilter& filter) {
    const win_detail::SonixGlobalLock lock;
    if (!SonixCam_Init()) {
        if (win_detail::is_no_device_error(win_detail::get_vendor_error_code(nullptr))) {
            return std::vector<DeviceInfo>{};
        }
        return win_detail::make_vendor_status(ErrorCode::BackendError, "SonixCam_Init", nullptr);
    }
    Result<std::vector<win_detail::EnumeratedDevice>> listed = enumerate_under_runtime(filter);
    if (!listed.ok()) return listed.status();

    std::vector<DeviceInfo> infos;
    infos.reserve(listed.value().size());
    for (win_detail::EnumeratedDevice& device : listed.value()) infos.push_back(std::move(device.info));
    return infos;
}

}  // namespace velmora::uvc_stereo
