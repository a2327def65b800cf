/// @file
/// Public records: plain value types that cross the C++ interface.
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

/// One camera as a scan reports it; passed to open_device.
struct VELMORA_UVC_STEREO_API DeviceInfo {
    std::uint16_t vid = 0;        ///< USB vendor id
    std::uint16_t pid = 0;        ///< USB product id
    std::uint8_t aux_flag_0 = 0;  ///< carried unchanged, never interpreted
    std::uint8_t aux_flag_1 = 0;  ///< carried unchanged, never interpreted
    std::string serial_number;    ///< the camera's serial number (may be empty)
    std::string descriptor_text;  ///< the camera's descriptor text
    std::string name;             ///< the camera's product name
    std::string aux_text;         ///< carried unchanged, never interpreted
    std::string device_path;      ///< Windows device path, UTF-8
    /// The OpenCV capture index of this camera under each back-end that lists
    /// it unambiguously (CAP_MSMF, CAP_DSHOW), for cv::VideoCapture(index, backend).
    std::map<OpenCvBackend, int> opencv_indices;

    ///@{
    /// Value semantics: default values, copies and moves (defined in the library).
    DeviceInfo();
    DeviceInfo(const DeviceInfo&);
    DeviceInfo(DeviceInfo&&) noexcept;
    DeviceInfo& operator=(const DeviceInfo&);
    DeviceInfo& operator=(DeviceInfo&&) noexcept;
    ~DeviceInfo();
    ///@}
};

/// Narrows a scan; the default lets every supported camera through.
struct DeviceScanFilter {
    std::optional<std::uint16_t> vid;    ///< only this vendor id, when set
    std::optional<std::uint16_t> pid;    ///< only this product id, when set
    bool require_serial_number = false;  ///< leave out cameras without a serial number
};

/// Selects one attached camera and describes its flash user space and the
/// rules of the flash record kept there.
struct VELMORA_UVC_STEREO_API FlashConfig {
    std::string vidpid;                 ///< "%04x%04x" of vendor then product id; empty = any
    bool auto_select = true;            ///< take the first matching camera when no preferred one is named
    std::uint16_t filter_vid = 0;       ///< only this vendor id; 0 = any
    std::uint16_t filter_pid = 0;       ///< only this product id; 0 = any
    std::uint8_t aux_flag_0 = 0;        ///< carried unchanged, never interpreted
    std::uint8_t aux_flag_1 = 0;        ///< carried unchanged, never interpreted
    std::string serial_number;          ///< preferred device; empty = none
    std::string device_path;            ///< preferred device, wins over serial_number
    std::uint32_t flash_user_space_address = 0x51000;  ///< start of the user space in the flash
    std::uint32_t flash_sector_size = 4096;            ///< erase unit; 0 is treated as 4096
    std::uint32_t flash_magic = 0x5A4F564B;            ///< magic that starts a flash record
    std::uint32_t flash_user_space_size = 0x10000;     ///< size of the user space, also the largest record
    std::uint16_t min_header_size = 16;  ///< smallest record header accepted (and the size written)
    std::uint16_t max_header_size = 256; ///< largest record header accepted
    bool verify_crc = true;              ///< check the payload's CRC-32 when reading
    bool verify_after_write = true;      ///< read a written record back and compare

    ///@{
    /// Value semantics: default values, copies and moves (defined in the library).
    FlashConfig();
    FlashConfig(const FlashConfig&);
    FlashConfig(FlashConfig&&) noexcept;
    FlashConfig& operator=(const FlashConfig&);
    FlashConfig& operator=(FlashConfig&&) noexcept;
    ~FlashConfig();
    ///@}
};

/// Bits of OpenDeviceOptions::required_capabilities (the same numbers as the
/// C interface's VELMORA_UVC_STEREO_REQUIRE_*).
struct RequiredCapabilities {
    static constexpr std::uint32_t None = 0;       ///< check nothing
    static constexpr std::uint32_t Flash = 1;      ///< the flash answers a one-byte read
    static constexpr std::uint32_t Imu = 2;        ///< the IMU, checked when Device::open_imu opens it
    static constexpr std::uint32_t FlashJson = 4;  ///< the flash holds a record whose payload is valid JSON
};

/// What open_device must verify before it succeeds.
struct OpenDeviceOptions {
    /// Bits (RequiredCapabilities): 1 the flash answers a one-byte read; 4
    /// the flash holds a record whose payload is valid JSON (read instead of
    /// the one-byte read); 2 the IMU, accepted but checked only when
    /// Device::open_imu opens it; 0 checks nothing. Other bits are refused.
    std::uint32_t required_capabilities = RequiredCapabilities::Flash;
};

/// The flash section of a capability report.
struct ReportedFlashInfo {
    std::uint32_t user_space_address = 0;  ///< start of the flash user space
    std::uint32_t user_space_size = 0;     ///< size of the flash user space in bytes
};

/// Scale values that turn raw IMU counts into physical units.
struct ImuConversionOptions {
    double temperature_offset_c = 25.0;    ///< degrees Celsius at a raw temperature of 0
    double temperature_lsb_per_c = 128.0;  ///< counts per degree Celsius; must not be zero for a conversion
    double accel_lsb_per_g = 2048.0;       ///< counts per g; 0 gives zero acceleration
    double gyro_lsb_per_dps = 16.4;        ///< counts per degree per second; 0 gives zero rate
};

/// The IMU section of a capability report.
struct VELMORA_UVC_STEREO_API ReportedImuInfo {
    std::string model;                  ///< 0 to 8 printable ASCII characters
    std::uint8_t xu_unit = 0;           ///< extension unit (node id) that delivers the samples
    std::uint8_t xu_selector = 0;       ///< control selector of the samples
    std::uint8_t xu_length = 0;         ///< length of one sample transfer in bytes
    std::uint8_t decimal_exponent = 0;  ///< power of ten the reported scale values were sent with
    ImuConversionOptions conversion;    ///< the camera's own scale values

