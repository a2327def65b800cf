// Putting raw bytes back at the start of a camera's flash user space.
#include "camera/raw_flash.hpp"

#include "transport/flash_user_space.hpp"

namespace velmora::stereo_tool {

namespace uvc = velmora::uvc_stereo;

uvc::Status write_user_space_raw(uvc::FlashConfig config, const std::vector<std::uint8_t>& bytes) {
    config.verify_after_write = true;
    return uvc::detail::write_user_space(config, bytes);
}

}  // namespace velmora::stereo_tool
