// Flash layout and IMU transport from a capability report or legacy defaults.
#include "device/capability_state.hpp"

#include <cstring>
#include <string>
#include <utility>

namespace velmora::uvc_stereo::detail {

namespace {

CapabilityState legacy_state(const FlashConfig& selection) {
    CapabilityState state;
    state.flash_config = selection;
    state.flash_config.flash_user_space_address = kLegacyFlashUserSpaceAddress;
    state.flash_config.flash_user_space_size = kLegacyFlashUserSpaceSize;
    state.info.state = CapabilityInfoState::Legacy;
    state.info.message = kLegacyCapabilityMessage;
    state.flash_declared = true;
    state.imu_declared = true;
    return state;
}

CapabilityState reported_state(const FlashConfig& selection, CapabilityReport report) {
    CapabilityState state;
    state.flash_config = selection;
    state.flash_declared = (report.capability_bits & CapabilityBits::Flash) != 0;
    state.imu_declared = (report.capability_bits & CapabilityBits::Imu) != 0;
    if (state.flash_declared && report.flash) {
        state.flash_config.flash_user_space_address = report.flash->user_space_address;
        state.flash_config.flash_user_space_size = report.flash->user_space_size;
    }
    if (state.imu_declared && report.imu) {
        state.imu_transport.xu_unit = report.imu->xu_unit;
        state.imu_transport.xu_selector = report.imu->xu_selector;
        state.imu_transport.xu_length = report.imu->xu_length;
        state.imu_transport.conversion = report.imu->conversion;
    }
    state.info.state = CapabilityInfoState::Reported;
    state.info.report = std::move(report);
    return state;
}

}  // namespace

Status make_not_declared_status(const char* capability_name) {
    if (capability_name != nullptr && std::strcmp(capability_name, kImuCapabilityName) == 0) {
        return Status(ErrorCode::NotSupported, "IMU is not supported on this device");
    }
    std::string message = "valid capability XU report does not declare ";
    message += capability_name != nullptr ? capability_name : "the requested capability";
    return Status(ErrorCode::NotSupported, std::move(message));
}

CapabilityState build_capability_state(const FlashConfig& selection, XuCapabilityProbeResult probe) {
    if (probe.state != 0 || !probe.report) return legacy_state(selection);
    return reported_state(selection, std::move(*probe.report));
}

}  // namespace velmora::uvc_stereo::detail
