// Reading IMU samples through the vendor library's extension-unit control.
#include "transport/windows_imu_reader.hpp"

#include <utility>

#include "transport/imu_payload.hpp"
#include "transport/monotonic_clock.hpp"

namespace velmora::uvc_stereo::detail {

WindowsImuReader::WindowsImuReader(const vendor::DeviceRecord& device, const ImuTransportConfig& transport,
                                   win_detail::HeldVendorInit vendor_init)
    : device_(device), transport_(transport), buffer_(transport.xu_length, 0), vendor_init_(std::move(vendor_init)) {}

Result<ReadImuResult> WindowsImuReader::read() {
    win_detail::VendorSession session(vendor_init_);
    const std::uint64_t t0 = monotonic_now_ns();
    vendor::CallStatus read = vendor::xu_read(session, device_, buffer_.data(), transport_.xu_length,
                                              transport_.xu_selector, transport_.xu_unit);
    if (!read.ok()) return std::move(read.status);
    const std::uint64_t t1 = monotonic_now_ns();

    ReadImuResult sample;
    Status decoded = decode_imu_payload(buffer_.data(), buffer_.size(), sample);
    if (!decoded.ok()) return decoded;
    sample.timestamp_ns = transfer_midpoint_ns(t0, t1);
    return sample;
}

}  // namespace velmora::uvc_stereo::detail
