// An open IMU session: the vendor library stays initialised and the IMU
// extension unit selected until the reader is destroyed.
#pragma once

#include <cstdint>
#include <memory>

#include "discovery/device_resolution.hpp"
#include "transport/imu_transport_config.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

class ImuReader {
public:
    // A platform session; WindowsImuReader is the only one.
    class Impl {
    public:
        virtual ~Impl() = default;
        virtual Result<ReadImuResult> read() = 0;
    };

    ImuReader(ImuReader&& other) noexcept = default;
    // Destroys the session it replaces.
    ImuReader& operator=(ImuReader&& other) noexcept = default;
    ImuReader(const ImuReader&) = delete;
    ImuReader& operator=(const ImuReader&) = delete;
    ~ImuReader() = default;

    // One sample; "IMU reader is closed or moved-from" on a moved-from reader.
    Result<ReadImuResult> read();

private:
    friend Result<ImuReader> open_imu_platform_using(const DeviceInfo& device, const ImuTransportConfig& transport,
                                                     DeviceResolver resolve);
    explicit ImuReader(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> impl_;
};

// Opens the IMU control of the device. Never throws.
Result<ImuReader> open_imu_platform(const DeviceInfo& device, const ImuTransportConfig& transport);

// The same open with the device found by resolve instead of the real
// resolution; exceptions it throws are caught like any other.
Result<ImuReader> open_imu_platform_using(const DeviceInfo& device, const ImuTransportConfig& transport,
                                          DeviceResolver resolve);

// Host time in nanoseconds from the performance counter; 0 when unavailable.
std::uint64_t monotonic_now_ns();

}  // namespace velmora::uvc_stereo::detail
