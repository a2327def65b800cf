// The process-wide off switch of the device layer's pauses (tests only).
#include <atomic>

#include "device/pause.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

std::atomic<bool>& skip_flag() {
    static std::atomic<bool> skipped{false};
    return skipped;
}

}  // namespace

void set_pauses_skipped(bool skipped) { skip_flag().store(skipped); }

bool pauses_skipped() { return skip_flag().load(); }

}  // namespace velmora::uvc_stereo::detail
