// The capability probe: one 64-byte read of the capability control, judged
// by the report decoder.
#include "transport/capability_probe.hpp"

#include <exception>

#include "discovery/device_resolution.hpp"
#include "discovery/windows_usb_identity.hpp"
#include "vendor/vendor_calls.hpp"
#include "vendor/vendor_status.hpp"

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
XuCapabilityProbeResult failed_transfer(vendor::CallStatus call) {
    const XuProbeFailure why = win_detail::is_device_gone_error(call.vendor_code) ? XuProbeFailure::CameraNotReached
                                                                                   : XuProbeFailure::ExtensionUnitFailed;
    return failed_probe(std::move(call.status), why);
}

// Everything between the vendor library's Init and UnInit.
XuCapabilityProbeResult read_capability_report(win_detail::VendorSession& session, const DeviceInfo& device,
                                               DeviceResolver resolve) {
    const FlashConfig selection = make_selection_config(device);
    Result<win_detail::EnumeratedDevice> resolved = resolve(session, selection, false);
    if (!resolved.ok()) return failed_probe(resolved.status(), XuProbeFailure::CameraNotReached);
    vendor::DeviceRecord record = resolved.value().device;

    vendor::CallStatus selected = vendor::set_node(session, record, kCapabilityXuNodeId, kVendorXuGuid);
    if (!selected.ok()) return failed_transfer(std::move(selected));
    CapabilityReportBytes bytes{};
    vendor::CallStatus read = vendor::xu_read(session, record, bytes.data(), static_cast<std::uint8_t>(bytes.size()),
                                              kCapabilityXuSelector, kCapabilityXuNodeId);
    if (!read.ok()) return failed_transfer(std::move(read));
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
        return read_capability_report(vendor, device, resolve);
    } catch (const std::exception& error) {
        return failed_probe(Status(ErrorCode::InternalError, error.what()), XuProbeFailure::NoValidReport);
    } catch (...) {
        return failed_probe(Status(ErrorCode::InternalError, "unknown exception during Windows capability XU read"),
                            XuProbeFailure::NoValidReport);
    }
}

}  // namespace velmora::uvc_stereo::detail
