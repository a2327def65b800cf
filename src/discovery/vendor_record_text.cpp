// Bounded UTF-16 to UTF-8 conversion of vendor record texts.
#include "discovery/vendor_record_text.hpp"

#include <vector>

#include "discovery/windows_usb_identity.hpp"

namespace velmora::uvc_stereo::detail {

std::string record_text_to_utf8(const SonixLib::scWideChar* field, std::size_t capacity) {
    if (field == nullptr) return {};
    // The converter reads up to a terminator, which the library does not
    // promise inside the field; a bounded, terminated copy keeps it inside.
    std::vector<platform::WideChar> bounded;
    bounded.reserve(capacity + 1);
    for (std::size_t i = 0; i < capacity && field[i] != 0; ++i) {
        bounded.push_back(static_cast<platform::WideChar>(field[i]));
    }
    bounded.push_back(0);
    return wide_to_utf8(bounded.data());
}

}  // namespace velmora::uvc_stereo::detail
