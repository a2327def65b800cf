// The debugger-output capture, through the platform's output sink.
#include "support/debug_output_capture.hpp"

#include "core/test_control.hpp"

namespace velmora::uvc_stereo::test_support {

DebugOutputCapture::DebugOutputCapture() { test_control::set_debug_output_sink(&DebugOutputCapture::collect, this); }

DebugOutputCapture::~DebugOutputCapture() { test_control::set_debug_output_sink(nullptr, nullptr); }

void DebugOutputCapture::collect(const char* text, void* context) {
    static_cast<DebugOutputCapture*>(context)->pieces_.emplace_back(text);
}

}  // namespace velmora::uvc_stereo::test_support
