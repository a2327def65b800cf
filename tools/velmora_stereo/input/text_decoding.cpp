// Turning the bytes of a document file into UTF-8 text.
#include "input/text_decoding.hpp"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "core/byte_order.hpp"

namespace velmora::stereo_tool {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";
constexpr char32_t kHighSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateEnd = 0xE000;
constexpr char32_t kSupplementaryFirst = 0x10000;
constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr unsigned kSurrogateBits = 10;
constexpr std::size_t kByteTextSize = 8;

bool starts_with(const std::string& bytes, std::string_view mark) { return bytes.compare(0, mark.size(), mark) == 0; }

std::string byte_text(unsigned char byte) {
    char text[kByteTextSize];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(byte));
    return text;
}

void append_utf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at i, or 0 when the bytes there are not one.
std::size_t utf8_sequence_length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (byte(i + 1) < low || byte(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
    }
    return length;
}

DecodedText from_utf8(const std::string& bytes, std::size_t start) {
    DecodedText decoded;
    const std::string_view text(bytes.data() + start, bytes.size() - start);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8_sequence_length(text, i);
        if (length == 0) {
            decoded.error = "not valid UTF-8: byte " + byte_text(static_cast<unsigned char>(text[i])) +
                            " cannot stand here; save the file as UTF-8";
            decoded.error_file_offset = start + i;
            decoded.error_text_offset = i;
            decoded.text.assign(text.substr(0, i));  // the valid part, for the line and column
            decoded.error_has_position = true;
            return decoded;
        }
        i += length;
    }
    decoded.text.assign(text);
    return decoded;
}

DecodedText from_utf16(const std::string& bytes, bool big_endian) {
    DecodedText decoded;
    const char* order = big_endian ? "big-endian" : "little-endian";
    const std::size_t start = kUtf16LittleMark.size();
    const auto unit_at = [&](std::size_t at) {
        const auto* unit = reinterpret_cast<const std::uint8_t*>(bytes.data() + at);
        return static_cast<char32_t>(big_endian ? uvc_stereo::detail::read_be16(unit) : uvc_stereo::detail::read_le16(unit));
    };
    if ((bytes.size() - start) % 2 != 0) {
        decoded.error = std::string("the file is UTF-16 (") + order + ") but ends in the middle of a character";
        decoded.error_file_offset = bytes.size() - 1;
        return decoded;
    }
    for (std::size_t at = start; at < bytes.size(); at += 2) {
        const char32_t unit = unit_at(at);
        char32_t code = unit;
        if (unit >= kHighSurrogateFirst && unit < kLowSurrogateFirst && at + 3 < bytes.size() &&
            unit_at(at + 2) >= kLowSurrogateFirst && unit_at(at + 2) < kSurrogateEnd) {
            code = kSupplementaryFirst + ((unit - kHighSurrogateFirst) << kSurrogateBits) +
                   (unit_at(at + 2) - kLowSurrogateFirst);
            at += 2;
        } else if (unit >= kHighSurrogateFirst && unit < kSurrogateEnd) {
            decoded.error = std::string("the file is UTF-16 (") + order + ") but holds a lone surrogate";
            decoded.error_file_offset = at;
            decoded.error_text_offset = decoded.text.size();
            decoded.error_has_position = true;
            return decoded;
        }
        if (code > kLastCodePoint) code = kLastCodePoint;  // cannot happen: two surrogates reach U+10FFFF at most
        append_utf8(code, decoded.text);
    }
    decoded.note = std::string("converted from UTF-16 (") + order + ") to UTF-8";
    return decoded;
}

}  // namespace

DecodedText decode_text_file(const std::string& bytes) {
    if (starts_with(bytes, kUtf8Mark)) {
        DecodedText decoded = from_utf8(bytes, kUtf8Mark.size());
        if (decoded.ok()) decoded.note = "ignored the UTF-8 byte-order mark at the start";
        return decoded;
    }
    if (starts_with(bytes, kUtf16LittleMark)) return from_utf16(bytes, false);
    if (starts_with(bytes, kUtf16BigMark)) return from_utf16(bytes, true);
    return from_utf8(bytes, 0);
}

}  // namespace velmora::stereo_tool
