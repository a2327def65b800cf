// Conversion of DeviceCapabilityInfo into the C library's versioned structure.
#include "c_api/capability_info_conversion.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "c_api/fixed_text.hpp"

namespace velmora::uvc_stereo::c_api {

namespace {

constexpr std::uint32_t kCurrentStructSize = VELMORA_UVC_STEREO_CAPABILITY_INFO_SIZE;
static_assert(kCurrentStructSize == sizeof(velmora_uvc_stereo_capability_info));

std::uint32_t c_state(std::uint8_t state) {
    if (state == VELMORA_UVC_STEREO_CAPABILITY_REPORTED || state == VELMORA_UVC_STEREO_CAPABILITY_LEGACY) return state;
    return VELMORA_UVC_STEREO_CAPABILITY_UNKNOWN;
}

void fill_imu(const ReportedImuInfo& imu, velmora_uvc_stereo_capability_info& out) {
    out.has_imu = 1;
    copy_text(imu.model, out.imu_model);
    out.imu_xu_unit = imu.xu_unit;
    out.imu_xu_selector = imu.xu_selector;
    out.imu_xu_length = imu.xu_length;
    out.imu_decimal_exponent = imu.decimal_exponent;
    out.imu_conversion.temperature_offset_c = imu.conversion.temperature_offset_c;
    out.imu_conversion.temperature_lsb_per_c = imu.conversion.temperature_lsb_per_c;
    out.imu_conversion.accel_lsb_per_g = imu.conversion.accel_lsb_per_g;
    out.imu_conversion.gyro_lsb_per_dps = imu.conversion.gyro_lsb_per_dps;
}

void fill_report(const CapabilityReport& report, velmora_uvc_stereo_capability_info& out) {
    out.has_report = 1;
    out.major_version = report.major_version;
    out.minor_version = report.minor_version;
    out.capability_bits = report.capability_bits;
    if (report.flash) {
        out.has_flash = 1;
        out.flash_user_space_address = report.flash->user_space_address;
        out.flash_user_space_size = report.flash->user_space_size;
    }
    if (report.imu) fill_imu(*report.imu, out);
}

}  // namespace

Status to_c_capability_info(const DeviceCapabilityInfo& info, velmora_uvc_stereo_capability_info* dst) {
    if (dst == nullptr) return Status(ErrorCode::InvalidArgument, "out_info is null");
    if (dst->struct_size < kCurrentStructSize) {
        return Status(ErrorCode::InvalidArgument,
                      "capability info struct_size is smaller than the current ABI structure");
    }
    velmora_uvc_stereo_capability_info out;
    std::memset(&out, 0, sizeof(out));
    out.struct_size = kCurrentStructSize;
    out.state = c_state(info.state);
    copy_text(info.message, out.message);
    if (info.report) fill_report(*info.report, out);
    std::memcpy(dst, &out, kCurrentStructSize);
    return Status();
}

}  // namespace velmora::uvc_stereo::c_api
