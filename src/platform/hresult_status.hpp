// Windows failures reported by their HRESULT, as a status.
#pragma once

#include <cstdint>

#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::platform {

// BackendError "<operation> failed: hr=0x%08lX" with the HRESULT's 32 bits
// (eight upper-case digits), at most 127 characters.
Status make_hresult_status(const char* operation, std::uint32_t hresult);

}  // namespace velmora::uvc_stereo::platform
