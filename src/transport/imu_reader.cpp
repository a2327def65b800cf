// Opening an IMU session and the reader handle around it.
#include "transport/imu_reader.hpp"

#include <exception>

#include "transport/capability_probe.hpp"
#include "transport/imu_payload.hpp"
#include "transport/windows_imu_reader.hpp"
#include "vendor/vendor_calls.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

bool has_device_selector(const DeviceInfo& device) {
    return !device.device_path.empty() || !device.serial_number.empty() || (device.vid != 0 && device.pid != 0);
}

bool is_valid_transport(const ImuTransportConfig& transport) {
    return transport.xu_unit != 0 && transport.xu_selector != 0 && transport.xu_length >= kImuPayloadSize;
}

}  // namespace

ImuReader::ImuReader(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Result<ReadImuResult> ImuReader::read() {
    if (!impl_) return Status(ErrorCode::InvalidArgument, "IMU reader is closed or moved-from");
    return impl_->read();
}

namespace {

// Runs in a vendor session with the library initialised: finds the device,
// selects its IMU extension unit, and hands the session's Init on to the
// reader, which keeps it until it is destroyed.
Status open_imu_session(const DeviceInfo& device, const ImuTransportConfig& transport, DeviceResolver resolve,
                        win_detail::VendorSession& session, std::unique_ptr<ImuReader::Impl>& reader) {
    Result<win_detail::EnumeratedDevice> resolved = resolve(session, make_selection_config(device), false);
    if (!resolved.ok()) return resolved.status();
    vendor::DeviceRecord record = resolved.value().device;
    vendor::CallStatus selected = vendor::set_node(session, record, transport.xu_unit, kVendorXuGuid);
    if (!selected.ok()) return std::move(selected.status);
    reader = std::make_unique<WindowsImuReader>(record, transport, session.hand_off());
    return Status();
}

}  // namespace

Result<ImuReader> open_imu_platform(const DeviceInfo& device, const ImuTransportConfig& transport) {
    return open_imu_platform_using(device, transport, &win_detail::resolve_device_with_active_runtime);
}

Result<ImuReader> open_imu_platform_using(const DeviceInfo& device, const ImuTransportConfig& transport,
                                          DeviceResolver resolve) {
    if (!has_device_selector(device)) {
        return Status(ErrorCode::InvalidArgument, "selected device has no Windows device_path, serial_number, or vid/pid");
    }
    if (!is_valid_transport(transport)) return Status(ErrorCode::InvalidArgument, "invalid IMU transport configuration");

    win_detail::VendorSession vendor;
    try {
        Status initialized = vendor.initialize(ErrorCode::DeviceUnavailable);
        if (!initialized.ok()) return initialized;
        std::unique_ptr<ImuReader::Impl> session;
        Status opened = open_imu_session(device, transport, resolve, vendor, session);
        if (!opened.ok()) return opened;
        return ImuReader(std::move(session));
    } catch (const std::exception& error) {
        return Status(ErrorCode::InternalError, error.what());
    } catch (...) {
        return Status(ErrorCode::InternalError, "unknown exception during Windows IMU open");
    }
}

}  // namespace velmora::uvc_stereo::detail
