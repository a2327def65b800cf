// Video back-end lists without COM: the Media Foundation and DirectShow lists
// the camera library offers (the virtual camera does), read through the
// vendor room and turned into candidates by the same rules as on Windows. A
// library without such lists (the vendor's own) lists no back-end devices.
#include <cstdint>

#include "discovery/backend_candidates.hpp"
#include "vendor/backend_lists.hpp"

namespace velmora::uvc_stereo::win_detail {

namespace {

using detail::CandidateList;
using vendor::BackendEntry;
using vendor::BackendList;
using vendor::BackendListing;

Result<CandidateList> list_msmf_entries() {
    const std::optional<BackendListing> listing = vendor::list_backend(BackendList::MediaFoundation);
    if (!listing) return CandidateList{};
    if (listing->failure_hresult != 0) {
        return platform::make_hresult_status(detail::kMfStartupOperation, listing->failure_hresult);
    }
    CandidateList candidates;
    for (std::size_t i = 0; i < listing->entries.size(); ++i) {
        // An unreadable entry keeps its position with empty fields, as an
        // unreadable Media Foundation attribute does.
        const BackendEntry entry = listing->entries[i].value_or(BackendEntry{});
        candidates.push_back(detail::make_backend_candidate(OpenCvBackend::CAP_MSMF, static_cast<int>(i),
                                                            entry.friendly_name, entry.device_path));
    }
    return candidates;
}

Result<CandidateList> list_dshow_entries() {
    const std::optional<BackendListing> listing = vendor::list_backend(BackendList::DirectShow);
    if (!listing) return CandidateList{};
    if (listing->failure_hresult != 0) {
        return platform::make_hresult_status(detail::kSystemDeviceEnumOperation, listing->failure_hresult);
    }
    CandidateList candidates;
    int index = 0;
    for (const std::optional<BackendEntry>& entry : listing->entries) {
        // An entry that cannot be read or bound takes no index.
        if (!entry || !entry->binds) continue;
        candidates.push_back(detail::make_backend_candidate(
            OpenCvBackend::CAP_DSHOW, index, detail::dshow_display_name(entry->friendly_name, entry->description),
            entry->device_path));
        ++index;
    }
    return candidates;
}

}  // namespace

Result<std::vector<WinOpenCvCameraCandidate>> enumerate_msmf_backend_candidates() {
    return detail::run_backend_enumeration(list_msmf_entries, detail::kMsmfUnknownException);
}

Result<std::vector<WinOpenCvCameraCandidate>> enumerate_dshow_backend_candidates() {
    return detail::run_backend_enumeration(list_dshow_entries, detail::kDshowUnknownException);
}

}  // namespace velmora::uvc_stereo::win_detail
