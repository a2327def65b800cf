// Device's IMU session: gating, opening, reading and closing.
#include <memory>
#include <utility>

#include "device/capability_state.hpp"
#include "device/device_impl.hpp"
#include "device/firmware_gate.hpp"
#include "transport/imu_reader.hpp"
#include "velmora/uvc_stereo/device.hpp"

namespace velmora::uvc_stereo {

Status Device::open_imu() {
    if (!impl_) return detail::device_closed_status();
    if (impl_->imu_reader) return Status();  // one session per Device; keep it
    if (!impl_->imu_declared) return detail::make_not_declared_status(detail::kImuCapabilityName);

    Status gate = detail::ensure_imu_supported_by_firmware(impl_->info, impl_->flash_config);
    if (!gate.ok()) return gate;
    Result<detail::ImuReader> reader = detail::open_imu_platform(impl_->info, impl_->imu_transport);
    if (!reader.ok()) return reader.status();

    impl_->imu_reader = std::make_unique<detail::ImuReader>(std::move(reader.value()));
    impl_->verified_capabilities |= RequiredCapabilities::Imu;
    return Status();
}

Result<ReadImuResult> Device::read_imu() {
    if (!impl_) return Result<ReadImuResult>(detail::device_closed_status());
    if (!impl_->imu_reader) return Result<ReadImuResult>(Status(ErrorCode::InvalidArgument, "IMU is not open"));
    return impl_->imu_reader->read();
}

Status Device::close_imu() {
    if (!impl_) return detail::device_closed_status();
    // Destroying the reader balances the session's vendor Init under the lock.
    impl_->imu_reader.reset();
    return Status();
}

}  // namespace velmora::uvc_stereo
