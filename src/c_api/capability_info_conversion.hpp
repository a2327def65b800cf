// Conversion of DeviceCapabilityInfo into the C library's versioned structure.
#pragma once

#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::c_api {

// Writes exactly the first 176 bytes of *dst (struct_size 176, the state, the
// message and the report's sections; absent parts zero) and leaves any bytes
// beyond untouched. A struct_size below 176 is refused and nothing is written.
Status to_c_capability_info(const DeviceCapabilityInfo& info, velmora_uvc_stereo_capability_info* dst);

}  // namespace velmora::uvc_stereo::c_api
