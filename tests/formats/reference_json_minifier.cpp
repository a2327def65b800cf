// The straightforward recursive minifier the shipped one is checked against:
// one byte at a time, no vector paths. Change it only to mend a fault that
// the shipped minifier shares.
#include "reference_json_minifier.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace velmora::uvc_stereo::reference {
namespace {

// Containers may nest this deep. Each level costs two frames of the recursive
// parser, under 300 bytes even in unoptimised sanitizer builds, so 512 levels
// need less than 160 KiB: a small share of a 1 MiB Windows thread stack, and
// far more nesting than a calibration document uses. Without a bound a 64 KiB
// run of '[' would recurse 65536 times and could overflow the caller's stack.
constexpr std::size_t kMaxJsonDepth = 512;

constexpr std::size_t kOffsetMessageBufferSize = 96;
constexpr unsigned kHexDigitsPerEscape = 4;
constexpr unsigned kBitsPerHexDigit = 4;
constexpr unsigned char kFirstNonControlByte = 0x20;
constexpr std::uint32_t kHighSurrogateFirst = 0xD800;
constexpr std::uint32_t kHighSurrogateLast = 0xDBFF;
constexpr std::uint32_t kLowSurrogateFirst = 0xDC00;
constexpr std::uint32_t kLowSurrogateLast = 0xDFFF;

bool is_whitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
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

// The cursor only moves forward; after a failure it marks where parsing
// stopped, which is the offset reported to the caller. Tokens are appended
// to the output as whole runs of input bytes.
class JsonMinifier {
public:
    explicit JsonMinifier(std::string_view text)
        : begin_(text.data()), cursor_(text.data()), end_(text.data() + text.size()) {
        output_.reserve(text.size());
    }

    bool parse_value(std::size_t depth);
    void skip_whitespace() {
        while (cursor_ != end_ && is_whitespace(*cursor_)) ++cursor_;
    }
    bool at_end() const { return cursor_ == end_; }
    std::size_t offset() const { return static_cast<std::size_t>(cursor_ - begin_); }
    std::string take_output() { return std::move(output_); }

private:
    bool parse_array(std::size_t depth);
    bool parse_object(std::size_t depth);
    bool parse_string();
    bool parse_escape();
    bool parse_hex_code_unit(std::uint32_t& code_unit);
    bool parse_number();
    bool parse_digits_after_required_one();
    bool parse_literal(std::string_view literal);
    bool copy_byte_if(char expected);
    bool skip_whitespace_not_at_end() {
        skip_whitespace();
        return !at_end();
    }
    void append_from(const char* start) { output_.append(start, static_cast<std::size_t>(cursor_ - start)); }

