// Reading string properties of a DirectShow device's property bag.
#pragma once

#include <windows.h>

#include <oaidl.h>
#include <ocidl.h>

#include <string>

namespace velmora::uvc_stereo::detail {

// The property's text as UTF-8, or empty when it cannot be read or is not a
// string.
std::string read_property_bag_string(IPropertyBag* bag, const wchar_t* property);

}  // namespace velmora::uvc_stereo::detail
