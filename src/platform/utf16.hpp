// UTF-16 to UTF-8: the one conversion of the SDK, the same on every platform.
#pragma once

#include <cstddef>
#include <string>

namespace velmora::uvc_stereo::platform {

// A UTF-16 code unit as the platform spells it (wchar_t is 32 bits outside
// Windows).
#if defined(_WIN32)
using WideChar = wchar_t;
#else
using WideChar = char16_t;
#endif

// Converts the UTF-16 text in text[0, capacity) up to its first zero unit
// (the whole span when it has none). A surrogate that is not half of a pair
// becomes U+FFFD, as WideCharToMultiByte does without WC_ERR_INVALID_CHARS,
// so the rest of a damaged text survives. A null pointer gives "".
std::string utf16_to_utf8(const WideChar* text, std::size_t capacity);

// The same for a zero-terminated text.
std::string utf16_to_utf8(const WideChar* text);

}  // namespace velmora::uvc_stereo::platform
