// The C interface with arbitrary caller structures: any bytes as a
// velmora_uvc_stereo_device_info (unterminated texts, any counts) into
// velmora_uvc_stereo_open_device, with any required_capabilities, and any
// struct_size into the capability query. The virtual camera's default
// scenario supplies the cameras. Checked: the validation failures and their
// texts, the return code against the handle and the last-error text, that an
// opened device describes itself as it was described, that the capability
// query writes exactly its 176 bytes or nothing, and that no vendor session
// or lock is left behind.
//
// Input: [0..3] required_capabilities, [4..7] struct_size (little-endian),
// [8] flags (kNullOptions), then the device_info bytes, zero-padded.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "core/test_control.hpp"
#include "property_check.hpp"
#include "velmora_uvc_stereo_c.h"
#include "vendor_state_check.hpp"

namespace {

namespace uvc = velmora::uvc_stereo;
using uvc::fuzzing::require;
using CDeviceInfo = struct velmora_uvc_stereo_device_info;

constexpr std::size_t kPrefixSize = 9;
constexpr std::uint8_t kNullOptions = 0x01;
constexpr std::size_t kCapabilityInfoSize = VELMORA_UVC_STEREO_CAPABILITY_INFO_SIZE;
// The capability query gets a buffer larger than the structure, so bytes it
// must leave alone can be watched.
constexpr std::size_t kCapabilityBufferSize = 512;
constexpr std::uint8_t kCanary = 0xA5;

std::uint32_t le32(const std::uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

template <std::size_t N>
std::string bounded(const char (&field)[N]) {
    return std::string(field, std::find(field, field + N, '\0'));
}

std::string last_error() {
    const char* message = nullptr;
    std::size_t length = 0;
    require(velmora_uvc_stereo_last_error_message(&message, &length) == 0 && message != nullptr,
            "the last error can be read");
    require(std::strlen(message) == length, "the last error's length is its text's");
    return std::string(message, length);
}

bool known_backend(std::int32_t backend) {
    return backend == VELMORA_UVC_STEREO_CAP_V4L2 || backend == VELMORA_UVC_STEREO_CAP_DSHOW ||
           backend == VELMORA_UVC_STEREO_CAP_MSMF || backend == VELMORA_UVC_STEREO_CAP_GSTREAMER;
}

// The structure's own validation, in its order; empty when it passes.
std::string expected_validation_failure(const CDeviceInfo& info) {
    if (info.vid == 0 || info.pid == 0) return "device vid/pid is invalid";
    if (info.opencv_index_count > VELMORA_UVC_STEREO_MAX_OPENCV_INDICES) return "opencv backend index count is too large";
    for (std::size_t i = 0; i < info.opencv_index_count; ++i) {
        if (!known_backend(info.opencv_indices[i].backend)) return "unsupported opencv backend";
        if (info.opencv_indices[i].index < 0) return "opencv backend index is negative";
        for (std::size_t earlier = 0; earlier < i; ++earlier) {
            if (info.opencv_indices[earlier].backend == info.opencv_indices[i].backend) {
                return "duplicated opencv backend entry";
            }
        }
    }
    return {};
}

std::set<std::pair<std::int32_t, std::int32_t>> entries_of(const CDeviceInfo& info) {
    std::set<std::pair<std::int32_t, std::int32_t>> entries;
    for (std::size_t i = 0; i < info.opencv_index_count && i < VELMORA_UVC_STEREO_MAX_OPENCV_INDICES; ++i) {
        entries.emplace(info.opencv_indices[i].backend, info.opencv_indices[i].index);
    }
    return entries;
}

template <std::size_t N>
void require_text_kept(const char (&given)[N], const char (&described)[N], const char* property) {
    require(bounded(described) == bounded(given).substr(0, N - 1), property);
}

// An opened device describes itself as the caller described it, texts cut to
// what the structure holds with a terminator.
void check_description(velmora_uvc_stereo_device* device, const CDeviceInfo& given) {
    CDeviceInfo described;
    std::memset(&described, 0xCC, sizeof(described));
    require(velmora_uvc_stereo_device_info(device, &described) == 0, "an open device describes itself", last_error());
    require(described.vid == given.vid && described.pid == given.pid && described.aux_flag_0 == given.aux_flag_0 &&
                described.aux_flag_1 == given.aux_flag_1,
            "ids and flags are kept");
    require_text_kept(given.serial_number, described.serial_number, "the serial number is kept");
    require_text_kept(given.descriptor_text, described.descriptor_text, "the descriptor text is kept");
    require_text_kept(given.name, described.name, "the name is kept");
    require_text_kept(given.aux_text, described.aux_text, "the aux text is kept");
    require_text_kept(given.device_path, described.device_path, "the device path is kept");
    require(described.opencv_index_count == given.opencv_index_count && entries_of(described) == entries_of(given),
            "the OpenCV indices are kept");
}

void check_capability_query(velmora_uvc_stereo_device* device, std::uint32_t struct_size) {
    std::array<std::uint8_t, kCapabilityBufferSize> buffer;
    buffer.fill(kCanary);
    std::memcpy(buffer.data(), &struct_size, sizeof(struct_size));
    const auto untouched = buffer;
    auto* info = reinterpret_cast<velmora_uvc_stereo_capability_info*>(buffer.data());
    const int code = velmora_uvc_stereo_device_capability_info(device, info);
    if (struct_size < kCapabilityInfoSize) {
        require(code == VELMORA_UVC_STEREO_ERROR_INVALID_ARGUMENT &&
                    last_error() == "capability info struct_size is smaller than the current ABI structure",
                "a short struct_size is refused");
        require(buffer == untouched, "a refused query writes nothing");
        return;
    }
    require(code == 0, "the capability query succeeds", last_error());
    require(info->struct_size == kCapabilityInfoSize, "struct_size is written back as 176");
    require(std::equal(buffer.begin() + kCapabilityInfoSize, buffer.end(), untouched.begin() + kCapabilityInfoSize),
            "bytes beyond the structure stay untouched");
    require(info->state == VELMORA_UVC_STEREO_CAPABILITY_REPORTED || info->state == VELMORA_UVC_STEREO_CAPABILITY_LEGACY,
            "an open device knows its capability state");
    require(std::memchr(info->message, '\0', sizeof(info->message)) != nullptr &&
                std::memchr(info->imu_model, '\0', sizeof(info->imu_model)) != nullptr,
            "the capability texts are terminated");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    uvc::test_control::set_pauses_skipped(true);
    vcam_load_default_scenario();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kPrefixSize) return 0;
    velmora_uvc_stereo_open_device_options options;
    options.required_capabilities = le32(data);
    const std::uint32_t struct_size = le32(data + 4);
    const bool null_options = (data[8] & kNullOptions) != 0;
    CDeviceInfo info;
    std::memset(&info, 0, sizeof(info));
    std::memcpy(&info, data + kPrefixSize, std::min(size - kPrefixSize, sizeof(info)));

    velmora_uvc_stereo_device* device = reinterpret_cast<velmora_uvc_stereo_device*>(&info);  // must be replaced
    const int code = velmora_uvc_stereo_open_device(&info, null_options ? nullptr : &options, &device);
    const std::string message = last_error();
    require(code >= 0 && code <= VELMORA_UVC_STEREO_ERROR_NOT_SUPPORTED, "the return code is a known code");
    require((code == 0) == (device != nullptr), "a handle exactly on success");
    require((code == 0) == message.empty(), "a message exactly on failure", message);
    const std::string invalid = expected_validation_failure(info);
    if (!invalid.empty()) {
        require(code == VELMORA_UVC_STEREO_ERROR_INVALID_ARGUMENT && message == invalid,
                "the structure's validation decides first", invalid + " / " + message);
    }
    if (device != nullptr) {
        check_description(device, info);
        check_capability_query(device, struct_size);
        velmora_uvc_stereo_close_device(device);
    }
    uvc::fuzzing::require_vendor_idle();
    // The call log would otherwise grow with every input, which libFuzzer's
    // per-input leak check takes for a leak.
    vcam_clear_call_log();
    return 0;
}
