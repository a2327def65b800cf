// The firmware version text, read on a flash session.
#include "transport/firmware_version.hpp"

#include <array>

#include "transport/flash_session.hpp"
#include "transport/vendor/vendor_status.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

constexpr std::uint32_t kVersionBufferSize = 256;
constexpr std::uint32_t kVersionQueryReserved = 0;

bool is_trailing_filler(char c) { return c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == ' '; }

}  // namespace

Result<std::string> read_firmware_version(FlashSession& session) {
    if (!session.device_ready) return Status(ErrorCode::InternalError, "device handle is not ready");

    std::array<char, kVersionBufferSize> buffer{};
    if (!SonixCam_GetVersion(&session.device, buffer.data(), kVersionBufferSize, kVersionQueryReserved)) {
        return win_detail::make_vendor_status(ErrorCode::ReadFailed, "SonixCam_GetVersion", &session.device);
    }

    // The library need not terminate the text: take at most the whole buffer.
    std::size_t length = 0;
    while (length < buffer.size() && buffer[length] != '\0') ++length;
    while (length > 0 && is_trailing_filler(buffer[length - 1])) --length;
    if (length == 0) return Status(ErrorCode::ReadFailed, "SonixCam_GetVersion returned empty firmware version");
    return std::string(buffer.data(), length);
}

Result<std::string> read_firmware_version_from_device(const FlashConfig& config) {
    FlashSession session(config);
    Status opened = open_flash_session(session);
    if (!opened.ok()) return opened;
    return read_firmware_version(session);
}

}  // namespace velmora::uvc_stereo::detail

namespace velmora::uvc_stereo {

Result<std::string> read_firmware_version(const FlashConfig& config) {
    return detail::read_firmware_version_from_device(config);
}

}  // namespace velmora::uvc_stereo
