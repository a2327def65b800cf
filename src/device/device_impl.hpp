// What an open Device holds, and the one way to build a Device from it.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "transport/imu_reader.hpp"
#include "transport/imu_transport_config.hpp"
#include "velmora/uvc_stereo/device.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo {

class Device::Impl {
public:
    Impl() = default;
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    // The IMU session ends (its vendor Init balanced) before anything else goes.
    ~Impl() { imu_reader.reset(); }

    DeviceInfo info;           // as passed to open_device
    FlashConfig flash_config;  // selection plus the effective flash user space
    DeviceCapabilityInfo capability_info;
    detail::ImuTransportConfig imu_transport;
    bool flash_declared = false;
    bool imu_declared = false;
    // 1 flash verified at open, 2 an IMU session was opened, 4 flash JSON
    // verified at open.
    std::uint32_t verified_capabilities = 0;
    std::unique_ptr<detail::ImuReader> imu_reader;  // empty while the IMU is closed
};

namespace detail {

// The answer of every fallible operation of a closed or moved-from Device.
inline Status device_closed_status() { return Status(ErrorCode::InvalidArgument, "device is closed or moved-from"); }

// Builds Devices (open_device) and lets internal code look inside one.
struct DeviceAccess {
    static Device make(std::unique_ptr<Device::Impl> impl) { return Device(std::move(impl)); }
    // Null for a closed or moved-from Device.
    static const Device::Impl* impl(const Device& device) { return device.impl_.get(); }
    static Device::Impl* impl(Device& device) { return device.impl_.get(); }
};

}  // namespace detail

}  // namespace velmora::uvc_stereo
