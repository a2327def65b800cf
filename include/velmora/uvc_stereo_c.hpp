/// @file
/// The C++ interface as a header-only layer over the C library
/// velmora_uvc_stereo_sdk_c, compiled by the caller's own compiler.
///
/// C++ DLLs do not mix across compilers, so on Windows the C++ library
/// velmora_uvc_stereo_sdk serves only programs built with its MinGW-w64
/// toolchain. This header gives programs of any C++17 compiler, Visual C++
/// included, the same names and shapes (namespace velmora::uvc_stereo_c)
/// over the stable C ABI: it calls only the 23 C functions and includes
/// nothing of the C++ library. Code written against
/// `namespace uvc = velmora::uvc_stereo;` builds against this layer by
/// including this header instead and changing that line to
/// `namespace uvc = velmora::uvc_stereo_c;`.
///
/// Link velmora::uvc_stereo_sdk_c (CMake), velmora_uvc_stereo_sdk_c
/// (pkg-config) or velmora_uvc_stereo_sdk_c.lib (Visual C++).
///
/// Codes and messages are the C library's, which are the C++ library's
/// except where the C interface checks a description itself (a vendor or
/// product id of 0 gives "device vid/pid is invalid", for example). A scan
/// that finds no camera is a success with an empty list, as in C++. Nothing
/// throws except std::bad_alloc and BadOptionalAccess from Result::value().
/// The flash record functions and the raw flash transport are C++-library-only.
#pragma once

#include <velmora_uvc_stereo_c.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// The header-only C++ interface over the C library.
namespace velmora::uvc_stereo_c {

/// The outcome of an operation; the numbers are the C library's return codes.
enum class ErrorCode : std::int32_t {
    Ok = 0,                  ///< success
    InvalidArgument = 1,     ///< a caller's value or the object's state does not allow the call
    BackendError = 2,        ///< the vendor library or a video back-end failed
    DeviceUnavailable = 3,   ///< no matching camera, or the camera went away
    ReadFailed = 4,          ///< a flash or extension-unit read failed
    WriteFailed = 5,         ///< a flash write failed, or read back differently
    EraseFailed = 6,         ///< a flash sector erase failed
    BadMagic = 7,            ///< the flash record does not start with the expected magic
    UnsupportedVersion = 8,  ///< a record or report of a version the SDK does not read
    InvalidHeader = 9,       ///< the flash record header is inconsistent
    InvalidLength = 10,      ///< a length is out of range (record, payload, transfer)
    CrcMismatch = 11,        ///< the stored checksum does not match the data
    InvalidJson = 12,        ///< the text is not one valid JSON value
    InternalError = 13,      ///< an unexpected failure inside the SDK (out of memory, for example)
    NotSupported = 14,       ///< the camera lacks what the call needs (flash, IMU)
};

/// An ErrorCode and a message. A success has code Ok and an empty message.
class [[nodiscard]] Status {
public:
    /// A success.
    Status() = default;
    /// A status with this code and message.
    Status(ErrorCode code, std::string message) : code_(code), message_(std::move(message)) {}
    /// Copies code and message.
    Status(const Status& other) = default;
    /// Takes the message over and leaves the source's message empty; the
    /// source keeps its code.
    Status(Status&& other) noexcept : code_(other.code_), message_(std::move(other.message_)) {
        other.message_.clear();
    }
    /// Copies code and message.
    Status& operator=(const Status& other) = default;
    /// Takes the message over, as the move constructor does.
    Status& operator=(Status&& other) noexcept {
        if (this != &other) {
            code_ = other.code_;
            message_ = std::move(other.message_);
            other.message_.clear();
        }
        return *this;
    }
    /// Destroys the message.
    ~Status() = default;

