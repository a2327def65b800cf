// UTF-16 to UTF-8, written out rather than through WideCharToMultiByte so
// that every platform reads a camera's texts alike.
#include "platform/utf16.hpp"

#include <cstdint>
#include <limits>

namespace velmora::uvc_stereo::platform {

namespace {

constexpr std::uint32_t kHighSurrogateFirst = 0xD800;
constexpr std::uint32_t kLowSurrogateFirst = 0xDC00;
constexpr std::uint32_t kSurrogateEnd = 0xE000;
constexpr std::uint32_t kSupplementaryFirst = 0x10000;
constexpr std::uint32_t kReplacementCharacter = 0xFFFD;
constexpr unsigned kSurrogatePayloadBits = 10;

bool is_high_surrogate(std::uint32_t unit) { return unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst; }
bool is_low_surrogate(std::uint32_t unit) { return unit >= kLowSurrogateFirst && unit < kSurrogateEnd; }

void append_utf8(std::string& out, std::uint32_t code_point) {
    if (code_point < 0x80) {
        out.push_back(static_cast<char>(code_point));
    } else if (code_point < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else if (code_point < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    }
}

}  // namespace

std::string utf16_to_utf8(const WideChar* text, std::size_t capacity) {
    if (text == nullptr) return {};
    std::string out;
    for (std::size_t i = 0; i < capacity && text[i] != 0; ++i) {
        const std::uint32_t unit = static_cast<std::uint16_t>(text[i]);
        if (is_high_surrogate(unit) && i + 1 < capacity) {
            const std::uint32_t next = static_cast<std::uint16_t>(text[i + 1]);
            if (is_low_surrogate(next)) {
                append_utf8(out, kSupplementaryFirst + ((unit - kHighSurrogateFirst) << kSurrogatePayloadBits) +
                                     (next - kLowSurrogateFirst));
                ++i;
                continue;
            }
        }
        append_utf8(out, is_high_surrogate(unit) || is_low_surrogate(unit) ? kReplacementCharacter : unit);
    }
    return out;
}

std::string utf16_to_utf8(const WideChar* text) {
    return utf16_to_utf8(text, std::numeric_limits<std::size_t>::max());
}

}  // namespace velmora::uvc_stereo::platform
