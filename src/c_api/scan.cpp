// Scanning through the C library: a malloc'ed device array, or a context's first device.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "c_api/boundary.hpp"
#include "c_api/context.hpp"
#include "c_api/device_info_conversion.hpp"
#include "c_api/last_error.hpp"
#include "velmora/uvc_stereo/scan.hpp"

namespace velmora::uvc_stereo::c_api {

namespace {

constexpr const char* kNoDevicesFound = "no devices found";

// Converts every device into a zero-filled malloc'ed array; on failure frees
// it and leaves *out_array null.
Status to_c_device_array(const std::vector<DeviceInfo>& devices, CDeviceInfo** out_array) {
    *out_array = nullptr;
    if (devices.size() > std::numeric_limits<std::size_t>::max() / sizeof(CDeviceInfo)) {
        return Status(ErrorCode::InternalError, "device list too large");
    }
    const std::size_t bytes = devices.size() * sizeof(CDeviceInfo);
    auto* array = static_cast<CDeviceInfo*>(std::malloc(bytes));
    if (array == nullptr) return Status(ErrorCode::InternalError, "memory allocation failed");
    std::memset(array, 0, bytes);
    for (std::size_t i = 0; i < devices.size(); ++i) {
        Status status = to_c_device_info(devices[i], &array[i]);
        if (!status.ok()) {
            std::free(array);
            return status;
        }
    }
    *out_array = array;
    return Status();
}

int scan_into_array(CDeviceInfo** out_devices, size_t* out_count) {
    Result<std::vector<DeviceInfo>> scanned = scan_devices();
    if (!scanned.ok()) return record_status(nullptr, scanned.status());
    const std::vector<DeviceInfo>& devices = scanned.value();
    if (devices.empty()) return set_last_error(nullptr, kCodeBackendError, kNoDevicesFound);
    CDeviceInfo* array = nullptr;
    Status status = to_c_device_array(devices, &array);
    if (!status.ok()) return record_status(nullptr, status);
    *out_devices = array;
    *out_count = devices.size();
    return record_success(nullptr);
}

int scan_first_into(velmora_uvc_stereo_ctx* ctx, CDeviceInfo* out_device) {
    Result<std::vector<DeviceInfo>> scanned = scan_devices();
    if (!scanned.ok()) return record_status(ctx, scanned.status());
    if (scanned.value().empty()) return set_last_error(ctx, kCodeBackendError, kNoDevicesFound);
    return record_status(ctx, to_c_device_info(scanned.value().front(), out_device));
}

}  // namespace

}  // namespace velmora::uvc_stereo::c_api

namespace c_api = velmora::uvc_stereo::c_api;

extern "C" int velmora_uvc_stereo_scan_devices(struct velmora_uvc_stereo_device_info** out_devices,
                                               size_t* out_count) {
    if (out_devices == nullptr || out_count == nullptr) {
        return c_api::fail_invalid_argument(nullptr, "out_devices/out_count is null");
    }
    *out_devices = nullptr;
    *out_count = 0;
    return c_api::guarded_call(nullptr, [&] { return c_api::scan_into_array(out_devices, out_count); });
}

extern "C" int velmora_uvc_stereo_ctx_scan(velmora_uvc_stereo_ctx* handle,
                                           struct velmora_uvc_stereo_device_info* out_device) {
    if (handle == nullptr) return c_api::fail_invalid_argument(nullptr, "handle is null");
    if (out_device == nullptr) return c_api::fail_invalid_argument(handle, "out_device is null");
    std::memset(out_device, 0, sizeof(*out_device));
    return c_api::guarded_call(handle, [&] { return c_api::scan_first_into(handle, out_device); });
}
