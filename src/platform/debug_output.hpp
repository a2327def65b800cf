// Debugger output, the SDK's only log: flash transfer failures are written
// here. On Windows the text goes to OutputDebugStringA (visible in a debugger,
// or under Wine with WINEDEBUG=+debugstr). Elsewhere it goes nowhere unless a
// sink is installed; tests install one to capture the text. The sink also
// sees the Windows output, so the same tests run under Wine.
#pragma once

namespace velmora::uvc_stereo::platform {

// Receives each piece of text written to the debugger output, as written.
using DebugOutputSink = void (*)(const char* text, void* context);

// Writes one piece of text (callers write a message, then "\n" separately).
void write_debugger_output(const char* text);

// Installs a sink (null removes it). Not synchronised with concurrent writers:
// install before and remove after the code under test runs.
void set_debug_output_sink(DebugOutputSink sink, void* context);

}  // namespace velmora::uvc_stereo::platform
