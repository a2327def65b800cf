// Text in fixed-size char arrays of the C structures.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

namespace velmora::uvc_stereo::c_api {

// Copies at most N - 1 bytes of text and a NUL; a longer text is cut.
template <std::size_t N>
void copy_text(const std::string& text, char (&field)[N]) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// The bytes before the first NUL, or all N bytes when there is none: a
// caller's field filled to its last byte is never read past its end.
template <std::size_t N>
std::string read_text(const char (&field)[N]) {
    const char* const end = std::find(field, field + N, '\0');
    return std::string(field, end);
}

}  // namespace velmora::uvc_stereo::c_api
