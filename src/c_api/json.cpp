// The flash JSON document through the C library.
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "c_api/boundary.hpp"
#include "c_api/device_handle.hpp"
#include "c_api/last_error.hpp"

namespace velmora::uvc_stereo::c_api {

namespace {

int read_json_into(velmora_uvc_stereo_device* device, std::uint16_t* out_version, char** out_json_utf8,
                   size_t* out_json_utf8_len) {
    HandleLock guard(device->lock);
    Result<ReadJsonResult> read = device->device.read_json();
    if (!read.ok()) return record_status(nullptr, read.status());
    const std::string& json = read.value().json;
    auto* buffer = static_cast<char*>(std::malloc(json.size() + 1));
    if (buffer == nullptr) return set_last_error(nullptr, kCodeInternalError, "memory allocation failed");
    std::memcpy(buffer, json.data(), json.size());
    buffer[json.size()] = '\0';
    *out_json_utf8 = buffer;
    *out_version = read.value().version;
    *out_json_utf8_len = json.size();
    return record_success(nullptr);
}

}  // namespace

}  // namespace velmora::uvc_stereo::c_api

namespace c_api = velmora::uvc_stereo::c_api;

extern "C" int velmora_uvc_stereo_device_read_json(velmora_uvc_stereo_device* device, uint16_t* out_version,
                                                   char** out_json_utf8, size_t* out_json_utf8_len) {
    if (device == nullptr) return c_api::fail_invalid_argument(nullptr, "device is null");
    if (out_version == nullptr || out_json_utf8 == nullptr || out_json_utf8_len == nullptr) {
        return c_api::fail_invalid_argument(nullptr, "out_version/out_json_utf8/out_json_utf8_len is null");
    }
    *out_version = 0;
    *out_json_utf8 = nullptr;
    *out_json_utf8_len = 0;
    return c_api::guarded_call(nullptr,
                               [&] { return c_api::read_json_into(device, out_version, out_json_utf8, out_json_utf8_len); });
}

extern "C" int velmora_uvc_stereo_device_write_json(velmora_uvc_stereo_device* device, const char* json_utf8,
                                                    size_t json_utf8_len) {
    if (device == nullptr) return c_api::fail_invalid_argument(nullptr, "device is null");
    if (json_utf8 == nullptr) return c_api::fail_invalid_argument(nullptr, "json_utf8 is null");
    // A length of 0 means the text ends at its first NUL.
    const std::string_view text = json_utf8_len == 0 ? std::string_view(json_utf8)
                                                     : std::string_view(json_utf8, json_utf8_len);
    return c_api::guarded_call(nullptr, [&] {
        c_api::HandleLock guard(device->lock);
        return c_api::record_status(nullptr, device->device.write_json(text));
    });
}
