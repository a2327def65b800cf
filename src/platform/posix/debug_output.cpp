// Debugger output elsewhere: only a test build's sink sees it.
#include "platform/debug_output.hpp"

#include "core/test_control.hpp"

namespace velmora::uvc_stereo::platform {

void write_debugger_output([[maybe_unused]] const char* text) {
#if defined(VELMORA_UVC_STEREO_TEST_CONTROL)
    test_control::debugger_output_point(text);
#endif
}

}  // namespace velmora::uvc_stereo::platform
