// Candidate building and HRESULT failure texts shared by the back-end enumerations.
#include "discovery/backend_candidates.hpp"

#include "discovery/windows_usb_identity.hpp"

namespace velmora::uvc_stereo::detail {

win_detail::WinOpenCvCameraCandidate make_backend_candidate(OpenCvBackend backend, int index, std::string name,
                                                             std::string device_path) {
    win_detail::WinOpenCvCameraCandidate candidate;
    candidate.backend = backend;
    candidate.index = index;
    candidate.name = std::move(name);
    candidate.device_path = std::move(device_path);
    candidate.normalized_path = win_detail::normalize_windows_device_path(candidate.device_path);
    candidate.identity = win_detail::parse_windows_usb_identity(candidate.normalized_path);
    return candidate;
}

std::string dshow_display_name(std::string friendly_name, std::string description) {
    return friendly_name.empty() ? std::move(description) : std::move(friendly_name);
}

}  // namespace velmora::uvc_stereo::detail
