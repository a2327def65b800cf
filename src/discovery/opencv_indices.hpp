// Matching scanned cameras to the entries of OpenCV's Windows back-ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "discovery/device_enumeration.hpp"
#include "discovery/windows_usb_identity.hpp"
#include "velmora/uvc_stereo/opencv_backend.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::win_detail {

// One camera as one back-end lists it.
struct WinOpenCvCameraCandidate {
    OpenCvBackend backend = OpenCvBackend::CAP_MSMF;
    int index = 0;
    std::string name;             // UTF-8 display name
    std::string device_path;      // as reported
    std::string normalized_path;  // normalize_windows_device_path(device_path)
    WindowsUsbIdentity identity;  // parse_windows_usb_identity(normalized_path)
};

// Media Foundation video capture sources, in MFEnumDeviceSources order.
Result<std::vector<WinOpenCvCameraCandidate>> enumerate_msmf_backend_candidates();

// DirectShow video input devices, indexed over the monikers whose property
// bag binds.
Result<std::vector<WinOpenCvCameraCandidate>> enumerate_dshow_backend_candidates();

}  // namespace velmora::uvc_stereo::win_detail

namespace velmora::uvc_stereo::detail {

// The common form in which a scanned device and a candidate are compared.
struct CameraMatchKey {
    std::string normalized_path;
    win_detail::WindowsUsbIdentity identity;
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::string serial_number;  // lower case
    std::string name;           // lower case
};

// Fills opencv_indices of the devices from one back-end's candidates in four
// passes (path, USB identity, serial number, name); an ambiguous match leaves
// the device for the next pass.
void assign_opencv_indices(const std::vector<win_detail::WinOpenCvCameraCandidate>& candidates,
                           std::vector<win_detail::EnumeratedDevice>& devices);

// Media Foundation's indices first, then DirectShow's (on Linux only the
// virtual camera lists any, for tests of the Windows rules), then on Linux
// the V4L2 indices; a back-end that fails to enumerate contributes none and
// is otherwise ignored.
void attach_opencv_indices(win_detail::VendorSession& session, std::vector<win_detail::EnumeratedDevice>& devices);

}  // namespace velmora::uvc_stereo::detail
