// DirectShow video input devices as OpenCV's CAP_DSHOW back-end lists them.
#include <windows.h>

#include <dshow.h>

#include "discovery/backend_candidates.hpp"
#include "discovery/win32/com_initialization.hpp"
#include "discovery/win32/dshow_monikers.hpp"
#include "discovery/win32/property_bag.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

constexpr ULONG kMonikersPerStep = 1;

win_detail::WinOpenCvCameraCandidate describe_device(IPropertyBag* bag, int index) {
    std::string name = dshow_display_name(read_property_bag_string(bag, L"FriendlyName"),
                                          read_property_bag_string(bag, L"Description"));
    return make_backend_candidate(OpenCvBackend::CAP_DSHOW, index, std::move(name),
                                  read_property_bag_string(bag, L"DevicePath"));
}

}  // namespace

CandidateList read_dshow_monikers(IEnumMoniker* enumerator) {
    CandidateList candidates;
    int index = 0;
    while (true) {
        ComPtr<IMoniker> moniker;
        ULONG fetched = 0;
        if (enumerator->Next(kMonikersPerStep, moniker.put(), &fetched) != S_OK) break;
        if (!moniker) continue;
        ComPtr<IPropertyBag> bag;
        const HRESULT hr = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, bag.put_void());
        if (FAILED(hr) || !bag) continue;
        candidates.push_back(describe_device(bag.get(), index));
        ++index;
    }
    return candidates;
}

}  // namespace velmora::uvc_stereo::detail

namespace velmora::uvc_stereo::win_detail {

namespace {

using detail::CandidateList;
using detail::ComPtr;

constexpr DWORD kNoEnumerationFlags = 0;

Status hresult_failure(const char* operation, HRESULT hr) {
    return platform::make_hresult_status(operation, static_cast<std::uint32_t>(hr));
}

Result<CandidateList> list_video_inputs() {
    detail::ComInitialization com;
    const Status status = com.start();
    if (!status.ok()) return status;

    ComPtr<ICreateDevEnum> device_enumerator;
    HRESULT hr = CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                  device_enumerator.put_void());
    if (FAILED(hr) || !device_enumerator) return hresult_failure(detail::kSystemDeviceEnumOperation, hr);
    ComPtr<IEnumMoniker> enumerator;
    hr = device_enumerator->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, enumerator.put(),
                                                  kNoEnumerationFlags);
    if (hr == S_FALSE) return CandidateList{};  // the category is empty
    if (FAILED(hr)) return hresult_failure("CreateClassEnumerator", hr);
    if (!enumerator) return CandidateList{};
    return detail::read_dshow_monikers(enumerator.get());
}

}  // namespace

Result<std::vector<WinOpenCvCameraCandidate>> enumerate_dshow_backend_candidates() {
    return detail::run_backend_enumeration(list_video_inputs, detail::kDshowUnknownException);
}

}  // namespace velmora::uvc_stereo::win_detail
