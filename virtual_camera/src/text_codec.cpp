// Hex, number, GUID and UTF-8 decoding used by the scenario reader.
#include "text_codec.hpp"

namespace sonix_virtual {
namespace {

constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;
constexpr char16_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kFirstSupplementary = 0x10000;
constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kSurrogateLast = 0xDFFF;
constexpr char16_t kHighSurrogateBase = 0xD800;
constexpr char16_t kLowSurrogateBase = 0xDC00;
constexpr int kSurrogateShift = 10;
constexpr char32_t kSurrogateMask = 0x3FF;

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + kDecimalBase;
    if (c >= 'A' && c <= 'F') return c - 'A' + kDecimalBase;
    return -1;
}

bool is_byte_separator(char c) { return c == ' ' || c == ':' || c == '-' || c == '\n' || c == '\t'; }

// Number of continuation bytes and the payload bits of a UTF-8 lead byte.
bool decode_lead_byte(unsigned char lead, int& continuation, char32_t& code_point) {
    if (lead < 0x80) { continuation = 0; code_point = lead; return true; }
    if ((lead & 0xE0) == 0xC0) { continuation = 1; code_point = lead & 0x1F; return true; }
    if ((lead & 0xF0) == 0xE0) { continuation = 2; code_point = lead & 0x0F; return true; }
    if ((lead & 0xF8) == 0xF0) { continuation = 3; code_point = lead & 0x07; return true; }
    return false;
}

void append_code_point(std::u16string& out, char32_t code_point) {
    if (code_point > kMaxCodePoint || (code_point >= kSurrogateFirst && code_point <= kSurrogateLast)) {
        out.push_back(kReplacementCharacter);
    } else if (code_point >= kFirstSupplementary) {
        const char32_t offset = code_point - kFirstSupplementary;
        out.push_back(static_cast<char16_t>(kHighSurrogateBase + (offset >> kSurrogateShift)));
        out.push_back(static_cast<char16_t>(kLowSurrogateBase + (offset & kSurrogateMask)));
    } else {
        out.push_back(static_cast<char16_t>(code_point));
    }
}

}  // namespace

std::optional<std::vector<std::uint8_t>> parse_hex_bytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
        if (is_byte_separator(c)) {
            if (high >= 0) return std::nullopt;  // a separator inside a byte
            continue;
        }
        const int value = hex_digit_value(c);
        if (value < 0) return std::nullopt;
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * kHexBase + value));
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return bytes;
}

std::optional<std::uint64_t> parse_unsigned_text(std::string_view text) {
    int base = kDecimalBase;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = kHexBase;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = hex_digit_value(c);
        if (digit < 0 || digit >= base) return std::nullopt;
        const std::uint64_t limit = (UINT64_MAX - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base);
        if (value > limit) return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return value;
}

std::optional<GuidBytes> parse_guid_text(std::string_view text) {
    if (text.size() >= 2 && text.front() == '{' && text.back() == '}') text = text.substr(1, text.size() - 2);
    constexpr std::size_t kGuidTextLength = 36;
    constexpr std::size_t kDashPositions[] = {8, 13, 18, 23};
    if (text.size() != kGuidTextLength) return std::nullopt;
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool dash_here = false;
        for (const std::size_t position : kDashPositions) dash_here = dash_here || position == i;
        if (dash_here != (text[i] == '-')) return std::nullopt;
        if (!dash_here) digits.push_back(text[i]);
    }
    const auto written = parse_hex_bytes(digits);
    if (!written || written->size() != kGuidSize) return std::nullopt;
    const std::vector<std::uint8_t>& w = *written;
    // Data1 (4 bytes), Data2 and Data3 (2 bytes each) are stored little-endian.
    return GuidBytes{w[3], w[2], w[1], w[0], w[5], w[4], w[7], w[6],
                     w[8], w[9], w[10], w[11], w[12], w[13], w[14], w[15]};
}

std::u16string utf8_to_utf16(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        int continuation = 0;
        char32_t code_point = 0;
        if (!decode_lead_byte(static_cast<unsigned char>(text[i]), continuation, code_point) ||
            i + static_cast<std::size_t>(continuation) >= text.size()) {  // truncated sequence
            out.push_back(kReplacementCharacter);
            ++i;
            continue;
        }
        bool valid = true;
        for (int k = 1; k <= continuation; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((byte & 0xC0) != 0x80) { valid = false; break; }
            code_point = (code_point << 6) | (byte & 0x3F);
        }
        if (!valid) {
            out.push_back(kReplacementCharacter);
            ++i;
            continue;
        }
        append_code_point(out, code_point);
        i += static_cast<std::size_t>(continuation) + 1;
    }
    return out;
}

}  // namespace sonix_virtual
