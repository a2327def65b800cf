// The capability probe: reads of the capability control in one vendor
// session, judged by CapabilityAttempts, and the camera found again when a
// failure has to be told from an unplug.
#include "transport/capability_probe.hpp"

#include <exception>

#include "discovery/device_resolution.hpp"
#include "discovery/windows_usb_identity.hpp"
#include "sonix_camera.h"
#include "transport/capability_attempts.hpp"
#include "transport/vendor/vendor_session.hpp"
#include "transport/vendor/vendor_status.hpp"
#include "transport/vendor_xu.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

static_assert(kTransferTimedOutCode == SonixLib::ecSyncTransTimeOut);

CapabilityAttempt failed_call(const char* operation, SonixLib::scDevice_t* record) {
    const std::int32_t vendor_code = win_detail::get_vendor_error_code(record);
    return CapabilityAttempt::failed(
        operation, vendor_code, win_detail::make_vendor_status_for_code(ErrorCode::BackendError, operation, vendor_code));
}

// One attempt: select the capability unit, then read the report into a
// zeroed buffer.
CapabilityAttempt attempt_capability_read(SonixLib::scDevice_t& record) {
    if (!SonixCam_SetNodeID(&record, kCapabilityXuNodeId, kVendorXuGuid.data())) {
        return failed_call("SonixCam_SetNodeID", &record);
    }
    CapabilityReportBytes bytes{};
    if (!SonixCam_XuRead(&record, bytes.data(), static_cast<std::uint8_t>(bytes.size()), kCapabilityXuSelector,
                         kCapabilityXuNodeId)) {
        return failed_call("SonixCam_XuRead", &record);
    }
    return CapabilityAttempt::answered(bytes);
}

// Everything between SonixCam_Init and SonixCam_UnInit. A camera that is not
// found again after a failed attempt is gone, whatever codes the failures
// carried: the open fails with the resolution's status, as it would have had
// the camera gone a moment earlier.
XuCapabilityProbeResult read_capability_report(const DeviceInfo& device, DeviceResolver resolve) {
    const FlashConfig selection = make_selection_config(device);
    Result<win_detail::EnumeratedDevice> resolved = resolve(selection, false);
    if (!resolved.ok()) return failed_probe(resolved.status(), XuProbeFailure::Unsettled);
    SonixLib::scDevice_t record = resolved.value().device;

    CapabilityAttempts attempts;
    while (attempts.wants_another()) attempts.add(attempt_capability_read(record));
    if (attempts.needs_presence_check()) {
        Result<win_detail::EnumeratedDevice> found_again = resolve(selection, false);
        if (!found_again.ok()) return failed_probe(found_again.status(), XuProbeFailure::Unsettled);
    }
    return attempts.verdict();
}

}  // namespace

FlashConfig make_selection_config(const DeviceInfo& device) {
    FlashConfig config;
    config.auto_select = false;
    config.filter_vid = 0;
    config.filter_pid = 0;
    if (device.vid != 0 && device.pid != 0) config.vidpid = win_detail::make_vidpid_string(device.vid, device.pid);
    config.aux_flag_0 = device.aux_flag_0;
    config.aux_flag_1 = device.aux_flag_1;
    config.serial_number = device.serial_number;
    config.device_path = device.device_path;
    return config;
}

XuCapabilityProbeResult probe_xu_capability(const DeviceInfo& device) {
    return probe_xu_capability_using(device, &win_detail::resolve_device_with_active_runtime);
}

XuCapabilityProbeResult probe_xu_capability_using(const DeviceInfo& device, DeviceResolver resolve) {
    win_detail::VendorSession vendor;
    Status initialized = vendor.initialize(ErrorCode::DeviceUnavailable);
    if (!initialized.ok()) return failed_probe(std::move(initialized), XuProbeFailure::Unsettled);
    // An exception says nothing about the camera: it never makes a legacy one.
    try {
        return read_capability_report(device, resolve);
    } catch (const std::exception& error) {
        return failed_probe(Status(ErrorCode::InternalError, error.what()), XuProbeFailure::Unsettled);
    } catch (...) {
        return failed_probe(Status(ErrorCode::InternalError, "unknown exception during Windows capability XU read"),
                            XuProbeFailure::Unsettled);
    }
}

}  // namespace velmora::uvc_stereo::detail
