// Registration of virtual DirectShow video-input devices through IFilterMapper2.
#include "win32_dshow_registration.hpp"

#include <cstdio>

namespace velmora::uvc_stereo::test_support {

namespace {

// A filter CLSID per registered device, distinct per ordinal.
CLSID test_filter_clsid(std::size_t ordinal) {
    CLSID clsid = {0x5fd1c2a0, 0x7c1e, 0x4b8e, {0x9a, 0x55, 0x3e, 0x10, 0x42, 0x77, 0x00, 0x00}};
    clsid.Data4[7] = static_cast<unsigned char>(ordinal);
    return clsid;
}

std::string hresult_text(const char* what, HRESULT hr) {
    char buffer[128] = {};
    std::snprintf(buffer, sizeof(buffer), "%s: hr=0x%08lX", what, static_cast<unsigned long>(hr));
    return buffer;
}

HRESULT write_string(IPropertyBag* bag, const wchar_t* property, const std::wstring& value) {
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_BSTR;
    variant.bstrVal = SysAllocString(value.c_str());
    const HRESULT hr = bag->Write(property, &variant);
    VariantClear(&variant);
    return hr;
}

}  // namespace

DshowRegistration::DshowRegistration(const std::vector<VirtualVideoInput>& devices) {
    const HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, nullptr, CLSCTX_INPROC_SERVER, IID_IFilterMapper2,
                                        reinterpret_cast<void**>(&mapper_));
    if (FAILED(hr) || mapper_ == nullptr) {
        error_ = hresult_text("CoCreateInstance(CLSID_FilterMapper2)", hr);
        return;
    }
    for (std::size_t i = 0; i < devices.size(); ++i) {
        if (!register_one(devices[i], i)) return;
    }
}

bool DshowRegistration::register_one(const VirtualVideoInput& device, std::size_t ordinal) {
    const CLSID clsid = test_filter_clsid(ordinal);
    const std::wstring instance = L"velmora-test-camera-" + std::to_wstring(ordinal);
    REGFILTER2 filter = {};
    filter.dwVersion = 1;
    filter.dwMerit = MERIT_DO_NOT_USE;
    IMoniker* moniker = nullptr;
    HRESULT hr = mapper_->RegisterFilter(clsid, device.friendly_name.c_str(), &moniker,
                                         &CLSID_VideoInputDeviceCategory, instance.c_str(), &filter);
    if (FAILED(hr) || moniker == nullptr) {
        error_ = hresult_text("IFilterMapper2::RegisterFilter", hr);
        return false;
    }
    registered_.emplace_back(clsid, instance);
    IPropertyBag* bag = nullptr;
    hr = moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, reinterpret_cast<void**>(&bag));
    moniker->Release();
    if (FAILED(hr) || bag == nullptr) {
        error_ = hresult_text("IMoniker::BindToStorage", hr);
        return false;
    }
    hr = write_string(bag, L"DevicePath", device.device_path);
    if (SUCCEEDED(hr) && !device.description.empty()) hr = write_string(bag, L"Description", device.description);
    bag->Release();
    if (FAILED(hr)) {
        error_ = hresult_text("IPropertyBag::Write", hr);
        return false;
    }
    return true;
}

DshowRegistration::~DshowRegistration() {
    if (mapper_ == nullptr) return;
    for (const auto& [clsid, instance] : registered_) {
        (void)mapper_->UnregisterFilter(&CLSID_VideoInputDeviceCategory, instance.c_str(), clsid);
    }
    mapper_->Release();
}

}  // namespace velmora::uvc_stereo::test_support
