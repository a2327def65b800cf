// The V4L2 capture index of each camera on Linux: the number N of its
// /dev/videoN capture node, as the camera library knows it. The vendor's own
// library has no such function; the SDK then gives no V4L2 index.
#include <cstdint>

#include "discovery/opencv_indices.hpp"
#include "sonix_camera_extras.h"
#include "transport/vendor/posix/vendor_library_symbols.hpp"

namespace velmora::uvc_stereo::detail {

void attach_v4l2_indices(std::vector<win_detail::EnumeratedDevice>& devices) {
    // Looked up once: the camera library stays loaded as long as the SDK is.
    static const auto node_of =
        reinterpret_cast<velmora_camera_v4l2_node_fn>(find_vendor_library_symbol(kVelmoraCameraV4l2NodeSymbol));
    if (node_of == nullptr) return;
    for (win_detail::EnumeratedDevice& device : devices) {
        const std::int32_t node = node_of(&device.device);
        if (node >= 0) device.info.opencv_indices[OpenCvBackend::CAP_V4L2] = static_cast<int>(node);
    }
}

}  // namespace velmora::uvc_stereo::detail
