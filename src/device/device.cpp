// Device: ownership, accessors and flash JSON access.
#include "velmora/uvc_stereo/device.hpp"

#include <utility>

#include "device/capability_state.hpp"
#include "device/device_impl.hpp"
#include "device/flash_json.hpp"

namespace velmora::uvc_stereo {

namespace {

// Process-wide answers of a closed Device's accessors; built on first use.
const DeviceInfo& default_device_info() {
    static const DeviceInfo info;
    return info;
}

const DeviceCapabilityInfo& default_capability_info() {
    static const DeviceCapabilityInfo info;
    return info;
}

// The checks both JSON operations make before touching the camera, in order.
Status check_flash_json_access(const Device::Impl* impl) {
    if (impl == nullptr) return detail::device_closed_status();
    if (impl->imu_reader) {
        return Status(ErrorCode::InvalidArgument, "IMU must be closed before flash JSON access");
    }
    if (!impl->flash_declared) return detail::make_not_declared_status(detail::kFlashCapabilityName);
    return Status();
}

}  // namespace

Device::Device(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Device::Device(Device&& other) noexcept : impl_(std::move(other.impl_)) {}

Device& Device::operator=(Device&& other) noexcept {
    if (this != &other) {
        // The old camera's IMU session ends before the new one is taken over.
        impl_.reset();
        impl_ = std::move(other.impl_);
    }
    return *this;
}

Device::~Device() = default;

const DeviceInfo& Device::info() const { return impl_ ? impl_->info : default_device_info(); }

const DeviceCapabilityInfo& Device::capability_info() const {
    return impl_ ? impl_->capability_info : default_capability_info();
}

bool Device::has_flash_transport() const {
    return impl_ && (impl_->verified_capabilities & RequiredCapabilities::Flash) != 0;
}

bool Device::has_imu_transport() const {
    return impl_ && (impl_->verified_capabilities & RequiredCapabilities::Imu) != 0;
}

Result<ReadJsonResult> Device::read_json() {
    Status allowed = check_flash_json_access(impl_.get());
    if (!allowed.ok()) return Result<ReadJsonResult>(std::move(allowed));
    return detail::read_flash_json(impl_->flash_config);
}

Status Device::write_json(std::string_view json) {
    Status allowed = check_flash_json_access(impl_.get());
    if (!allowed.ok()) return allowed;
    return detail::write_flash_json(impl_->flash_config, json);
}

}  // namespace velmora::uvc_stereo
