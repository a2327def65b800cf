// The context object behind the C library's opaque velmora_uvc_stereo_ctx.
#pragma once

#include <cstdint>
#include <string>

#include "platform/recursive_lock.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora_uvc_stereo_c.h"

struct velmora_uvc_stereo_ctx {
    // Guards last_code and last_message.
    velmora::uvc_stereo::platform::RecursiveLock lock;
    // Kept for the caller's record; no function reads it after creation.
    velmora::uvc_stereo::FlashConfig config;
    std::int32_t last_code = 0;
    std::string last_message;
};

namespace velmora::uvc_stereo::c_api {

// The FlashConfig of a context: the default device selection with the flash
// layout of config, or all defaults when config is null.
FlashConfig flash_config_from_c(const velmora_uvc_stereo_ctx_config* config);

}  // namespace velmora::uvc_stereo::c_api
