// The camera library's calls, one small function each: with the session
// bracket (vendor_session.hpp) the only code that calls SonixCam_*. Each
// takes the session it runs in, so no call can be written without the
// process-wide lock and an outstanding Init. A failure comes back as the
// status the SDK reports for that call, its text built from the code the
// library gives for the device: "<function> failed: vendor_code=<name>(<n>)".
// Arguments and their order are the library's contract, fixed here once.
//
// Also the desk tool's way to the camera library: it links the static core
// and reads raw answers through these functions, under the same lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vendor/device_record.hpp"
#include "vendor/extension_unit.hpp"
#include "vendor/vendor_session.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::vendor {

using win_detail::VendorSession;

// A failed call's status together with the vendor code its text was built
// from, for callers that tell failures apart (an unplugged camera from a
// refusal). vendor_code is 0 on success.
struct [[nodiscard]] CallStatus {
    Status status;
    std::int32_t vendor_code = 0;

    bool ok() const noexcept { return status.ok(); }
};

// Texts of answers the SDK refuses although the call itself succeeded.
inline constexpr const char* kUnknownSerialFlashMessage = "SonixCam_GetSerialFlashType returned SF_UNKNOW";
inline constexpr const char* kEmptyFirmwareVersionMessage = "SonixCam_GetVersion returned empty firmware version";

// The attached cameras' records in the library's order, at most
// kMaxEnumeratedCameras. A failed enumeration that counted nothing, or after
// which the library-wide code is ecNotFindDevice, is an empty list: the codes
// the library leaves behind when nothing is attached are not known, and the
// library-wide code may be a stale one of an earlier call. Any other failure
// is BackendError.
Result<std::vector<DeviceRecord>> enumerate(VendorSession& session);

// Descriptor query into buffer (zeroed first): selector 0 with length 4 gives
// the id bytes, selectors 2, 3 and 4 with length 64 the texts. False when the
// query failed; callers leave such a field as it was.
bool read_descriptor(VendorSession& session, DeviceRecord& device, std::uint8_t selector, std::uint8_t* buffer,
                     std::uint32_t length);

// Selects the extension unit with this GUID on node node. BackendError.
CallStatus set_node(VendorSession& session, DeviceRecord& device, std::uint8_t node, const detail::GuidBytes& unit);

// One read of control selector of node node into buffer (zeroed first).
// BackendError.
CallStatus xu_read(VendorSession& session, DeviceRecord& device, std::uint8_t* buffer, std::uint8_t length,
                   std::uint8_t selector, std::uint8_t node);

// The firmware version as delivered: the bytes of a 256-byte answer before
// its first NUL (all 256 when there is none), untrimmed. ReadFailed.
Result<std::string> firmware_version(VendorSession& session, DeviceRecord& device);

// The serial-flash type; kNoSerialFlash is a success here. DeviceUnavailable.
Status serial_flash_type(VendorSession& session, DeviceRecord& device, SerialFlashType& type);

// Flash transfers, one call each whatever the length. ReadFailed, WriteFailed
// and EraseFailed with the vendor's text alone: the flash layer adds the
// address and length.
Status read_flash(VendorSession& session, DeviceRecord& device, std::uint32_t address, std::uint8_t* buffer,
                  std::uint32_t length);
Status write_flash(VendorSession& session, DeviceRecord& device, std::uint32_t address, const std::uint8_t* data,
                   std::uint32_t length);

// Erases the 4 KiB sector at address (the library's sector-erase command).
Status erase_sector(VendorSession& session, DeviceRecord& device, std::uint32_t address);

// Releases the flash write protection: the status-register bits, then the
// protection itself; the first refusal stops it. WriteFailed. Nothing of the
// SDK sets the protection again.
Status release_write_protection(VendorSession& session, DeviceRecord& device);

// The number N of the camera's video4linux capture node /dev/videoN, as the
// camera library names it through its optional velmora_camera_v4l2_node
// (looked up at run time: the vendor's own library has no such function);
// -1 when it names none or lacks the function.
std::int32_t v4l2_capture_node(VendorSession& session, DeviceRecord& device);

}  // namespace velmora::uvc_stereo::vendor
