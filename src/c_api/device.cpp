// Opening and closing devices and reading their descriptions through the C library.
#include <cstring>
#include <memory>
#include <utility>

#include "c_api/boundary.hpp"
#include "c_api/capability_info_conversion.hpp"
#include "c_api/device_handle.hpp"
#include "c_api/device_info_conversion.hpp"
#include "c_api/last_error.hpp"

namespace velmora::uvc_stereo::c_api {

namespace {

int open_into(const CDeviceInfo* description, const velmora_uvc_stereo_open_device_options* options,
              velmora_uvc_stereo_device** out_device) {
    Status valid = validate_c_device_info(description);
    if (!valid.ok()) return record_status(nullptr, valid);
    OpenDeviceOptions open_options;
    if (options != nullptr) open_options.required_capabilities = options->required_capabilities;
    Result<Device> opened = open_device(from_c_device_info(*description), open_options);
    if (!opened.ok()) return record_status(nullptr, opened.status());
    // An allocation failure here destroys the opened Device on the way out.
    auto handle = std::make_unique<velmora_uvc_stereo_device>(std::move(opened.value()));
    *out_device = handle.release();
    return record_success(nullptr);
}

}  // namespace

}  // namespace velmora::uvc_stereo::c_api

namespace c_api = velmora::uvc_stereo::c_api;

extern "C" int velmora_uvc_stereo_open_device(const struct velmora_uvc_stereo_device_info* device,
                                              const velmora_uvc_stereo_open_device_options* options,
                                              velmora_uvc_stereo_device** out_device) {
    if (out_device == nullptr) return c_api::fail_invalid_argument(nullptr, "out_device is null");
    *out_device = nullptr;
    return c_api::guarded_call(nullptr, c_api::AllocationFailureText::OutOfMemory,
                               [&] { return c_api::open_into(device, options, out_device); });
}

extern "C" void velmora_uvc_stereo_close_device(velmora_uvc_stereo_device* device) { delete device; }

extern "C" int velmora_uvc_stereo_device_info(velmora_uvc_stereo_device* device,
                                              struct velmora_uvc_stereo_device_info* out_device_info) {
    if (device == nullptr) return c_api::fail_invalid_argument(nullptr, "device is null");
    if (out_device_info == nullptr) return c_api::fail_invalid_argument(nullptr, "out_device_info is null");
    return c_api::guarded_call(nullptr, [&] {
        c_api::HandleLock guard(device->lock);
        return c_api::record_status(nullptr, c_api::to_c_device_info(device->device.info(), out_device_info));
    });
}

extern "C" int velmora_uvc_stereo_device_capability_info(velmora_uvc_stereo_device* device,
                                                         velmora_uvc_stereo_capability_info* out_info) {
    if (device == nullptr) return c_api::fail_invalid_argument(nullptr, "device is null");
    if (out_info == nullptr) return c_api::fail_invalid_argument(nullptr, "out_info is null");
    return c_api::guarded_call(nullptr, [&] {
        c_api::HandleLock guard(device->lock);
        return c_api::record_status(nullptr,
                                    c_api::to_c_capability_info(device->device.capability_info(), out_info));
    });
}

extern "C" void velmora_uvc_stereo_capability_info_init(velmora_uvc_stereo_capability_info* info) {
    if (info == nullptr) return;
    std::memset(info, 0, sizeof(*info));
    info->struct_size = VELMORA_UVC_STEREO_CAPABILITY_INFO_SIZE;
}
