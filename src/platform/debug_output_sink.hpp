// Internal to the platform folder: hands debugger text to an installed sink.
#pragma once

namespace velmora::uvc_stereo::platform {

void forward_to_debug_output_sink(const char* text);

}  // namespace velmora::uvc_stereo::platform
