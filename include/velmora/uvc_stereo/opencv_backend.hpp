/// @file
/// OpenCV capture back-ends under which a scanned camera can be addressed.
#pragma once

#include <cstdint>
#include <string_view>

#include "velmora/uvc_stereo/export.hpp"

namespace velmora::uvc_stereo {

/// An OpenCV capture back-end. Values are OpenCV's own capture-API numbers,
/// so they can be passed to cv::VideoCapture unchanged. The SDK assigns only
/// CAP_MSMF and CAP_DSHOW.
enum class OpenCvBackend : std::int32_t {
    CAP_V4L2 = 200,       ///< Video4Linux2 (named only)
    CAP_DSHOW = 700,      ///< DirectShow
    CAP_MSMF = 1400,      ///< Media Foundation
    CAP_GSTREAMER = 1800, ///< GStreamer (named only)
};

/// "CAP_V4L2", "CAP_DSHOW", "CAP_MSMF", "CAP_GSTREAMER", or "CAP_UNKNOWN" for
/// any other value. Never fails.
VELMORA_UVC_STEREO_API std::string_view opencv_backend_name(OpenCvBackend backend) noexcept;

}  // namespace velmora::uvc_stereo
