// UTF-16 to UTF-8: WideCharToMultiByte on Windows, a converter of the same
// behaviour elsewhere.
#pragma once

#include <string>

namespace velmora::uvc_stereo::platform {

// A UTF-16 code unit as the platform spells it (wchar_t is 32 bits outside
// Windows).
#if defined(_WIN32)
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif

// Converts a zero-terminated UTF-16 text. A null pointer, an empty text or a
// text that does not convert (a lone surrogate) gives an empty string.
std::string utf16_to_utf8(const WideChar* text);

}  // namespace velmora::uvc_stereo::platform