    /// The outcome's code; ErrorCode::Ok for a success.
    ErrorCode code() const noexcept { return code_; }
    /// What failed, in a short English phrase; empty for a success.
    const std::string& message() const noexcept { return message_; }
    /// True for a success.
    bool ok() const noexcept { return code_ == ErrorCode::Ok; }

private:
    ErrorCode code_ = ErrorCode::Ok;
    std::string message_;
};

/// Thrown by Result<T>::value() when no value is held; its text is
/// "Bad optional access" with every standard library.
class BadOptionalAccess : public std::bad_optional_access {
public:
    /// "Bad optional access".
    const char* what() const noexcept override { return "Bad optional access"; }
};

/// A Status and, on success, a value. Test ok() before reading value().
template <typename T>
class [[nodiscard]] Result {
public:
    /// A success holding this value.
    Result(T&& value) : value_(std::move(value)) {}          // NOLINT: implicit by design
    /// A success holding a copy of this value.
    Result(const T& value) : value_(value) {}                // NOLINT: implicit by design
    /// A failure (or, for a successful status, a success without a value).
    Result(Status&& status) : status_(std::move(status)) {}  // NOLINT: implicit by design
    /// A failure (or, for a successful status, a success without a value).
    Result(const Status& status) : status_(status) {}        // NOLINT: implicit by design

    ///@{
    /// Copies and moves carry both the status and the value.
    Result(Result&&) = default;
    Result& operator=(Result&&) = default;
    Result(const Result&) = default;
    Result& operator=(const Result&) = default;
    ~Result() = default;
    ///@}

    /// The outcome.
    const Status& status() const noexcept { return status_; }
    /// True for a success.
    bool ok() const noexcept { return status_.ok(); }
    /// True when a value is held (every success returned here holds one).
    bool has_value() const noexcept { return value_.has_value(); }

    /// The value; throws BadOptionalAccess when none is held.
    T& value() & {
        require_value();
        return *value_;
    }
    /// The value; throws BadOptionalAccess when none is held.
    const T& value() const& {
        require_value();
        return *value_;
    }
    /// The value, moved out; throws BadOptionalAccess when none is held.
    T&& value() && {
        require_value();
        return std::move(*value_);
    }

private:
    void require_value() const {
        if (!value_.has_value()) throw BadOptionalAccess();
    }

