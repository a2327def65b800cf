// Debugger output, the SDK's only log: flash transfer failures are written
// here. On Windows the text goes to OutputDebugStringA (visible in a debugger,
// or under Wine with WINEDEBUG=+debugstr); elsewhere it goes nowhere. A test
// build hands it to the sink installed through core/test_control.hpp as well,
// on Windows too, so the same tests run under Wine.
#pragma once

namespace velmora::uvc_stereo::platform {

// Writes one piece of text (callers write a message, then "\n" separately).
void write_debugger_output(const char* text);

}  // namespace velmora::uvc_stereo::platform
