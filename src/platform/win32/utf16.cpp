// UTF-16 to UTF-8 through WideCharToMultiByte (code page 65001).
#include "platform/utf16.hpp"

#include <windows.h>

namespace velmora::uvc_stereo::platform {

std::string utf16_to_utf8(const WideChar* text) {
    if (text == nullptr || text[0] == L'\0') return {};
    // WC_ERR_INVALID_CHARS makes a lone surrogate fail instead of becoming
    // U+FFFD, so both platforms give an empty string for it.
    const DWORD flags = WC_ERR_INVALID_CHARS;
    const int size = WideCharToMultiByte(CP_UTF8, flags, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    const int written = WideCharToMultiByte(CP_UTF8, flags, text, -1, out.data(), size, nullptr, nullptr);
    if (written <= 0) return {};
    out.resize(static_cast<std::size_t>(written) - 1);  // drop the terminating zero
    return out;
}

}  // namespace velmora::uvc_stereo::platform
