// String properties of a DirectShow property bag.
#include "discovery/win32/property_bag.hpp"

#include <oleauto.h>

#include "discovery/windows_usb_identity.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

// VariantClear on every way out, conversion failures included.
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&value_); }
    ~ScopedVariant() { VariantClear(&value_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT* get() { return &value_; }

private:
    VARIANT value_;
};

}  // namespace

std::string read_property_bag_string(IPropertyBag* bag, const wchar_t* property) {
    if (bag == nullptr) return {};
    ScopedVariant variant;
    if (FAILED(bag->Read(property, variant.get(), nullptr))) return {};
    if (variant.get()->vt != VT_BSTR || variant.get()->bstrVal == nullptr) return {};
    return wide_to_utf8(variant.get()->bstrVal);
}

}  // namespace velmora::uvc_stereo::detail
