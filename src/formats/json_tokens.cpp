// Byte-by-byte scanners for JSON numbers, strings and escapes.
#include "formats/json_tokens.hpp"

#include <cstdint>
#include <initializer_list>

#include "formats/json_scan.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

constexpr unsigned kHexDigitsPerEscape = 4;
constexpr unsigned kBitsPerHexDigit = 4;
constexpr std::uint32_t kHighSurrogateFirst = 0xD800;
constexpr std::uint32_t kHighSurrogateLast = 0xDBFF;
constexpr std::uint32_t kLowSurrogateFirst = 0xDC00;
constexpr std::uint32_t kLowSurrogateLast = 0xDFFF;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool hex_value(char c, std::uint32_t& value) {
    if (c >= '0' && c <= '9') value = static_cast<std::uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'f') value = static_cast<std::uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') value = static_cast<std::uint32_t>(c - 'A' + 10);
    else return false;
    return true;
}

bool is_simple_escape(char c) {
    return c == '"' || c == '\\' || c == '/' || c == 'b' || c == 'f' || c == 'n' || c == 'r' || c == 't';
}

// At least one digit, then any number of them.
const char* scan_digits(const char* p, const char* end, bool& ok) {
    ok = p != end && is_digit(*p);
    while (p != end && is_digit(*p)) ++p;
    return p;
}

const char* scan_hex_code_unit(const char* p, const char* end, std::uint32_t& code_unit, bool& ok) {
    code_unit = 0;
    for (unsigned i = 0; i < kHexDigitsPerEscape; ++i, ++p) {
        std::uint32_t digit = 0;
        ok = p != end && hex_value(*p, digit);
        if (!ok) return p;
        code_unit = (code_unit << kBitsPerHexDigit) | digit;
    }
    return p;
}

}  // namespace

const char* scan_number(const char* p, const char* end, bool& ok) {
    ok = false;
    if (*p == '-') ++p;
    if (p == end) return p;
    if (*p == '0') {
        ++p;  // a leading zero is never followed by more integer digits
    } else {
        p = scan_digits(p, end, ok);
        if (!ok) return p;
    }
    if (p != end && *p == '.') {
        p = scan_digits(p + 1, end, ok);
        if (!ok) return p;
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '+' || *p == '-')) ++p;
        p = scan_digits(p, end, ok);
        if (!ok) return p;
    }
    ok = true;
    return p;
}

const char* scan_string(const char* p, const char* end, bool& ok) {
    return scan_string_from(p + 1, end, ok);  // after the opening quote
}

const char* scan_string_from(const char* p, const char* end, bool& ok) {
    ok = true;
    for (;;) {
        p = json_scan::active::find_string_stop(p, end);
        if (p == end || *p != '\\') break;
        p = scan_escape(p + 1, end, ok);
        if (!ok) return p;
    }
    ok = p != end && *p == '"';
    return ok ? p + 1 : p;
}

const char* scan_escape(const char* p, const char* end, bool& ok) {
    ok = p != end && is_simple_escape(*p);
    if (ok) return p + 1;
    if (p == end || *p != 'u') return p;

    std::uint32_t code_unit = 0;
    p = scan_hex_code_unit(p + 1, end, code_unit, ok);
    if (!ok) return p;
    ok = code_unit < kLowSurrogateFirst || code_unit > kLowSurrogateLast;
    if (!ok || code_unit < kHighSurrogateFirst || code_unit > kHighSurrogateLast) return p;

    // A high surrogate must be followed at once by an escaped low one.
    for (const char expected : {'\\', 'u'}) {
        ok = p != end && *p == expected;
        if (!ok) return p;
        ++p;
    }
    std::uint32_t low = 0;
    p = scan_hex_code_unit(p, end, low, ok);
    if (ok) ok = low >= kLowSurrogateFirst && low <= kLowSurrogateLast;
    return p;
}

}  // namespace velmora::uvc_stereo::detail
