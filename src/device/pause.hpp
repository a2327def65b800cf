// The fixed pauses the device layer makes on the caller's thread.
#pragma once

#include <chrono>

namespace velmora::uvc_stereo::detail {

// After the firmware version read of the IMU gate; the camera needs it before
// its IMU control is selected.
constexpr std::chrono::milliseconds kFirmwareReadPause{200};
// After a successful flash JSON read or write, so that back-to-back flash
// sessions leave the bridge chip time to settle.
constexpr std::chrono::milliseconds kFlashJsonPause{100};

// Sleeps for the duration on the calling thread (never under the vendor lock).
void pause_on_calling_thread(std::chrono::milliseconds duration);

// Told of every pause before it is taken. Lets tests see which pauses an
// operation makes without timing it. Install before and remove (null) after
// the code under test runs.
using PauseObserver = void (*)(std::chrono::milliseconds duration, void* context);
void set_pause_observer(PauseObserver observer, void* context);

// Switches the sleeping off (true) or back on (false) for the whole process;
// the observer is still told of every pause. Only tests and fuzz targets call
// it: a fuzz target that reaches the device layer would otherwise spend most
// of its time asleep. Internal, like everything here: never exported.
void set_pauses_skipped(bool skipped);
bool pauses_skipped();

}  // namespace velmora::uvc_stereo::detail
