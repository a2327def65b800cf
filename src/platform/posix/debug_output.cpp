// Debugger output elsewhere: only an installed sink sees it.
#include "platform/debug_output.hpp"
#include "platform/debug_output_sink.hpp"

namespace velmora::uvc_stereo::platform {

void write_debugger_output(const char* text) { forward_to_debug_output_sink(text); }

}  // namespace velmora::uvc_stereo::platform
