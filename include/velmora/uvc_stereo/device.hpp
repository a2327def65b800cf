/// @file
/// An opened camera: its flash JSON document and its IMU.
#pragma once

#include <memory>
#include <string_view>

#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo {

namespace detail {
struct DeviceAccess;
}

/// The caller's handle on one opened camera, made by open_device. Move-only;
/// a moved-from Device is closed: its operations fail with "device is closed
/// or moved-from" and its accessors answer with default records. Use from one
/// thread at a time; different Devices may be used from different threads.
/// Every operation is one complete session with the camera: nothing about
/// the camera is cached beyond what open_device established.
class VELMORA_UVC_STEREO_API Device {
public:
    /// The private implementation.
    class Impl;

    /// Takes the other Device's camera over; the other Device is closed.
    Device(Device&& other) noexcept;
    /// Closes this Device (ending its IMU session), then takes the other's camera over.
    Device& operator=(Device&& other) noexcept;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    /// Ends an open IMU session.
    ~Device();

    /// The description the camera was opened with.
    const DeviceInfo& info() const;
    /// What the camera's capability report declared (or why there is none).
    const DeviceCapabilityInfo& capability_info() const;
    /// open_device verified the flash (required_capabilities with 1 or 4).
    bool has_flash_transport() const;
    /// An IMU session has been opened successfully on this Device (stays true
    /// after close_imu).
    bool has_imu_transport() const;

    /// The JSON document in flash, minified, with the record's version; a
    /// success pauses 100 ms before it returns. Fails while an IMU session is
    /// open ("IMU must be closed before flash JSON access"), for a camera whose
    /// report declares no flash (ErrorCode::NotSupported), with the flash
    /// record's own errors (BadMagic for a blank flash, for example), and with
    /// ErrorCode::InvalidJson when the stored text is not JSON.
    Result<ReadJsonResult> read_json();
    /// Validates and minifies the text, stores it as a version-0 record, and
    /// reads it back to compare; a success pauses 100 ms before it returns.
    /// Fails as read_json does, and with ErrorCode::InvalidJson before the
    /// camera is touched.
    Status write_json(std::string_view json);

    /// Starts an IMU session (success when one is open already). Flash JSON
    /// access is refused while it is open. ErrorCode::NotSupported when the
    /// camera declares no IMU or its firmware does not allow it.
    Status open_imu();
    /// Reads one raw sample; fails when no session is open ("IMU is not open").
    Result<ReadImuResult> read_imu();
    /// Ends the IMU session; success also when none is open.
    Status close_imu();

    /// The camera's own scale values (from its capability report, or the
    /// defaults); ErrorCode::NotSupported for a camera without an IMU.
    Result<ImuConversionOptions> imu_conversion_options() const;
    /// Converts a raw sample with imu_conversion_options(); needs no session.
    Result<ConvertedImuResult> convert_imu(const ReadImuResult& raw) const;

private:
    friend struct detail::DeviceAccess;
    explicit Device(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> impl_;
};

/// Opens a camera from a scan's DeviceInfo: reads its capability report, takes
/// its flash layout and IMU transport from it, and checks
/// options.required_capabilities (see OpenDeviceOptions). The camera gets the
/// legacy defaults (flash user space 0x51000, 4096 bytes; IMU on unit 4,
/// selector 10) only when it is there and has no report: it answered 64 bytes
/// that are no valid report, or reading its capability control failed twice
/// with the same vendor call and code that is not a time-out. A camera no
/// longer found fails the open with the enumeration's status; failures that
/// do not tell (the vendor library not starting, two different failures,
/// time-outs, an exception) fail it with their own, whatever is required.
/// Thread-safe.
VELMORA_UVC_STEREO_API Result<Device> open_device(const DeviceInfo& device,
                                                  const OpenDeviceOptions& options = OpenDeviceOptions{});

/// Converts raw IMU counts to degrees Celsius, g and degrees per second.
/// ErrorCode::InvalidArgument "temperature_lsb_per_c must not be zero" when
/// that scale is 0. Thread-safe.
VELMORA_UVC_STEREO_API Result<ConvertedImuResult> convert_imu(const ReadImuResult& raw,
                                                              const ImuConversionOptions& options);

}  // namespace velmora::uvc_stereo
