// Debugger output on Windows.
#include "platform/debug_output.hpp"
#include "platform/debug_output_sink.hpp"

#include <windows.h>

namespace velmora::uvc_stereo::platform {

void write_debugger_output(const char* text) {
    OutputDebugStringA(text);
    forward_to_debug_output_sink(text);
}

}  // namespace velmora::uvc_stereo::platform
