// The firmware conditions on the IMU of some camera models.
#include "device/firmware_gate.hpp"

#include <string>

#include "device/capability_state.hpp"
#include "device/pause.hpp"
#include "discovery/scan_whitelist.hpp"
#include "transport/firmware_version.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

Status imu_refused() { return make_not_declared_status(kImuCapabilityName); }

// The decision once the version is known; an unknown version (read failure or
// empty text) blocks only models that require one exact version.
Status judge_firmware(std::string_view required, std::string_view disabling, const Result<std::string>& version) {
    if (!version.ok() || version.value().empty()) return required.empty() ? Status() : imu_refused();
    const std::string& firmware = version.value();
    if (firmware_version_disables_imu(disabling, firmware)) return imu_refused();
    if (!firmware_version_allows_imu(required, firmware)) return imu_refused();
    return Status();
}

}  // namespace

bool firmware_version_allows_imu(std::string_view required, std::string_view firmware) {
    return required.empty() || required == firmware;
}

bool firmware_version_disables_imu(std::string_view disabling, std::string_view firmware) {
    if (disabling.empty() || disabling.size() > firmware.size()) return false;
    return firmware.find(disabling) != std::string_view::npos;
}

Status ensure_imu_supported_by_firmware(const DeviceInfo& device, const FlashConfig& config) {
    std::string_view required;
    std::string_view disabling;
    if (const ScanWhitelistEntry* entry = find_whitelist_entry(device.vid, device.pid)) {
        required = entry->imu_required_firmware;
        disabling = entry->imu_disabling_firmware;
    }
    if (required.empty() && disabling.empty()) return Status();

    const Result<std::string> version = read_firmware_version_from_device(config);
    // The read has released the vendor lock by now.
    pause_on_calling_thread(kFirmwareReadPause);
    return judge_firmware(required, disabling, version);
}

}  // namespace velmora::uvc_stereo::detail
