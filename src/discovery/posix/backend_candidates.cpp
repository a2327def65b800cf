// Video back-end lists without COM: the virtual camera's Media Foundation and
// DirectShow lists, read through its control interface and turned into
// candidates by the same rules as on Windows. The control functions are
// looked up at run time, so the SDK also starts against a vendor library
// without them; it then lists no back-end devices.
#include <cstdint>

#include "discovery/backend_candidates.hpp"
#include "sonix_virtual/vcam_control.h"
#include "vendor/library_symbols.hpp"

namespace velmora::uvc_stereo::win_detail {

namespace {

using detail::CandidateList;

struct VirtualBackendLists {
    decltype(&vcam_backend_failure_hresult) failure_hresult = nullptr;
    decltype(&vcam_backend_entry_count) entry_count = nullptr;
    decltype(&vcam_backend_entry_at) entry_at = nullptr;

    bool available() const { return failure_hresult != nullptr && entry_count != nullptr && entry_at != nullptr; }
};

template <typename Function>
void look_up(Function& function, const char* name) {
    function = reinterpret_cast<Function>(vendor::find_library_symbol(name));
}

// Looked up once: the vendor library stays loaded as long as the SDK is.
const VirtualBackendLists& virtual_backend_lists() {
    static const VirtualBackendLists lists = [] {
        VirtualBackendLists found;
        look_up(found.failure_hresult, "vcam_backend_failure_hresult");
        look_up(found.entry_count, "vcam_backend_entry_count");
        look_up(found.entry_at, "vcam_backend_entry_at");
        return found;
    }();
    return lists;
}

// The entry's texts are fixed-size fields; a missing terminator must not
// carry a read past the field.
template <std::size_t N>
std::string field_text(const char (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != '\0') ++length;
    return std::string(field, length);
}

Result<CandidateList> list_msmf_entries() {
    const VirtualBackendLists& lists = virtual_backend_lists();
    if (!lists.available()) return CandidateList{};
    const std::uint32_t failure = lists.failure_hresult(VCAM_BACKEND_MSMF);
    if (failure != 0) return platform::make_hresult_status(detail::kMfStartupOperation, failure);
    CandidateList candidates;
    const std::size_t count = lists.entry_count(VCAM_BACKEND_MSMF);
    for (std::size_t i = 0; i < count; ++i) {
        // An unreadable entry keeps its position with empty fields, as an
        // unreadable Media Foundation attribute does.
        vcam_backend_entry entry{};
        if (lists.entry_at(VCAM_BACKEND_MSMF, i, &entry) != 0) entry = vcam_backend_entry{};
        candidates.push_back(detail::make_backend_candidate(OpenCvBackend::CAP_MSMF, static_cast<int>(i),
                                                            field_text(entry.friendly_name),
                                                            field_text(entry.device_path)));
    }
    return candidates;
}

Result<CandidateList> list_dshow_entries() {
    const VirtualBackendLists& lists = virtual_backend_lists();
    if (!lists.available()) return CandidateList{};
    const std::uint32_t failure = lists.failure_hresult(VCAM_BACKEND_DSHOW);
    if (failure != 0) return platform::make_hresult_status(detail::kSystemDeviceEnumOperation, failure);
    CandidateList candidates;
    int index = 0;
    const std::size_t count = lists.entry_count(VCAM_BACKEND_DSHOW);
    for (std::size_t i = 0; i < count; ++i) {
        vcam_backend_entry entry{};
        // An entry that cannot be read or bound takes no index.
        if (lists.entry_at(VCAM_BACKEND_DSHOW, i, &entry) != 0 || entry.binds == 0) continue;
        std::string name = detail::dshow_display_name(field_text(entry.friendly_name), field_text(entry.description));
        candidates.push_back(detail::make_backend_candidate(OpenCvBackend::CAP_DSHOW, index, std::move(name),
                                                            field_text(entry.device_path)));
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
