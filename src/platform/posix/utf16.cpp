// UTF-16 to UTF-8 without the Windows API, behaving like WideCharToMultiByte
// with WC_ERR_INVALID_CHARS: a lone surrogate fails the whole conversion.
#include "platform/utf16.hpp"

#include <cstdint>

namespace velmora::uvc_stereo::platform {

namespace {

bool is_high_surrogate(std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(std::uint32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

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

std::string utf16_to_utf8(const WideChar* text) {
    if (text == nullptr) return {};
    std::string out;
    for (const WideChar* cursor = text; *cursor != 0; ++cursor) {
        const std::uint32_t unit = static_cast<std::uint16_t>(*cursor);
        if (is_high_surrogate(unit)) {
            const std::uint32_t next = static_cast<std::uint16_t>(cursor[1]);
            if (!is_low_surrogate(next)) return {};
            append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
            ++cursor;
        } else if (is_low_surrogate(unit)) {
            return {};
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

}  // namespace velmora::uvc_stereo::platform
