// COM stand-ins for DirectShow monikers and their enumerator.
#include "win32_fake_monikers.hpp"

#include <dshow.h>

namespace velmora::uvc_stereo::test_support {

HRESULT UnbindableMoniker::BindToStorage(IBindCtx*, IMoniker*, REFIID, void** out) {
    if (out != nullptr) *out = nullptr;
    return bind_result_;
}

MonikerList::MonikerList(const std::vector<IMoniker*>& monikers)
    : ComObject<IEnumMoniker>(IID_IEnumMoniker), monikers_(monikers) {
    for (IMoniker* moniker : monikers_) {
        if (moniker != nullptr) moniker->AddRef();
    }
}

MonikerList::~MonikerList() {
    for (IMoniker* moniker : monikers_) {
        if (moniker != nullptr) moniker->Release();
    }
}

HRESULT MonikerList::Next(ULONG count, IMoniker** out, ULONG* fetched) {
    if (count != 1 || out == nullptr) return E_INVALIDARG;
    if (fetched != nullptr) *fetched = 0;
    if (next_ == monikers_.size()) return S_FALSE;
    *out = monikers_[next_++];
    if (*out != nullptr) (*out)->AddRef();
    if (fetched != nullptr) *fetched = 1;
    return S_OK;
}

HRESULT MonikerList::Reset() {
    next_ = 0;
    return S_OK;
}

std::vector<IMoniker*> system_video_input_monikers() {
    std::vector<IMoniker*> monikers;
    ICreateDevEnum* devices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                reinterpret_cast<void**>(&devices)))) {
        return monikers;
    }
    IEnumMoniker* enumerator = nullptr;
    if (devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &enumerator, 0) == S_OK) {
        IMoniker* moniker = nullptr;
        while (enumerator->Next(1, &moniker, nullptr) == S_OK) monikers.push_back(moniker);
        enumerator->Release();
    }
    devices->Release();
    return monikers;
}

}  // namespace velmora::uvc_stereo::test_support
