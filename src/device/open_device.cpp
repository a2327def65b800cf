// open_device: validation, capability probe, required-capability checks.
#include <cstdint>
#include <memory>
#include <utility>

#include "device/capability_state.hpp"
#include "device/device_impl.hpp"
#include "device/flash_json.hpp"
#include "discovery/scan_whitelist.hpp"
#include "transport/capability_probe.hpp"
#include "velmora/uvc_stereo/device.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo {

namespace {

// Everything that needs no camera, in the order the caller sees failures.
Status validate_open_request(const DeviceInfo& device, const OpenDeviceOptions& options) {
    if ((options.required_capabilities & ~detail::kKnownRequiredCapabilities) != 0) {
        return Status(ErrorCode::InvalidArgument, "open_device required_capabilities contains unknown bits");
    }
    if (device.vid == 0 || device.pid == 0) {
        return Status(ErrorCode::InvalidArgument, "selected device has invalid vid/pid");
    }
    if (!detail::is_whitelisted(device.vid, device.pid)) {
        return Status(ErrorCode::NotSupported, "selected device vid/pid is not in the scan whitelist");
    }
    return Status();
}

// The capabilities the caller asked for, checked on the camera. A flash JSON
// check reads the whole record, which also proves the flash, so it replaces
// the one-byte probe. The IMU is checked only when it is opened.
Result<std::uint32_t> verify_required_capabilities(const detail::CapabilityState& state, std::uint32_t required) {
    const bool wants_json = (required & RequiredCapabilities::FlashJson) != 0;
    const bool wants_flash = (required & RequiredCapabilities::Flash) != 0;
    if (!wants_json && !wants_flash) return Result<std::uint32_t>(0U);
    if (!state.flash_declared) {
        return Result<std::uint32_t>(detail::make_not_declared_status(detail::kFlashCapabilityName));
    }
    if (wants_json) {
        Result<ReadJsonResult> json = detail::read_flash_json(state.flash_config);
        if (!json.ok()) return Result<std::uint32_t>(json.status());
        return Result<std::uint32_t>(RequiredCapabilities::Flash | RequiredCapabilities::FlashJson);
    }
    Status probed = probe_flash_transport(state.flash_config);
    if (!probed.ok()) return Result<std::uint32_t>(std::move(probed));
    return Result<std::uint32_t>(RequiredCapabilities::Flash);
}

}  // namespace

Result<Device> open_device(const DeviceInfo& device, const OpenDeviceOptions& options) {
    Status valid = validate_open_request(device, options);
    if (!valid.ok()) return Result<Device>(std::move(valid));

    detail::XuCapabilityProbeResult probe = detail::probe_xu_capability(device);
    // The legacy layout is a guess that only a camera which is there and told
    // it has no report may be given: on a reporting camera it would point
    // writes at a sector that need not be its user space.
    if (probe.failure == detail::XuProbeFailure::Unsettled) return Result<Device>(std::move(probe.status));

    const FlashConfig selection = detail::make_selection_config(device);
    detail::CapabilityState state = detail::build_capability_state(selection, std::move(probe));
    Result<std::uint32_t> verified = verify_required_capabilities(state, options.required_capabilities);
    if (!verified.ok()) return Result<Device>(verified.status());

    auto impl = std::make_unique<Device::Impl>();
    impl->info = device;
    impl->flash_config = std::move(state.flash_config);
    impl->capability_info = std::move(state.info);
    impl->imu_transport = state.imu_transport;
    impl->flash_declared = state.flash_declared;
    impl->imu_declared = state.imu_declared;
    impl->verified_capabilities = verified.value();
    return Result<Device>(detail::DeviceAccess::make(std::move(impl)));
}

}  // namespace velmora::uvc_stereo
