// The IMU session over the vendor library. The name is historical: it is the
// vendor-library reader on every platform, not Windows-only code.
#pragma once

#include <cstdint>
#include <vector>

#include "transport/imu_reader.hpp"
#include "transport/imu_transport_config.hpp"
#include "vendor/vendor_calls.hpp"

namespace velmora::uvc_stereo::detail {

// Owns one outstanding Init of the vendor library (handed off by the open's
// session) and gives it back on destruction under the vendor lock, before its
// buffer is freed. The extension unit stays selected. Each read runs in a
// vendor session on that Init.
class WindowsImuReader final : public ImuReader::Impl {
public:
    WindowsImuReader(const vendor::DeviceRecord& device, const ImuTransportConfig& transport,
                     win_detail::HeldVendorInit vendor_init);
    WindowsImuReader(const WindowsImuReader&) = delete;
    WindowsImuReader& operator=(const WindowsImuReader&) = delete;

    // One transfer, timestamped at its middle. Allocates nothing on success.
    Result<ReadImuResult> read() override;

private:
    vendor::DeviceRecord device_;
    ImuTransportConfig transport_;
    std::vector<std::uint8_t> buffer_;  // xu_length bytes, allocated once
    win_detail::HeldVendorInit vendor_init_;  // declared last: given back first
};

}  // namespace velmora::uvc_stereo::detail
