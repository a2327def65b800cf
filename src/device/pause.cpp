// The device layer's pauses; a test build can watch and skip them.
#include "device/pause.hpp"

#include <thread>

#include "core/test_control.hpp"

namespace velmora::uvc_stereo::detail {

void pause_on_calling_thread(std::chrono::milliseconds duration) {
#if defined(VELMORA_UVC_STEREO_TEST_CONTROL)
    if (test_control::pause_point(duration)) return;
#endif
    std::this_thread::sleep_for(duration);
}

}  // namespace velmora::uvc_stereo::detail
