// The camera library's calls with their fixed arguments and failure texts.
#include "vendor/vendor_calls.hpp"

#include <algorithm>
#include <array>

#include "sonix_camera.h"
#include "sonix_camera_extras.h"
#include "vendor/library_symbols.hpp"
#include "vendor/vendor_status.hpp"

namespace velmora::uvc_stereo::vendor {

// The session argument is the proof that a call runs under the lock with an
// Init outstanding; the calls themselves need nothing else of it.

namespace {

using win_detail::make_vendor_status;

constexpr std::uint32_t kReservedArgument = 0;
constexpr std::uint32_t kVersionBufferSize = 256;
constexpr std::uint8_t kSectorEraseCommand = 0x20;

// The library's constant arguments that release the write protection.
constexpr std::array<std::uint8_t, 6> kStatusRegisterWpArgs = {2, 5, 1, 6, 2, 3};
constexpr std::array<std::uint8_t, 2> kWriteProtectArgs = {1, 1};

// The device's code is read once and serves both the text and the caller.
CallStatus failed_call(ErrorCode code, const char* operation, DeviceRecord& device) {
    const std::int32_t vendor_code = win_detail::get_vendor_error_code(&device);
    return CallStatus{win_detail::make_vendor_status_for_code(code, operation, vendor_code), vendor_code};
}

bool is_empty_enumeration(std::uint32_t count) {
    return win_detail::is_no_device_error(win_detail::get_vendor_error_code(nullptr)) || count == 0;
}

}  // namespace

Result<std::vector<DeviceRecord>> enumerate(VendorSession& /*session*/) {
    std::vector<DeviceRecord> records(kMaxEnumeratedCameras);
    std::uint32_t count = 0;
    if (!SonixCam_EnumCameras(&count, records.data(), kMaxEnumeratedCameras)) {
        if (is_empty_enumeration(count)) return std::vector<DeviceRecord>{};
        return make_vendor_status(ErrorCode::BackendError, "SonixCam_EnumCameras", nullptr);
    }
    records.resize(std::min(count, kMaxEnumeratedCameras));
    return records;
}

bool read_descriptor(VendorSession& /*session*/, DeviceRecord& device, std::uint8_t selector, std::uint8_t* buffer,
                     std::uint32_t length) {
    std::fill(buffer, buffer + length, std::uint8_t{0});
    return SonixCam_GetDevDescriptor(&device, selector, buffer, length, kReservedArgument, kReservedArgument);
}

CallStatus set_node(VendorSession& /*session*/, DeviceRecord& device, std::uint8_t node,
                    const detail::GuidBytes& unit) {
    if (SonixCam_SetNodeID(&device, node, unit.data())) return {};
    return failed_call(ErrorCode::BackendError, "SonixCam_SetNodeID", device);
}

CallStatus xu_read(VendorSession& /*session*/, DeviceRecord& device, std::uint8_t* buffer, std::uint8_t length,
                   std::uint8_t selector, std::uint8_t node) {
    std::fill(buffer, buffer + length, std::uint8_t{0});
    if (SonixCam_XuRead(&device, buffer, length, selector, node)) return {};
    return failed_call(ErrorCode::BackendError, "SonixCam_XuRead", device);
}

Result<std::string> firmware_version(VendorSession& /*session*/, DeviceRecord& device) {
    std::array<char, kVersionBufferSize> buffer{};
    if (!SonixCam_GetVersion(&device, buffer.data(), kVersionBufferSize, kReservedArgument)) {
        return make_vendor_status(ErrorCode::ReadFailed, "SonixCam_GetVersion", &device);
    }
    // The library need not terminate the text: take at most the whole buffer.
    return std::string(buffer.data(), std::find(buffer.begin(), buffer.end(), '\0'));
}

Status serial_flash_type(VendorSession& /*session*/, DeviceRecord& device, SerialFlashType& type) {
    if (SonixCam_GetSerialFlashType(&device, &type)) return Status();
    return make_vendor_status(ErrorCode::DeviceUnavailable, "SonixCam_GetSerialFlashType", &device);
}

Status read_flash(VendorSession& /*session*/, DeviceRecord& device, std::uint32_t address, std::uint8_t* buffer,
                  std::uint32_t length) {
    if (SonixCam_CstmReadFromSF(&device, address, buffer, length)) return Status();
    return make_vendor_status(ErrorCode::ReadFailed, "SonixCam_CstmReadFromSF", &device);
}

Status write_flash(VendorSession& /*session*/, DeviceRecord& device, std::uint32_t address, const std::uint8_t* data,
                   std::uint32_t length) {
    if (SonixCam_WriteToSF(&device, address, data, length)) return Status();
    return make_vendor_status(ErrorCode::WriteFailed, "SonixCam_WriteToSF", &device);
}

Status erase_sector(VendorSession& /*session*/, DeviceRecord& device, std::uint32_t address) {
    if (SonixCam_SectorEraseSF(&device, address, kSectorEraseCommand)) return Status();
    return make_vendor_status(ErrorCode::EraseFailed, "SonixCam_SectorEraseSF", &device);
}

Status release_write_protection(VendorSession& /*session*/, DeviceRecord& device) {
    const std::array<std::uint8_t, 6>& wp = kStatusRegisterWpArgs;
    if (!SonixCam_SetStatusRegBitWP(&device, wp[0], wp[1], wp[2], wp[3], wp[4], wp[5])) {
        return make_vendor_status(ErrorCode::WriteFailed, "SonixCam_SetStatusRegBitWP", &device);
    }
    if (!SonixCam_SetWriteProtectedSF(&device, kWriteProtectArgs[0], kWriteProtectArgs[1])) {
        return make_vendor_status(ErrorCode::WriteFailed, "SonixCam_SetWriteProtectedSF", &device);
    }
    return Status();
}

std::int32_t v4l2_capture_node(VendorSession& /*session*/, DeviceRecord& device) {
    // Looked up once: the camera library stays loaded as long as the SDK is.
    static const auto node_of =
        reinterpret_cast<velmora_camera_v4l2_node_fn>(find_library_symbol(kVelmoraCameraV4l2NodeSymbol));
    return node_of != nullptr ? node_of(&device) : -1;
}

}  // namespace velmora::uvc_stereo::vendor
