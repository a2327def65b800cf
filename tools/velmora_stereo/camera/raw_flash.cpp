// Putting raw bytes back at the start of a camera's flash user space.
#include "camera/raw_flash.hpp"

namespace velmora::stereo_tool {

namespace uvc = velmora::uvc_stereo;

// The raw writer belongs to the SDK core's vendor layer, under the same lock
// and write protocol as the record writer; until the tool links it, raw
// backups are kept and listed but cannot be written back.
bool raw_flash_writer_available() { return false; }

uvc::Status write_user_space_raw(const uvc::FlashConfig&, const std::vector<std::uint8_t>&) {
    return uvc::Status(uvc::ErrorCode::NotSupported,
                       "this build of the tool has no raw flash writer; only backups of valid records can be restored");
}

}  // namespace velmora::stereo_tool
