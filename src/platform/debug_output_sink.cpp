// The optional debugger-output sink shared by both platforms.
#include "platform/debug_output.hpp"
#include "platform/debug_output_sink.hpp"

namespace velmora::uvc_stereo::platform {

namespace {
DebugOutputSink g_sink = nullptr;
void* g_sink_context = nullptr;
}  // namespace

void set_debug_output_sink(DebugOutputSink sink, void* context) {
    g_sink = sink;
    g_sink_context = context;
}

void forward_to_debug_output_sink(const char* text) {
    if (g_sink != nullptr) g_sink(text, g_sink_context);
}

}  // namespace velmora::uvc_stereo::platform
