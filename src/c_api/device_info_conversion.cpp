// Conversions between DeviceInfo and the C library's fixed-size device structure.
#include "c_api/device_info_conversion.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "c_api/fixed_text.hpp"

namespace velmora::uvc_stereo::c_api {

namespace {

constexpr std::uint64_t kMaxOpenCvIndices = VELMORA_UVC_STEREO_MAX_OPENCV_INDICES;

bool is_known_backend(std::int32_t backend) {
    switch (static_cast<OpenCvBackend>(backend)) {
        case OpenCvBackend::CAP_V4L2:
        case OpenCvBackend::CAP_DSHOW:
        case OpenCvBackend::CAP_MSMF:
        case OpenCvBackend::CAP_GSTREAMER:
            return true;
    }
    return false;
}

Status invalid(const char* message) { return Status(ErrorCode::InvalidArgument, message); }

Status validate_entry(const CDeviceInfo& info, std::size_t position) {
    const velmora_uvc_stereo_opencv_index& entry = info.opencv_indices[position];
    if (!is_known_backend(entry.backend)) return invalid("unsupported opencv backend");
    if (entry.index < 0) return invalid("opencv backend index is negative");
    for (std::size_t earlier = 0; earlier < position; ++earlier) {
        if (info.opencv_indices[earlier].backend == entry.backend) return invalid("duplicated opencv backend entry");
    }
    return Status();
}

}  // namespace

Status to_c_device_info(const DeviceInfo& info, CDeviceInfo* dst) {
    if (dst == nullptr) return invalid("dst is null");
    std::memset(dst, 0, sizeof(*dst));
    dst->vid = info.vid;
    dst->pid = info.pid;
    dst->aux_flag_0 = info.aux_flag_0;
    dst->aux_flag_1 = info.aux_flag_1;
    copy_text(info.serial_number, dst->serial_number);
    copy_text(info.descriptor_text, dst->descriptor_text);
    copy_text(info.name, dst->name);
    copy_text(info.aux_text, dst->aux_text);
    copy_text(info.device_path, dst->device_path);
    if (info.opencv_indices.size() > kMaxOpenCvIndices) {
        return Status(ErrorCode::InternalError, "opencv backend index map is too large");
    }
    std::size_t count = 0;
    for (const auto& [backend, index] : info.opencv_indices) {
        dst->opencv_indices[count].backend = static_cast<std::int32_t>(backend);
        dst->opencv_indices[count].index = index;
        ++count;
    }
    dst->opencv_index_count = count;
    return Status();
}

Status validate_c_device_info(const CDeviceInfo* info) {
    if (info == nullptr) return invalid("device is null");
    if (info->vid == 0 || info->pid == 0) return invalid("device vid/pid is invalid");
    if (info->opencv_index_count > kMaxOpenCvIndices) return invalid("opencv backend index count is too large");
    for (std::size_t position = 0; position < info->opencv_index_count; ++position) {
        Status status = validate_entry(*info, position);
        if (!status.ok()) return status;
    }
    return Status();
}

DeviceInfo from_c_device_info(const CDeviceInfo& info) {
    DeviceInfo result;
    result.vid = info.vid;
    result.pid = info.pid;
    result.aux_flag_0 = info.aux_flag_0;
    result.aux_flag_1 = info.aux_flag_1;
    result.serial_number = read_text(info.serial_number);
    result.descriptor_text = read_text(info.descriptor_text);
    result.name = read_text(info.name);
    result.aux_text = read_text(info.aux_text);
    result.device_path = read_text(info.device_path);
    const std::uint64_t count = std::min(info.opencv_index_count, kMaxOpenCvIndices);
    for (std::size_t position = 0; position < count; ++position) {
        const velmora_uvc_stereo_opencv_index& entry = info.opencv_indices[position];
        result.opencv_indices[static_cast<OpenCvBackend>(entry.backend)] = entry.index;
    }
    return result;
}

}  // namespace velmora::uvc_stereo::c_api