    ///@{
    /// Value semantics: default values, copies and moves (defined in the library).
    ReportedImuInfo();
    ReportedImuInfo(const ReportedImuInfo&);
    ReportedImuInfo(ReportedImuInfo&&) noexcept;
    ReportedImuInfo& operator=(const ReportedImuInfo&);
    ReportedImuInfo& operator=(ReportedImuInfo&&) noexcept;
    ~ReportedImuInfo();
    ///@}
};

/// Bits of CapabilityReport::capability_bits that bring a section of their
/// own (1, 8 and 16 are accepted too and bring none).
struct CapabilityBits {
    static constexpr std::uint64_t Flash = 2;  ///< the flash section is present
    static constexpr std::uint64_t Imu = 4;    ///< the IMU section is present
};

/// A validated 64-byte capability report.
struct VELMORA_UVC_STEREO_API CapabilityReport {
    std::uint8_t major_version = 0;          ///< report format, major version
    std::uint8_t minor_version = 0;          ///< report format, minor version
    std::uint64_t capability_bits = 0;       ///< CapabilityBits: 2 flash section, 4 IMU section; 1, 8, 16 carry none
    std::optional<ReportedFlashInfo> flash;  ///< the flash section, when declared
    std::optional<ReportedImuInfo> imu;      ///< the IMU section, when declared

    ///@{
    /// Value semantics: default values, copies and moves (defined in the library).
    CapabilityReport();
    CapabilityReport(const CapabilityReport&);
    CapabilityReport(CapabilityReport&&) noexcept;
    CapabilityReport& operator=(const CapabilityReport&);
    CapabilityReport& operator=(CapabilityReport&&) noexcept;
    ~CapabilityReport();
    ///@}
};

/// Values of DeviceCapabilityInfo::state (the same numbers as the C
/// interface's VELMORA_UVC_STEREO_CAPABILITY_*).
struct CapabilityInfoState {
    static constexpr std::uint8_t Unknown = 0;   ///< nothing known (a closed Device)
    static constexpr std::uint8_t Reported = 1;  ///< a valid capability report was read
    static constexpr std::uint8_t Legacy = 2;    ///< no capability reporting, legacy defaults in use
};

/// What an open Device knows about the camera's capability report.
struct VELMORA_UVC_STEREO_API DeviceCapabilityInfo {
    /// CapabilityInfoState: 0 nothing known; 1 a valid report was read; 2 no
    /// capability reporting, legacy defaults in use.
    std::uint8_t state = CapabilityInfoState::Unknown;
    std::optional<CapabilityReport> report;  ///< the report, in state 1 only
    /// in state 2 only: "Capability reporting is not supported on this device"
    std::string message;

    ///@{
    /// Value semantics: default values, copies and moves (defined in the library).
    DeviceCapabilityInfo();
    DeviceCapabilityInfo(const DeviceCapabilityInfo&);
    DeviceCapabilityInfo(DeviceCapabilityInfo&&) noexcept;
    DeviceCapabilityInfo& operator=(const DeviceCapabilityInfo&);
    DeviceCapabilityInfo& operator=(DeviceCapabilityInfo&&) noexcept;
    ~DeviceCapabilityInfo();
    ///@}
};

/// One raw IMU sample.
struct ReadImuResult {
    std::uint64_t timestamp_ns = 0;           ///< host time at the middle of the transfer, in nanoseconds
    std::uint32_t device_timestamp = 0;       ///< the camera's 20-bit sample counter
    std::int16_t temperature_raw = 0;         ///< temperature in counts
    std::array<std::int16_t, 3> accel_raw{};  ///< acceleration X, Y, Z in counts
    std::array<std::int16_t, 3> gyro_raw{};   ///< angular rate X, Y, Z in counts
};

/// One IMU sample in physical units.
struct ConvertedImuResult {
    std::uint64_t timestamp_ns = 0;    ///< the raw sample's host time, in nanoseconds
    double temperature_c = 0.0;        ///< degrees Celsius
    std::array<double, 3> accel_g{};   ///< acceleration X, Y, Z in g
    std::array<double, 3> gyro_dps{};  ///< angular rate X, Y, Z in degrees per second
};

/// The JSON document read from flash.
struct VELMORA_UVC_STEREO_API ReadJsonResult {
    /// The flash record header's version (Device::write_json stores 0).
    std::uint16_t version = 0;
    std::string json;  ///< the document, minified

    ///@{
    /// Value semantics: default values, copies and moves (defined in the library).
    ReadJsonResult();
    ReadJsonResult(const ReadJsonResult&);
    ReadJsonResult(ReadJsonResult&&) noexcept;
    ReadJsonResult& operator=(const ReadJsonResult&);
    ReadJsonResult& operator=(ReadJsonResult&&) noexcept;
    ~ReadJsonResult();
    ///@}
};

/// One flash record in memory: header fields, payload, and the exact bytes.
struct FlashBlob {
    std::uint32_t magic = 0;            ///< the record's magic
    std::uint16_t version = 0;          ///< the record's version
    std::uint16_t header_size = 0;      ///< header size in bytes, padding included
    std::uint32_t payload_length = 0;   ///< payload size in bytes
    std::uint32_t crc32 = 0;            ///< CRC-32 of the payload
    std::vector<std::uint8_t> payload;  ///< the payload (the JSON text)
    std::vector<std::uint8_t> raw;      ///< header, padding and payload as in flash
};

}  // namespace velmora::uvc_stereo
