// Names of the OpenCV capture back-ends.
#include "velmora/uvc_stereo/opencv_backend.hpp"

namespace velmora::uvc_stereo {

std::string_view opencv_backend_name(OpenCvBackend backend) noexcept {
    switch (backend) {
        case OpenCvBackend::CAP_V4L2:
            return "CAP_V4L2";
        case OpenCvBackend::CAP_DSHOW:
            return "CAP_DSHOW";
        case OpenCvBackend::CAP_MSMF:
            return "CAP_MSMF";
        case OpenCvBackend::CAP_GSTREAMER:
            return "CAP_GSTREAMER";
    }
    // Any value a caller cast into the enumeration.
    return "CAP_UNKNOWN";
}

}  // namespace velmora::uvc_stereo
