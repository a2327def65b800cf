// The firmware version text, read on a flash session.
#include "transport/firmware_version.hpp"

#include "transport/flash_session.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

bool is_trailing_filler(char c) { return c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == ' '; }

}  // namespace

Result<std::string> read_firmware_version(FlashSession& session) {
    if (!session.device_ready) return Status(ErrorCode::InternalError, "device handle is not ready");

    Result<std::string> delivered = vendor::firmware_version(session.vendor, session.device);
    if (!delivered.ok()) return delivered;
    std::string& text = delivered.value();
    while (!text.empty() && is_trailing_filler(text.back())) text.pop_back();
    if (text.empty()) return Status(ErrorCode::ReadFailed, vendor::kEmptyFirmwareVersionMessage);
    return delivered;
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
