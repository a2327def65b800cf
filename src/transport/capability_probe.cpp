// The capability probe: reads of the capability control in one vendor
// session, judged by CapabilityAttempts, and the camera found again when a
// failure has to be told from an unplug.
#include "transport/capability_probe.hpp"

#include <exception>
#include <utility>

#include "discovery/device_resolution.hpp"
#include "discovery/windows_usb_identity.hpp"
#include "transport/capability_attempts.hpp"
#include "vendor/vendor_calls.hpp"
#include "vendor/vendor_status.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

static_assert(kTransferTimedOutCode == SonixLib::ecSyncTransTimeOut);

// A failed call, with the vendor code its status was built from.
CapabilityAttempt failed_call(const char* operation, vendor::CallStatus call) {
    return CapabilityAttempt::failed(operation, call.vendor_code, std::move(call.status));
}

// One attempt: select the capability unit, then read the report into a
// zeroed buffer.
CapabilityAttempt attempt_capability_read(win_detail::VendorSession& session, vendor::DeviceRecord& record) {
    vendor::CallStatus selected = vendor::set_node(session, record, kCapabilityXuNodeId, kVendorXuGuid);
    if (!selected.ok()) return failed_call("SonixCam_SetNodeID", std::move(selected));
    CapabilityReportBytes bytes{};
    vendor::CallStatus read = vendor::xu_read(session, record, bytes.data(), static_cast<std::uint8_t>(bytes.size()),
                                              kCapabilityXuSelector, kCapabilityXuNodeId);
    if (!read.ok()) return failed_call("SonixCam_XuRead", std::move(read));
    return CapabilityAttempt::answered(bytes);
}

// Everything between the vendor library's Init and UnInit. A camera that is
// not found again after a failed attempt is gone, whatever codes the failures
// carried: the open fails with the resolution's status, as it would have had
// the camera gone a moment earlier.
XuCapabilityProbeResult read_capability_report(win_detail::VendorSession& session, const DeviceInfo& device,
                                               DeviceResolver resolve) {
    const FlashConfig selection = make_selection_config(device);
    Result<win_detail::EnumeratedDevice> resolved = resolve(session, selection, false);
    if (!resolved.ok()) return failed_probe(resolved.status(), XuProbeFailure::Unsettled);
    vendor::DeviceRecord record = resolved.value().device;

    CapabilityAttempts attempts;
    while (attempts.wants_another()) attempts.add(attempt_capability_read(session, record));
    if (attempts.needs_presence_check()) {
        Result<win_detail::EnumeratedDevice> found_again = resolve(session, selection, false);
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
        return read_capability_report(vendor, device, resolve);
    } catch (const std::exception& error) {
        return failed_probe(Status(ErrorCode::InternalError, error.what()), XuProbeFailure::Unsettled);
    } catch (...) {
        return failed_probe(Status(ErrorCode::InternalError, "unknown exception during Windows capability XU read"),
                            XuProbeFailure::Unsettled);
    }
}

}  // namespace velmora::uvc_stereo::detail
