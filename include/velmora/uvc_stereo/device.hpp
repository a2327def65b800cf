// An opened camera: its flash JSON document and its IMU.
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

// The caller's handle on one opened camera. Move-only; a moved-from Device is
// closed: its operations fail with "device is closed or moved-from" and its
// accessors answer with default records. Use from one thread at a time;
// different Devices may be used from different threads.
class VELMORA_UVC_STEREO_API Device {
public:
    class Impl;

    Device(Device&& other) noexcept;
    Device& operator=(Device&& other) noexcept;
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    ~Device();

    const DeviceInfo& info() const;
    const DeviceCapabilityInfo& capability_info() const;
    // The flash was verified when the device was opened.
    bool has_flash_transport() const;
    // An IMU session has been opened successfully on this Device (stays true
    // after close_imu).
    bool has_imu_transport() const;

    // The JSON document in flash, minified, with the record's version.
    Result<ReadJsonResult> read_json();
    // Validates and minifies the text, then stores it as a version-0 record.
    Status write_json(std::string_view json);

    // Flash JSON access is refused while an IMU session is open.
    Status open_imu();
    Result<ReadImuResult> read_imu();
    Status close_imu();

    Result<ImuConversionOptions> imu_conversion_options() const;
    Result<ConvertedImuResult> convert_imu(const ReadImuResult& raw) const;

private:
    friend struct detail::DeviceAccess;
    explicit Device(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> impl_;
};

// Opens a camera from a scan's DeviceInfo: reads its capability report, takes
// its flash layout and IMU transport from it (or legacy defaults when the
// camera answers without one), and checks options.required_capabilities
// (1 flash, 2 IMU, 4 flash JSON). A camera that cannot be reached while the
// report is read fails the open with that status, whatever is required.
VELMORA_UVC_STEREO_API Result<Device> open_device(const DeviceInfo& device,
                                                  const OpenDeviceOptions& options = OpenDeviceOptions{});

// Converts raw IMU counts to degrees Celsius, g and degrees per second.
VELMORA_UVC_STEREO_API Result<ConvertedImuResult> convert_imu(const ReadImuResult& raw,
                                                              const ImuConversionOptions& options);

}  // namespace velmora::uvc_stereo