    Status status_;
    std::optional<T> value_;
};

/// An OpenCV capture back-end, by OpenCV's own capture-API number.
enum class OpenCvBackend : std::int32_t {
    CAP_V4L2 = VELMORA_UVC_STEREO_CAP_V4L2,            ///< Video4Linux2 (named only)
    CAP_DSHOW = VELMORA_UVC_STEREO_CAP_DSHOW,          ///< DirectShow
    CAP_MSMF = VELMORA_UVC_STEREO_CAP_MSMF,            ///< Media Foundation
    CAP_GSTREAMER = VELMORA_UVC_STEREO_CAP_GSTREAMER,  ///< GStreamer (named only)
};

/// "CAP_V4L2", "CAP_DSHOW", "CAP_MSMF", "CAP_GSTREAMER", or "CAP_UNKNOWN" for
/// any other value. Never fails.
inline std::string_view opencv_backend_name(OpenCvBackend backend) noexcept {
    return velmora_uvc_stereo_opencv_backend_name(static_cast<int>(backend));
}

/// One camera as a scan reports it; passed to open_device.
struct DeviceInfo {
    std::uint16_t vid = 0;        ///< USB vendor id
    std::uint16_t pid = 0;        ///< USB product id
    std::uint8_t aux_flag_0 = 0;  ///< carried unchanged, never interpreted
    std::uint8_t aux_flag_1 = 0;  ///< carried unchanged, never interpreted
    std::string serial_number;    ///< the camera's serial number (may be empty; at most 255 bytes)
    std::string descriptor_text;  ///< the camera's descriptor text (at most 255 bytes)
    std::string name;             ///< the camera's product name (at most 255 bytes)
    std::string aux_text;         ///< carried unchanged, never interpreted (at most 511 bytes)
    std::string device_path;      ///< Windows device path, UTF-8 (at most 511 bytes)
    /// The OpenCV capture index under each back-end that lists the camera
    /// unambiguously (at most 8 entries).
    std::map<OpenCvBackend, int> opencv_indices;
};

/// Narrows a scan; the default lets every supported camera through.
struct DeviceScanFilter {
    std::optional<std::uint16_t> vid;    ///< only this vendor id, when set
    std::optional<std::uint16_t> pid;    ///< only this product id, when set
    bool require_serial_number = false;  ///< leave out cameras without a serial number
};

/// What open_device must verify before it succeeds.
struct OpenDeviceOptions {
    /// Bits: 1 the flash answers, 2 an IMU is declared, 4 the flash holds a
    /// valid JSON document; 0 checks nothing.
    std::uint32_t required_capabilities = VELMORA_UVC_STEREO_REQUIRE_FLASH;
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
struct ReportedImuInfo {
    std::string model;                  ///< 0 to 8 printable ASCII characters
    std::uint8_t xu_unit = 0;           ///< extension unit (node id) that delivers the samples
    std::uint8_t xu_selector = 0;       ///< control selector of the samples
    std::uint8_t xu_length = 0;         ///< length of one sample transfer in bytes
    std::uint8_t decimal_exponent = 0;  ///< power of ten the reported scale values were sent with
    ImuConversionOptions conversion;    ///< the camera's own scale values
};

/// A validated 64-byte capability report.
struct CapabilityReport {
    std::uint8_t major_version = 0;          ///< report format, major version
    std::uint8_t minor_version = 0;          ///< report format, minor version
    std::uint64_t capability_bits = 0;       ///< 2: flash section present, 4: IMU section present
    std::optional<ReportedFlashInfo> flash;  ///< the flash section, when declared
    std::optional<ReportedImuInfo> imu;      ///< the IMU section, when declared
};

/// What an open Device knows about the camera's capability report.
struct DeviceCapabilityInfo {
    /// 0: nothing known; 1: a valid report was read; 2: no capability
    /// reporting, legacy defaults in use.
    std::uint8_t state = 0;
    std::optional<CapabilityReport> report;  ///< the report, in state 1 only
    std::string message;                     ///< why there is no report, in state 2 only
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
struct ReadJsonResult {
    std::uint16_t version = 0;  ///< the flash record header's version (Device::write_json stores 0)
    std::string json;           ///< the document, minified
};

/// @cond INTERNAL
namespace detail {

using CDeviceInfo = struct ::velmora_uvc_stereo_device_info;

// The C library reports a successful scan without cameras as a failure with
// code 2 and exactly this text; its real scan failures with code 2 are the
// vendor library's ("SonixCam_Init failed: vendor_code=...").
inline constexpr std::string_view kNoDevicesFound = "no devices found";
inline constexpr const char* kDeviceClosed = "device is closed or moved-from";
inline constexpr std::size_t kMaxOpenCvIndices = VELMORA_UVC_STEREO_MAX_OPENCV_INDICES;

struct CFree {
    void operator()(void* buffer) const noexcept { velmora_uvc_stereo_free(buffer); }
};

struct CloseDevice {
    void operator()(velmora_uvc_stereo_device* device) const noexcept { velmora_uvc_stereo_close_device(device); }
};
using DeviceHandle = std::unique_ptr<velmora_uvc_stereo_device, CloseDevice>;

// The calling thread's last C message, read right after the call that set it.
inline std::string last_message() {
    const char* message = nullptr;
    std::size_t length = 0;
    if (velmora_uvc_stereo_last_error_message(&message, &length) != VELMORA_UVC_STEREO_OK || message == nullptr) {
        return std::string();
    }
    return std::string(message, length);
}

inline Status status_from(int code) {
    if (code == VELMORA_UVC_STEREO_OK) return Status();
    return Status(static_cast<ErrorCode>(code), last_message());
}

inline Status device_closed() { return Status(ErrorCode::InvalidArgument, kDeviceClosed); }

// A NUL-terminated text of a fixed-size C field; the whole field when it
// holds no NUL.
template <std::size_t N>
std::string text_of(const char (&field)[N]) {
    const void* nul = std::memchr(field, '\0', N);
    return std::string(field, nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : N);
}

// Cut to what the field holds, as the C library itself cuts longer texts.
template <std::size_t N>
void copy_text(const std::string& text, char (&field)[N]) {
    const std::size_t length = text.size() < N - 1 ? text.size() : N - 1;
    if (length > 0) std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

inline DeviceInfo from_c(const CDeviceInfo& c) {
    DeviceInfo info;
    info.vid = c.vid;
    info.pid = c.pid;
    info.aux_flag_0 = c.aux_flag_0;
    info.aux_flag_1 = c.aux_flag_1;
    info.serial_number = text_of(c.serial_number);
    info.descriptor_text = text_of(c.descriptor_text);
    info.name = text_of(c.name);
    info.aux_text = text_of(c.aux_text);
    info.device_path = text_of(c.device_path);
    const std::size_t count =
        c.opencv_index_count < kMaxOpenCvIndices ? static_cast<std::size_t>(c.opencv_index_count) : kMaxOpenCvIndices;
    for (std::size_t i = 0; i < count; ++i) {
        info.opencv_indices[static_cast<OpenCvBackend>(c.opencv_indices[i].backend)] = c.opencv_indices[i].index;
    }
    return info;
}

// The count is the map's own size, so that a map the C structure cannot hold
// is refused by the C library with its own message.
inline void to_c(const DeviceInfo& info, CDeviceInfo& c) {
    std::memset(&c, 0, sizeof(c));
    c.vid = info.vid;
    c.pid = info.pid;
    c.aux_flag_0 = info.aux_flag_0;
    c.aux_flag_1 = info.aux_flag_1;
    copy_text(info.serial_number, c.serial_number);
    copy_text(info.descriptor_text, c.descriptor_text);
    copy_text(info.name, c.name);
    copy_text(info.aux_text, c.aux_text);
    copy_text(info.device_path, c.device_path);
    c.opencv_index_count = info.opencv_indices.size();
    std::size_t i = 0;
    for (const auto& [backend, index] : info.opencv_indices) {
        if (i == kMaxOpenCvIndices) break;
        c.opencv_indices[i].backend = static_cast<std::int32_t>(backend);
        c.opencv_indices[i].index = index;
        ++i;
    }
}

inline ImuConversionOptions from_c(const velmora_uvc_stereo_imu_conversion_options& c) {
    return ImuConversionOptions{c.temperature_offset_c, c.temperature_lsb_per_c, c.accel_lsb_per_g,
                                c.gyro_lsb_per_dps};
}

inline velmora_uvc_stereo_imu_conversion_options to_c(const ImuConversionOptions& options) {
    return velmora_uvc_stereo_imu_conversion_options{options.temperature_offset_c, options.temperature_lsb_per_c,
                                                     options.accel_lsb_per_g, options.gyro_lsb_per_dps};
}

inline CapabilityReport report_from_c(const velmora_uvc_stereo_capability_info& c) {
    CapabilityReport report;
    report.major_version = c.major_version;
    report.minor_version = c.minor_version;
    report.capability_bits = c.capability_bits;
    if (c.has_flash != 0) report.flash = ReportedFlashInfo{c.flash_user_space_address, c.flash_user_space_size};
    if (c.has_imu != 0) {
        ReportedImuInfo imu;
        imu.model = text_of(c.imu_model);
        imu.xu_unit = c.imu_xu_unit;
        imu.xu_selector = c.imu_xu_selector;
        imu.xu_length = c.imu_xu_length;
        imu.decimal_exponent = c.imu_decimal_exponent;
        imu.conversion = from_c(c.imu_conversion);
        report.imu = std::move(imu);
    }
    return report;
}

inline DeviceCapabilityInfo from_c(const velmora_uvc_stereo_capability_info& c) {
    DeviceCapabilityInfo info;
    info.state = static_cast<std::uint8_t>(c.state);
    info.message = text_of(c.message);
    if (c.has_report != 0) info.report = report_from_c(c);
    return info;
}

inline ReadImuResult from_c(const velmora_uvc_stereo_read_imu_result& c) {
    ReadImuResult raw;
    raw.timestamp_ns = c.timestamp_ns;
    raw.device_timestamp = c.device_timestamp;
    raw.temperature_raw = c.temperature_raw;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        raw.accel_raw[axis] = c.accel_raw[axis];
        raw.gyro_raw[axis] = c.gyro_raw[axis];
    }
    return raw;
}

inline velmora_uvc_stereo_read_imu_result to_c(const ReadImuResult& raw) {
    velmora_uvc_stereo_read_imu_result c;
    std::memset(&c, 0, sizeof(c));
    c.timestamp_ns = raw.timestamp_ns;
    c.device_timestamp = raw.device_timestamp;
    c.temperature_raw = raw.temperature_raw;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        c.accel_raw[axis] = raw.accel_raw[axis];
        c.gyro_raw[axis] = raw.gyro_raw[axis];
    }
    return c;
}

inline ConvertedImuResult from_c(const velmora_uvc_stereo_converted_imu_result& c) {
    ConvertedImuResult converted;
    converted.timestamp_ns = c.timestamp_ns;
    converted.temperature_c = c.temperature_c;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        converted.accel_g[axis] = c.accel_g[axis];
        converted.gyro_dps[axis] = c.gyro_dps[axis];
    }
    return converted;
}

inline bool passes(const DeviceInfo& info, const DeviceScanFilter& filter) {
    if (filter.vid && *filter.vid != info.vid) return false;
    if (filter.pid && *filter.pid != info.pid) return false;
    return !(filter.require_serial_number && info.serial_number.empty());
}

}  // namespace detail
/// @endcond

class Device;
/// Opens a camera from a scan's DeviceInfo: reads its capability report, takes
/// its flash layout and IMU transport from it (or legacy defaults), and checks
/// options.required_capabilities (1 flash, 2 IMU, 4 flash JSON). The
/// description passes through the C structure: texts longer than its fields
/// (255 bytes, 511 for aux_text and device_path) are cut, and more than 8
/// OpenCV indices, a back-end other than the four named ones or a negative
/// index are refused with ErrorCode::InvalidArgument. Thread-safe.
inline Result<Device> open_device(const DeviceInfo& device, const OpenDeviceOptions& options = OpenDeviceOptions{});

/// The caller's handle on one opened camera, made by open_device. Move-only;
/// a moved-from Device is closed: its operations fail with "device is closed
/// or moved-from" without reaching the C library, and its accessors answer
/// with default records. Destroying it closes the C handle (ending an IMU
/// session). Use from one thread at a time.
class Device {
public:
    /// Takes the other Device's camera over; the other Device is closed.
    Device(Device&& other) noexcept = default;
    /// Closes this Device (ending its IMU session), then takes the other's camera over.
    Device& operator=(Device&& other) noexcept {
        if (this != &other) {
            state_.reset();
            state_ = std::move(other.state_);
        }
        return *this;
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    /// Ends an open IMU session and closes the C handle.
    ~Device() = default;

    /// The description the camera was opened with.
    const DeviceInfo& info() const {
        static const DeviceInfo closed;
        return state_ ? state_->info : closed;
    }
    /// What the camera's capability report declared (or why there is none).
    const DeviceCapabilityInfo& capability_info() const {
        static const DeviceCapabilityInfo closed;
        return state_ ? state_->capability : closed;
    }
    /// The flash was verified when the device was opened (required bit 1 or 4).
    bool has_flash_transport() const { return state_ && state_->flash_verified; }
    /// An IMU session has been opened successfully on this Device (stays true
    /// after close_imu).
    bool has_imu_transport() const { return state_ && state_->imu_opened; }

    /// The JSON document in flash, minified, with the record's version.
    Result<ReadJsonResult> read_json() {
        if (!state_) return detail::device_closed();
        std::uint16_t version = 0;
        char* text = nullptr;
        std::size_t length = 0;
        const int code = velmora_uvc_stereo_device_read_json(handle(), &version, &text, &length);
        const std::unique_ptr<char, detail::CFree> owned(text);
        if (code != VELMORA_UVC_STEREO_OK) return detail::status_from(code);
        ReadJsonResult document;
        document.version = version;
        document.json.assign(text, length);
        return document;
    }
    /// Validates and minifies the text, then stores it as a version-0 record.
    Status write_json(std::string_view json) {
        if (!state_) return detail::device_closed();
        // A length of 0 makes the C library read up to a NUL: an empty text
        // must point at one.
        const char* text = json.empty() ? "" : json.data();
        return detail::status_from(velmora_uvc_stereo_device_write_json(handle(), text, json.size()));
    }

    /// Starts an IMU session (success when one is open already). Flash JSON
    /// access is refused while it is open.
    Status open_imu() {
        if (!state_) return detail::device_closed();
        Status status = detail::status_from(velmora_uvc_stereo_device_open_imu(handle()));
        if (status.ok()) state_->imu_opened = true;
        return status;
    }
    /// Reads one raw sample; fails when no session is open ("IMU is not open").
    Result<ReadImuResult> read_imu() {
        if (!state_) return detail::device_closed();
        velmora_uvc_stereo_read_imu_result raw;
        const int code = velmora_uvc_stereo_device_read_imu(handle(), &raw);
        if (code != VELMORA_UVC_STEREO_OK) return detail::status_from(code);
        return detail::from_c(raw);
    }
    /// Ends the IMU session; success also when none is open.
    Status close_imu() {
        if (!state_) return detail::device_closed();
        return detail::status_from(velmora_uvc_stereo_device_close_imu(handle()));
    }

    /// The camera's own scale values (from its capability report, or the
    /// defaults); ErrorCode::NotSupported for a camera without an IMU.
    Result<ImuConversionOptions> imu_conversion_options() const {
        if (!state_) return detail::device_closed();
        // The C library decides whether the camera has an IMU: converting a
        // zero sample with the device's scales fails exactly when it has none.
        velmora_uvc_stereo_converted_imu_result unused;
        const velmora_uvc_stereo_read_imu_result zero = detail::to_c(ReadImuResult{});
        const int code = velmora_uvc_stereo_device_convert_imu(handle(), &zero, &unused);
        if (code != VELMORA_UVC_STEREO_OK) return detail::status_from(code);
        const std::optional<CapabilityReport>& report = state_->capability.report;
        if (report && report->imu) return report->imu->conversion;
        return ImuConversionOptions{};
    }
    /// Converts a raw sample with imu_conversion_options(); needs no session.
    Result<ConvertedImuResult> convert_imu(const ReadImuResult& raw) const {
        if (!state_) return detail::device_closed();
        const velmora_uvc_stereo_read_imu_result c_raw = detail::to_c(raw);
        velmora_uvc_stereo_converted_imu_result converted;
        const int code = velmora_uvc_stereo_device_convert_imu(handle(), &c_raw, &converted);
        if (code != VELMORA_UVC_STEREO_OK) return detail::status_from(code);
        return detail::from_c(converted);
    }

private:
    friend Result<Device> open_device(const DeviceInfo& device, const OpenDeviceOptions& options);

    // What open_device established; fixed for the life of the handle.
    struct State {
        detail::DeviceHandle handle;
        DeviceInfo info;
        DeviceCapabilityInfo capability;
        bool flash_verified = false;
        bool imu_opened = false;
    };

    explicit Device(std::unique_ptr<State> state) noexcept : state_(std::move(state)) {}
    velmora_uvc_stereo_device* handle() const noexcept { return state_->handle.get(); }

    std::unique_ptr<State> state_;
};

/// The attached cameras of the supported models, in the vendor library's
/// order, each with its OpenCV capture index per back-end where one was
/// found. No camera attached is a success with an empty list. Thread-safe.
inline Result<std::vector<DeviceInfo>> scan_devices(const DeviceScanFilter& filter) {
    detail::CDeviceInfo* array = nullptr;
    std::size_t count = 0;
    const int code = velmora_uvc_stereo_scan_devices(&array, &count);
    const std::unique_ptr<detail::CDeviceInfo, detail::CFree> owned(array);
    if (code != VELMORA_UVC_STEREO_OK) {
        Status status = detail::status_from(code);
        if (status.code() == ErrorCode::BackendError && status.message() == detail::kNoDevicesFound) {
            return std::vector<DeviceInfo>();
        }
        return status;
    }
    std::vector<DeviceInfo> devices;
    devices.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        DeviceInfo info = detail::from_c(array[i]);
        if (detail::passes(info, filter)) devices.push_back(std::move(info));
    }
    return devices;
}

/// As scan_devices(filter) with a default filter.
inline Result<std::vector<DeviceInfo>> scan_devices() { return scan_devices(DeviceScanFilter{}); }

inline Result<Device> open_device(const DeviceInfo& device, const OpenDeviceOptions& options) {
    detail::CDeviceInfo description;
    detail::to_c(device, description);
    velmora_uvc_stereo_open_device_options c_options;
    c_options.required_capabilities = options.required_capabilities;
    velmora_uvc_stereo_device* opened = nullptr;
    const int code = velmora_uvc_stereo_open_device(&description, &c_options, &opened);
    if (code != VELMORA_UVC_STEREO_OK) return detail::status_from(code);

    auto state = std::make_unique<Device::State>();
    state->handle.reset(opened);
    detail::CDeviceInfo info;
    if (const int info_code = velmora_uvc_stereo_device_info(opened, &info); info_code != VELMORA_UVC_STEREO_OK) {
        return detail::status_from(info_code);
    }
    velmora_uvc_stereo_capability_info capability;
    velmora_uvc_stereo_capability_info_init(&capability);
    if (const int capability_code = velmora_uvc_stereo_device_capability_info(opened, &capability);
        capability_code != VELMORA_UVC_STEREO_OK) {
        return detail::status_from(capability_code);
    }
    state->info = detail::from_c(info);
    state->capability = detail::from_c(capability);
    // Flash is verified by a one-byte probe (bit 1) or by reading the JSON
    // document (bit 4); an open that succeeded has done the one asked for.
    state->flash_verified =
        (options.required_capabilities & (VELMORA_UVC_STEREO_REQUIRE_FLASH | VELMORA_UVC_STEREO_REQUIRE_FLASH_JSON)) != 0;
    return Device(std::move(state));
}

/// Converts raw IMU counts to degrees Celsius, g and degrees per second.
/// ErrorCode::InvalidArgument "temperature_lsb_per_c must not be zero" when
/// that scale is 0. Thread-safe.
inline Result<ConvertedImuResult> convert_imu(const ReadImuResult& raw, const ImuConversionOptions& options) {
    const velmora_uvc_stereo_read_imu_result c_raw = detail::to_c(raw);
    const velmora_uvc_stereo_imu_conversion_options c_options = detail::to_c(options);
    velmora_uvc_stereo_converted_imu_result converted;
    const int code = velmora_uvc_stereo_convert_imu(&c_raw, &c_options, &converted);
    if (code != VELMORA_UVC_STEREO_OK) return detail::status_from(code);
    return detail::from_c(converted);
}

}  // namespace velmora::uvc_stereo_c
