// Rules shared by every platform's video back-end enumeration: how a listed
// camera becomes a candidate, how failures read, and how exceptions end.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "discovery/opencv_indices.hpp"
#include "platform/hresult_status.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

using CandidateList = std::vector<win_detail::WinOpenCvCameraCandidate>;

// Operation names of the HRESULT failure texts.
inline constexpr const char* kMfStartupOperation = "MFStartup";
inline constexpr const char* kSystemDeviceEnumOperation = "CoCreateInstance(CLSID_SystemDeviceEnum)";

inline constexpr const char* kMsmfUnknownException = "unknown exception during MSMF backend enumeration";
inline constexpr const char* kDshowUnknownException = "unknown exception during DSHOW backend enumeration";

// A candidate with its canonical path and the identity parsed from it.
win_detail::WinOpenCvCameraCandidate make_backend_candidate(OpenCvBackend backend, int index, std::string name,
                                                             std::string device_path);

// DirectShow names a device by "FriendlyName", or by "Description" when the
// friendly name is empty.
std::string dshow_display_name(std::string friendly_name, std::string description);

// Runs one back-end enumeration; an exception becomes InternalError with its
// what() text, or unknown_exception_text for anything not derived from
// std::exception. Cleanup inside the enumeration runs during unwinding, so it
// is complete before the failure is returned.
template <typename Enumerate>
Result<CandidateList> run_backend_enumeration(Enumerate&& enumerate, const char* unknown_exception_text) {
    try {
        return enumerate();
    } catch (const std::exception& error) {
        return Status(ErrorCode::InternalError, error.what());
    } catch (...) {
        return Status(ErrorCode::InternalError, unknown_exception_text);
    }
}

}  // namespace velmora::uvc_stereo::detail
