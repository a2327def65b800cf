// Media Foundation video capture sources as OpenCV's CAP_MSMF back-end lists them.
#include <windows.h>

#include <mfapi.h>
#include <mfidl.h>
#include <mfobjects.h>

#include "discovery/backend_candidates.hpp"
#include "discovery/windows_usb_identity.hpp"
#include "platform/win32/com_initialization.hpp"
#include "platform/win32/media_foundation_library.hpp"

namespace velmora::uvc_stereo::win_detail {

namespace {

using detail::CandidateList;
using detail::ComPtr;
using detail::make_hresult_status;
using detail::MediaFoundationFunctions;

// Media Foundation 2.0, API 0x70 (what MF_VERSION reads on Windows 7 and later).
constexpr ULONG kMediaFoundationVersion = 0x00020070;
constexpr UINT32 kSourceAttributeCount = 1;

Status hresult_failure(const char* operation, HRESULT hr) {
    return make_hresult_status(operation, static_cast<std::uint32_t>(hr));
}

// Calls MFShutdown once for a successful MFStartup.
class MediaFoundationSession {
public:
    explicit MediaFoundationSession(const MediaFoundationFunctions& functions) : functions_(functions) {}
    ~MediaFoundationSession() {
        if (started_) functions_.shutdown();
    }
    MediaFoundationSession(const MediaFoundationSession&) = delete;
    MediaFoundationSession& operator=(const MediaFoundationSession&) = delete;

    Status start() {
        const HRESULT hr = functions_.startup(kMediaFoundationVersion, MFSTARTUP_FULL);
        if (FAILED(hr)) return hresult_failure(detail::kMfStartupOperation, hr);
        started_ = true;
        return Status();
    }

private:
    const MediaFoundationFunctions& functions_;
    bool started_ = false;
};

// The activation objects and the array MFEnumDeviceSources hands out.
class ActivationArray {
public:
    ActivationArray() = default;
    ~ActivationArray() {
        if (items_ == nullptr) return;
        for (UINT32 i = 0; i < count_; ++i) {
            if (items_[i] != nullptr) items_[i]->Release();
        }
        CoTaskMemFree(items_);
    }
    ActivationArray(const ActivationArray&) = delete;
    ActivationArray& operator=(const ActivationArray&) = delete;

    IMFActivate*** items_out() { return &items_; }
    UINT32* count_out() { return &count_; }
    UINT32 count() const { return items_ == nullptr ? 0 : count_; }
    IMFActivate* at(UINT32 i) const { return items_[i]; }

private:
    IMFActivate** items_ = nullptr;
    UINT32 count_ = 0;
};

// A string attribute, or empty when it cannot be read.
std::string read_string_attribute(IMFActivate* activate, REFGUID key) {
    if (activate == nullptr) return {};
    detail::CoTaskMemString text;
    UINT32 length = 0;
    if (FAILED(activate->GetAllocatedString(key, text.put(), &length))) return {};
    return detail::wide_to_utf8(text.get());
}

Result<CandidateList> list_video_sources() {
    detail::ComInitialization com;
    Status status = com.start();
    if (!status.ok()) return status;
    // Where Media Foundation is missing, this back-end fails here.
    const Result<const MediaFoundationFunctions*> library = detail::system_media_foundation();
    if (!library.ok()) return library.status();
    const MediaFoundationFunctions& functions = *library.value();
    MediaFoundationSession media_foundation(functions);
    status = media_foundation.start();
    if (!status.ok()) return status;

    ComPtr<IMFAttributes> attributes;
    HRESULT hr = functions.create_attributes(attributes.put(), kSourceAttributeCount);
    if (FAILED(hr) || !attributes) return hresult_failure("MFCreateAttributes", hr);
    hr = attributes->SetGUID(MF_DEVSOURCE_ATTRIBUTE_SOURCE_TYPE, MF_DEVSOURCE_ATTRIBUTE_SOURCE_TYPE_VIDCAP_GUID);
    if (FAILED(hr)) return hresult_failure("IMFAttributes::SetGUID", hr);
    ActivationArray sources;
    hr = functions.enum_device_sources(attributes.get(), sources.items_out(), sources.count_out());
    if (FAILED(hr)) return hresult_failure("MFEnumDeviceSources", hr);

    // Every position stays in the list, readable or not, so that indices
    // keep OpenCV's numbering.
    CandidateList candidates;
    for (UINT32 i = 0; i < sources.count(); ++i) {
        candidates.push_back(detail::make_backend_candidate(
            OpenCvBackend::CAP_MSMF, static_cast<int>(i),
            read_string_attribute(sources.at(i), MF_DEVSOURCE_ATTRIBUTE_FRIENDLY_NAME),
            read_string_attribute(sources.at(i), MF_DEVSOURCE_ATTRIBUTE_SOURCE_TYPE_VIDCAP_SYMBOLIC_LINK)));
    }
    return candidates;
}

}  // namespace

Result<std::vector<WinOpenCvCameraCandidate>> enumerate_msmf_backend_candidates() {
    return detail::run_backend_enumeration(list_video_sources, detail::kMsmfUnknownException);
}

}  // namespace velmora::uvc_stereo::win_detail
