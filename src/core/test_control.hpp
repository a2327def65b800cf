// The one door through which tests reach inside the SDK: an observer and an
// off switch for the device layer's pauses, a sink for the debugger output
// and a probe of the vendor lock. They exist only in the test build of the
// core (velmora_uvc_stereo_core_testing, compiled with
// VELMORA_UVC_STEREO_TEST_CONTROL); the libraries that ship are compiled
// without them: the points in the SDK's sources sit inside
// #if defined(VELMORA_UVC_STEREO_TEST_CONTROL), so nothing of this ships.
#pragma once

#include <chrono>

namespace velmora::uvc_stereo::test_control {

// Told of every pause before it is taken.
using PauseObserver = void (*)(std::chrono::milliseconds duration, void* context);
// Receives each piece of text written to the debugger output, as written.
using DebugOutputSink = void (*)(const char* text, void* context);

#if defined(VELMORA_UVC_STEREO_TEST_CONTROL)

// --- For tests. Install before and remove (null) after the code under test
// runs; the pause observer may be changed while pauses happen on other
// threads, the debug sink may not.
void set_pause_observer(PauseObserver observer, void* context);
// Switches the sleeping off (true) or back on (false) for the whole process;
// the observer is still told of every pause. A fuzz target or a soak that
// reaches the device layer would otherwise spend most of its time asleep.
void set_pauses_skipped(bool skipped);
bool pauses_skipped();
void set_debug_output_sink(DebugOutputSink sink, void* context);
// Whether another thread could take the process-wide vendor lock right now
// (it is free, or held only by the calling thread); for tests that check an
// operation leaves the lock free.
bool vendor_lock_is_available_to_this_thread();

// --- Points in the SDK's own sources.
// A pause of this length is about to be taken; true when it is to be skipped.
bool pause_point(std::chrono::milliseconds duration);
void debugger_output_point(const char* text);

#endif

}  // namespace velmora::uvc_stereo::test_control