    const char* begin_;
    const char* cursor_;
    const char* end_;
    std::string output_;
};

bool JsonMinifier::copy_byte_if(char expected) {
    if (at_end() || *cursor_ != expected) return false;
    output_.push_back(expected);
    ++cursor_;
    return true;
}

bool JsonMinifier::parse_value(std::size_t depth) {
    if (at_end()) return false;
    switch (*cursor_) {
        case '"': return parse_string();
        case '[': return depth < kMaxJsonDepth && parse_array(depth + 1);
        case '{': return depth < kMaxJsonDepth && parse_object(depth + 1);
        case 't': return parse_literal("true");
        case 'f': return parse_literal("false");
        case 'n': return parse_literal("null");
        default: break;
    }
    return (*cursor_ == '-' || is_digit(*cursor_)) && parse_number();
}

bool JsonMinifier::parse_literal(std::string_view literal) {
    const char* start = cursor_;
    for (const char letter : literal) {
        if (at_end() || *cursor_ != letter) return false;
        ++cursor_;
    }
    append_from(start);
    return true;
}

bool JsonMinifier::parse_digits_after_required_one() {
    if (at_end() || !is_digit(*cursor_)) return false;
    while (cursor_ != end_ && is_digit(*cursor_)) ++cursor_;
    return true;
}

bool JsonMinifier::parse_number() {
    const char* start = cursor_;
    if (*cursor_ == '-') ++cursor_;
    if (at_end()) return false;
    if (*cursor_ == '0') {
        ++cursor_;  // a leading zero is never followed by more integer digits
    } else if (!parse_digits_after_required_one()) {
        return false;
    }
    if (cursor_ != end_ && *cursor_ == '.') {
        ++cursor_;
        if (!parse_digits_after_required_one()) return false;
    }
    if (cursor_ != end_ && (*cursor_ == 'e' || *cursor_ == 'E')) {
        ++cursor_;
        if (cursor_ != end_ && (*cursor_ == '+' || *cursor_ == '-')) ++cursor_;
        if (!parse_digits_after_required_one()) return false;
    }
    append_from(start);
    return true;
}

bool JsonMinifier::parse_hex_code_unit(std::uint32_t& code_unit) {
    code_unit = 0;
    for (unsigned i = 0; i < kHexDigitsPerEscape; ++i) {
        std::uint32_t digit = 0;
        if (at_end() || !hex_value(*cursor_, digit)) return false;
        code_unit = (code_unit << kBitsPerHexDigit) | digit;
        ++cursor_;
    }
    return true;
}

// Called with the cursor just after a backslash. Escapes are validated and
// left as written; the caller copies the bytes.
bool JsonMinifier::parse_escape() {
    if (at_end()) return false;
    const char letter = *cursor_;
    if (is_simple_escape(letter)) {
        ++cursor_;
        return true;
    }
    if (letter != 'u') return false;
    ++cursor_;
    std::uint32_t code_unit = 0;
    if (!parse_hex_code_unit(code_unit)) return false;
    if (code_unit >= kLowSurrogateFirst && code_unit <= kLowSurrogateLast) return false;
    if (code_unit < kHighSurrogateFirst || code_unit > kHighSurrogateLast) return true;

    // A high surrogate must be followed at once by an escaped low one.
    for (const char expected : {'\\', 'u'}) {
        if (at_end() || *cursor_ != expected) return false;
        ++cursor_;
    }
    std::uint32_t low = 0;
    if (!parse_hex_code_unit(low)) return false;
    return low >= kLowSurrogateFirst && low <= kLowSurrogateLast;
}

bool JsonMinifier::parse_string() {
    const char* start = cursor_;
    ++cursor_;  // opening quote
    while (cursor_ != end_) {
        const char c = *cursor_;
        if (c == '"') {
            ++cursor_;
            append_from(start);
            return true;
        }
        if (static_cast<unsigned char>(c) < kFirstNonControlByte) return false;
        ++cursor_;
        if (c == '\\' && !parse_escape()) return false;
    }
    return false;
}

bool JsonMinifier::parse_array(std::size_t depth) {
    output_.push_back('[');
    ++cursor_;
    if (!skip_whitespace_not_at_end()) return false;
    if (copy_byte_if(']')) return true;
    for (;;) {
        if (!parse_value(depth)) return false;
        if (!skip_whitespace_not_at_end()) return false;
        if (copy_byte_if(']')) return true;
        if (!copy_byte_if(',')) return false;
        if (!skip_whitespace_not_at_end()) return false;
    }
}

bool JsonMinifier::parse_object(std::size_t depth) {
    output_.push_back('{');
    ++cursor_;
    if (!skip_whitespace_not_at_end()) return false;
    if (copy_byte_if('}')) return true;
    for (;;) {
        if (*cursor_ != '"' || !parse_string()) return false;
        skip_whitespace();
        if (!copy_byte_if(':')) return false;
        skip_whitespace();
        if (!parse_value(depth)) return false;
        if (!skip_whitespace_not_at_end()) return false;
        if (copy_byte_if('}')) return true;
        if (!copy_byte_if(',')) return false;
        if (!skip_whitespace_not_at_end()) return false;
    }
}

Status json_failure(const char* what, std::size_t offset) {
    char buffer[kOffsetMessageBufferSize];
    std::snprintf(buffer, sizeof(buffer), "%s at offset %llu", what, static_cast<unsigned long long>(offset));
    return Status(ErrorCode::InvalidJson, buffer);
}

}  // namespace

Result<std::string> minify_and_validate_json(std::string_view text) {
    if (text.empty()) return Status(ErrorCode::InvalidJson, "json text is empty");

    JsonMinifier minifier(text);
    minifier.skip_whitespace();
    if (!minifier.parse_value(0)) return json_failure("invalid JSON value", minifier.offset());
    minifier.skip_whitespace();
    if (!minifier.at_end()) return json_failure("unexpected trailing characters", minifier.offset());
    return minifier.take_output();
}

}  // namespace velmora::uvc_stereo::reference
