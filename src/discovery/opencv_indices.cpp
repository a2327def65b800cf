// Matching scanned cameras to back-end entries: four passes from the surest
// evidence (an equal canonical path) to the weakest (an equal name); on
// Linux also the V4L2 capture node the camera library names.
#include "discovery/opencv_indices.hpp"

#include <optional>

namespace velmora::uvc_stereo::detail {

namespace {

using win_detail::EnumeratedDevice;
using win_detail::WinOpenCvCameraCandidate;
using win_detail::WindowsUsbIdentity;
using MatchTest = bool (*)(const CameraMatchKey& device, const CameraMatchKey& candidate);

CameraMatchKey key_of(const WinOpenCvCameraCandidate& candidate) {
    CameraMatchKey key;
    key.normalized_path = candidate.normalized_path;
    key.identity = candidate.identity;
    key.vid = candidate.identity.vid;
    key.pid = candidate.identity.pid;
    key.name = to_lower_ascii(candidate.name);
    return key;
}

CameraMatchKey key_of(const DeviceInfo& info) {
    CameraMatchKey key;
    key.normalized_path = win_detail::normalize_windows_device_path(info.device_path);
    key.identity = win_detail::parse_windows_usb_identity(key.normalized_path);
    key.vid = info.vid != 0 ? info.vid : key.identity.vid;
    key.pid = info.pid != 0 ? info.pid : key.identity.pid;
    key.serial_number = to_lower_ascii(info.serial_number);
    key.name = to_lower_ascii(info.name);
    return key;
}

bool same_non_zero_ids(const CameraMatchKey& a, const CameraMatchKey& b) {
    return a.vid != 0 && a.pid != 0 && a.vid == b.vid && a.pid == b.pid;
}

bool has_identity_text(const WindowsUsbIdentity& identity) {
    return !identity.serial_number.empty() || !identity.interface_number.empty() || !identity.collection.empty();
}

bool same_path(const CameraMatchKey& device, const CameraMatchKey& candidate) {
    return !device.normalized_path.empty() && device.normalized_path == candidate.normalized_path;
}

// Equal ids and no conflict among the identity texts both sides carry, with
// at least one such text actually compared.
bool same_usb_identity(const CameraMatchKey& device, const CameraMatchKey& candidate) {
    if (!same_non_zero_ids(device, candidate)) return false;
    if (!has_identity_text(device.identity) || !has_identity_text(candidate.identity)) return false;
    const std::string WindowsUsbIdentity::*const texts[] = {
        &WindowsUsbIdentity::interface_number, &WindowsUsbIdentity::collection, &WindowsUsbIdentity::serial_number};
    bool compared_any = false;
    for (const auto text : texts) {
        const std::string& ours = device.identity.*text;
        const std::string& theirs = candidate.identity.*text;
        if (ours.empty() || theirs.empty()) continue;
        if (ours != theirs) return false;
        compared_any = true;
    }
    return compared_any;
}

// The device's own serial number against the instance component of the
// candidate's path (a USB serial number when the device has one).
bool same_serial_number(const CameraMatchKey& device, const CameraMatchKey& candidate) {
    return same_non_zero_ids(device, candidate) && !device.serial_number.empty() &&
           device.serial_number == candidate.identity.serial_number;
}

bool same_name(const CameraMatchKey& device, const CameraMatchKey& candidate) {
    return same_non_zero_ids(device, candidate) && !device.name.empty() && device.name == candidate.name;
}

constexpr MatchTest kPasses[] = {same_path, same_usb_identity, same_serial_number, same_name};

// The only unused candidate that passes; none when there are none or several.
std::optional<std::size_t> single_unused_match(const CameraMatchKey& device, const std::vector<CameraMatchKey>& keys,
                                               const std::vector<bool>& used, MatchTest test) {
    std::optional<std::size_t> found;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (used[i] || !test(device, keys[i])) continue;
        if (found) return std::nullopt;  // ambiguous: leave it to a later pass
        found = i;
    }
    return found;
}

}  // namespace

void assign_opencv_indices(const std::vector<WinOpenCvCameraCandidate>& candidates,
                           std::vector<EnumeratedDevice>& devices) {
    if (candidates.empty() || devices.empty()) return;
    std::vector<CameraMatchKey> device_keys;
    for (const EnumeratedDevice& device : devices) device_keys.push_back(key_of(device.info));
    std::vector<CameraMatchKey> candidate_keys;
    for (const WinOpenCvCameraCandidate& candidate : candidates) candidate_keys.push_back(key_of(candidate));

    std::vector<bool> matched(devices.size(), false);
    std::vector<bool> used(candidates.size(), false);
    for (const MatchTest test : kPasses) {
        for (std::size_t d = 0; d < devices.size(); ++d) {
            if (matched[d]) continue;
            const std::optional<std::size_t> c = single_unused_match(device_keys[d], candidate_keys, used, test);
            if (!c) continue;
            devices[d].info.opencv_indices[candidates[*c].backend] = candidates[*c].index;
            matched[d] = true;
            used[*c] = true;
        }
    }
}

void attach_opencv_indices(win_detail::VendorSession& session, std::vector<EnumeratedDevice>& devices) {
    // A back-end that cannot be enumerated only means no indices from it.
    const Result<std::vector<WinOpenCvCameraCandidate>> msmf = win_detail::enumerate_msmf_backend_candidates();
    if (msmf.ok()) assign_opencv_indices(msmf.value(), devices);
    const Result<std::vector<WinOpenCvCameraCandidate>> dshow = win_detail::enumerate_dshow_backend_candidates();
    if (dshow.ok()) assign_opencv_indices(dshow.value(), devices);
#if defined(_WIN32)
    (void)session;
#else
    // The number N of /dev/videoN, which cv2.VideoCapture(N, cv2.CAP_V4L2) opens.
    for (EnumeratedDevice& device : devices) {
        const std::int32_t node = vendor::v4l2_capture_node(session, device.device);
        if (node >= 0) device.info.opencv_indices[OpenCvBackend::CAP_V4L2] = static_cast<int>(node);
    }
#endif
}

}  // namespace velmora::uvc_stereo::detail
