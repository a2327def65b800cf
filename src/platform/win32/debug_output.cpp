// Debugger output on Windows.
#include "platform/debug_output.hpp"

#include <windows.h>

#include "core/test_control.hpp"

namespace velmora::uvc_stereo::platform {

void write_debugger_output(const char* text) {
    OutputDebugStringA(text);
#if defined(VELMORA_UVC_STEREO_TEST_CONTROL)
    test_control::debugger_output_point(text);
#endif
}

}  // namespace velmora::uvc_stereo::platform
