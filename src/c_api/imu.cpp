// The IMU session and IMU conversion through the C library.
#include <cstring>

#include "c_api/boundary.hpp"
#include "c_api/device_handle.hpp"
#include "c_api/imu_conversion.hpp"
#include "c_api/last_error.hpp"

namespace c_api = velmora::uvc_stereo::c_api;

extern "C" int velmora_uvc_stereo_device_open_imu(velmora_uvc_stereo_device* device) {
    if (device == nullptr) return c_api::fail_invalid_argument(nullptr, "device is null");
    return c_api::guarded_call(nullptr, [&] {
        c_api::HandleLock guard(device->lock);
        return c_api::record_status(nullptr, device->device.open_imu());
    });
}

extern "C" int velmora_uvc_stereo_device_close_imu(velmora_uvc_stereo_device* device) {
    if (device == nullptr) return c_api::fail_invalid_argument(nullptr, "device is null");
    return c_api::guarded_call(nullptr, [&] {
        c_api::HandleLock guard(device->lock);
        return c_api::record_status(nullptr, device->device.close_imu());
    });
}

extern "C" int velmora_uvc_stereo_device_read_imu(velmora_uvc_stereo_device* device,
                                                  velmora_uvc_stereo_read_imu_result* out_result) {
    if (device == nullptr) return c_api::fail_invalid_argument(nullptr, "device is null");
    if (out_result == nullptr) return c_api::fail_invalid_argument(nullptr, "out_result is null");
    std::memset(out_result, 0, sizeof(*out_result));
    return c_api::guarded_call(nullptr, [&] {
        c_api::HandleLock guard(device->lock);
        auto sample = device->device.read_imu();
        if (!sample.ok()) return c_api::record_status(nullptr, sample.status());
        c_api::to_c_read_imu_result(sample.value(), out_result);
        return c_api::record_success(nullptr);
    });
}

extern "C" int velmora_uvc_stereo_convert_imu(const velmora_uvc_stereo_read_imu_result* raw,
                                              const velmora_uvc_stereo_imu_conversion_options* options,
                                              velmora_uvc_stereo_converted_imu_result* out_result) {
    if (raw == nullptr || out_result == nullptr) return c_api::fail_invalid_argument(nullptr, "raw/out_result is null");
    std::memset(out_result, 0, sizeof(*out_result));
    return c_api::guarded_call(nullptr, [&] {
        auto converted = velmora::uvc_stereo::convert_imu(c_api::from_c_read_imu_result(*raw),
                                                          c_api::from_c_conversion_options(options));
        if (!converted.ok()) return c_api::record_status(nullptr, converted.status());
        c_api::to_c_converted_imu_result(converted.value(), out_result);
        return c_api::record_success(nullptr);
    });
}

extern "C" int velmora_uvc_stereo_device_convert_imu(velmora_uvc_stereo_device* device,
                                                     const velmora_uvc_stereo_read_imu_result* raw,
                                                     velmora_uvc_stereo_converted_imu_result* out_result) {
    if (device == nullptr || raw == nullptr || out_result == nullptr) {
        return c_api::fail_invalid_argument(nullptr, "device/raw/out_result is null");
    }
    std::memset(out_result, 0, sizeof(*out_result));
    return c_api::guarded_call(nullptr, [&] {
        c_api::HandleLock guard(device->lock);
        auto converted = device->device.convert_imu(c_api::from_c_read_imu_result(*raw));
        if (!converted.ok()) return c_api::record_status(nullptr, converted.status());
        c_api::to_c_converted_imu_result(converted.value(), out_result);
        return c_api::record_success(nullptr);
    });
}
