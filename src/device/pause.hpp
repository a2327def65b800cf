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

}  // namespace velmora::uvc_stereo::detail
