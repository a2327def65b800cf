// The capability probe: one 64-byte read of the capability control, judged
// by the report decoder.
#include "transport/capability_probe.hpp"

#include <exception>

#include "discovery/device_resolution.hpp"
#include "discovery/windows_usb_identity.hpp"
#include "sonix_camera.h"
#include "transport/vendor/vendor_session.hpp"
#include "transport/vendor/vendor_status.hpp"
#include "transport/vendor_xu.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

XuCapabilityProbeResult failed_probe(Status status, XuProbeFailure why) {
    XuCapabilityProbeResult result;
    result.state = 1;
    result.status = std::move(status);
    result.failure = why;
    return result;
}

// A failed SetNodeID or XuRead: the camera is gone, or it answered "no".
XuCapabilityProbeResult failed_transfer(const char* operation, SonixLib::scDevice_t* record) {
    const std::int32_t vendor_code = win_detail::get_vendor_error_code(record);
    const XuProbeFailure why = win_detail::is_device_gone_error(vendor_code) ? XuProbeFailure::CameraNotReached
                                                                              : XuProbeFailure::ExtensionUnitFailed;
    return failed_probe(win_detail::make_vendor_status_for_code(ErrorCode::BackendError, operation, vendor_code), why);
}

// Everything between SonixCam_Init and SonixCam_UnInit.
XuCapabilityProbeResult read_capability_report(const DeviceInfo& device, DeviceResolver resolve) {
    const FlashConfig selection = make_selection_config(device);
    Result<win_detail::EnumeratedDevice> resolved = resolve(selection, false);
    if (!resolved.ok()) return failed_probe(resolved.status(), XuProbeFailure::CameraNotReached);
    SonixLib::scDevice_t record = resolved.value().device;

    if (!SonixCam_SetNodeID(&record, kCapabilityXuNodeId, kVendorXuGuid.data())) {
        return failed_transfer("SonixCam_SetNodeID", &record);
    }
    CapabilityReportBytes bytes{};
    if (!SonixCam_XuRead(&record, bytes.data(), static_cast<std::uint8_t>(bytes.size()), kCapabilityXuSelector,
                         kCapabilityXuNodeId)) {
        return failed_transfer("SonixCam_XuRead", &record);
    }
    return interpret_xu_capability_bytes(bytes);
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
    if (!initialized.ok()) return failed_probe(std::move(initialized), XuProbeFailure::CameraNotReached);
    try {
        return read_capability_report(device, resolve);
    } catch (const std::exception& error) {
        return failed_probe(Status(ErrorCode::InternalError, error.what()), XuProbeFailure::NoValidReport);
    } catch (...) {
        return failed_probe(Status(ErrorCode::InternalError, "unknown exception during Windows capability XU read"),
                            XuProbeFailure::NoValidReport);
    }
}

}  // namespace velmora::uvc_stereo::detail
