// Public records: plain value types that cross the C++ interface.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/opencv_backend.hpp"

namespace velmora::uvc_stereo {

// One camera as a scan reports it.
struct VELMORA_UVC_STEREO_API DeviceInfo {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::uint8_t aux_flag_0 = 0;  // carried unchanged, never interpreted
    std::uint8_t aux_flag_1 = 0;  // carried unchanged, never interpreted
    std::string serial_number;
    std::string descriptor_text;
    std::string name;
    std::string aux_text;  // carried unchanged, never interpreted
    std::string device_path;  // Windows device path, UTF-8
    std::map<OpenCvBackend, int> opencv_indices;

    DeviceInfo();
    DeviceInfo(const DeviceInfo&);
    DeviceInfo(DeviceInfo&&) noexcept;
    DeviceInfo& operator=(const DeviceInfo&);
    DeviceInfo& operator=(DeviceInfo&&) noexcept;
    ~DeviceInfo();
};

// Narrows a scan; the default lets every supported camera through.
struct DeviceScanFilter {
    std::optional<std::uint16_t> vid;
    std::optional<std::uint16_t> pid;
    bool require_serial_number = false;
};

// Selects one attached camera and describes its flash user space and the
// rules of the flash record kept there.
struct VELMORA_UVC_STEREO_API FlashConfig {
    std::string vidpid;  // "%04x%04x" of vendor then product id; empty = any
    bool auto_select = true;
    std::uint16_t filter_vid = 0;  // 0 = any
    std::uint16_t filter_pid = 0;  // 0 = any
    std::uint8_t aux_flag_0 = 0;
    std::uint8_t aux_flag_1 = 0;
    std::string serial_number;  // preferred device; empty = none
    std::string device_path;    // preferred device, wins over serial_number
    std::uint32_t flash_user_space_address = 0x51000;
    std::uint32_t flash_sector_size = 4096;  // 0 is treated as 4096
    std::uint32_t flash_magic = 0x5A4F564B;
    std::uint32_t flash_user_space_size = 0x10000;  // also the largest record
    std::uint16_t min_header_size = 16;
    std::uint16_t max_header_size = 256;
    bool verify_crc = true;
    bool verify_after_write = true;

    FlashConfig();
    FlashConfig(const FlashConfig&);
    FlashConfig(FlashConfig&&) noexcept;
    FlashConfig& operator=(const FlashConfig&);
    FlashConfig& operator=(FlashConfig&&) noexcept;
    ~FlashConfig();
};

// What open_device must verify: 1 flash, 2 IMU, 4 flash JSON.
struct OpenDeviceOptions {
    std::uint32_t required_capabilities = 1;
};

// The flash section of a capability report.
struct ReportedFlashInfo {
    std::uint32_t user_space_address = 0;
    std::uint32_t user_space_size = 0;
};

// Scale values that turn raw IMU counts into physical units.
struct ImuConversionOptions {
    double temperature_offset_c = 25.0;
    double temperature_lsb_per_c = 128.0;  // must not be zero for a conversion
    double accel_lsb_per_g = 2048.0;
    double gyro_lsb_per_dps = 16.4;
};

// The IMU section of a capability report.
struct VELMORA_UVC_STEREO_API ReportedImuInfo {
    std::string model;  // 0 to 8 printable ASCII characters
    std::uint8_t xu_unit = 0;
    std::uint8_t xu_selector = 0;
    std::uint8_t xu_length = 0;
    std::uint8_t decimal_exponent = 0;
    ImuConversionOptions conversion;

    ReportedImuInfo();
    ReportedImuInfo(const ReportedImuInfo&);
    ReportedImuInfo(ReportedImuInfo&&) noexcept;
    ReportedImuInfo& operator=(const ReportedImuInfo&);
    ReportedImuInfo& operator=(ReportedImuInfo&&) noexcept;
    ~ReportedImuInfo();
};

// A validated 64-byte capability report.
struct VELMORA_UVC_STEREO_API CapabilityReport {
    std::uint8_t major_version = 0;
    std::uint8_t minor_version = 0;
    std::uint64_t capability_bits = 0;  // 2: flash section, 4: IMU section
    std::optional<ReportedFlashInfo> flash;
    std::optional<ReportedImuInfo> imu;

    CapabilityReport();
    CapabilityReport(const CapabilityReport&);
    CapabilityReport(CapabilityReport&&) noexcept;
    CapabilityReport& operator=(const CapabilityReport&);
    CapabilityReport& operator=(CapabilityReport&&) noexcept;
    ~CapabilityReport();
};

// What an open Device knows about the camera's capability report.
struct VELMORA_UVC_STEREO_API DeviceCapabilityInfo {
    // 0: nothing known; 1: a valid report was read; 2: no capability
    // reporting, legacy defaults in use.
    std::uint8_t state = 0;
    std::optional<CapabilityReport> report;  // state 1 only
    std::string message;                     // non-empty in state 2 only

    DeviceCapabilityInfo();
    DeviceCapabilityInfo(const DeviceCapabilityInfo&);
    DeviceCapabilityInfo(DeviceCapabilityInfo&&) noexcept;
    DeviceCapabilityInfo& operator=(const DeviceCapabilityInfo&);
    DeviceCapabilityInfo& operator=(DeviceCapabilityInfo&&) noexcept;
    ~DeviceCapabilityInfo();
};

// One raw IMU sample.
struct ReadImuResult {
    std::uint64_t timestamp_ns = 0;     // host time at the middle of the transfer
    std::uint32_t device_timestamp = 0; // the camera's 20-bit counter
    std::int16_t temperature_raw = 0;
    std::array<std::int16_t, 3> accel_raw{};  // X, Y, Z
    std::array<std::int16_t, 3> gyro_raw{};   // X, Y, Z
};

// One IMU sample in physical units.
struct ConvertedImuResult {
    std::uint64_t timestamp_ns = 0;
    double temperature_c = 0.0;
    std::array<double, 3> accel_g{};     // X, Y, Z
    std::array<double, 3> gyro_dps{};    // X, Y, Z
};

// The JSON document read from flash.
struct VELMORA_UVC_STEREO_API ReadJsonResult {
    std::uint16_t version = 0;  // the flash record header's version
    std::string json;           // minified

    ReadJsonResult();
    ReadJsonResult(const ReadJsonResult&);
    ReadJsonResult(ReadJsonResult&&) noexcept;
    ReadJsonResult& operator=(const ReadJsonResult&);
    ReadJsonResult& operator=(ReadJsonResult&&) noexcept;
    ~ReadJsonResult();
};

// One flash record in memory: header fields, payload, and the exact bytes.
struct FlashBlob {
    std::uint32_t magic = 0;
    std::uint16_t version = 0;
    std::uint16_t header_size = 0;
    std::uint32_t payload_length = 0;
    std::uint32_t crc32 = 0;
    std::vector<std::uint8_t> payload;
    std::vector<std::uint8_t> raw;  // header, padding and payload as in flash
};

}  // namespace velmora::uvc_stereo
