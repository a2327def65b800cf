// The JSON minifier against an independent validator, nlohmann-json's accept.
// Both must agree on whether a text is JSON, apart from the differences listed
// in explain_disagreement, each filtered on its own evidence. Properties of
// the minifier on every input: the output re-validates and is its own
// minified form, is never longer than the input, is the input with some
// whitespace removed, and means the same document; a failure's offset lies
// inside the input.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "property_check.hpp"
#include "utf8_check.hpp"
#include "velmora/uvc_stereo/json.hpp"

namespace {

namespace uvc = velmora::uvc_stereo;
using uvc::fuzzing::require;

// The minifier refuses deeper nesting to bound its recursion; the grammar has
// no limit, and nlohmann parses with an explicit stack.
constexpr std::size_t kMinifierDepthLimit = 512;
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kOffsetMarker = " at offset ";

bool is_whitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The position just after the string that opens at text[at] (or the end).
std::size_t after_string(std::string_view text, std::size_t at) {
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\\') {
            ++at;
        } else if (text[at] == '"') {
            return at + 1;
        }
    }
    return text.size();
}

// Deepest nesting of arrays and objects outside strings.
std::size_t nesting_depth(std::string_view text) {
    std::size_t depth = 0;
    std::size_t deepest = 0;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '"') {
            i = after_string(text, i);
            continue;
        }
        if (c == '[' || c == '{') deepest = std::max(deepest, ++depth);
        if ((c == ']' || c == '}') && depth > 0) --depth;
        ++i;
    }
    return deepest;
}

// Whether some number of a valid, minified text is too large for a double.
bool has_overflowing_number(const std::string& minified) {
    for (std::size_t i = 0; i < minified.size();) {
        const char c = minified[i];
        if (c == '"') {
            i = after_string(minified, i);
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            const std::size_t end = std::min(minified.find_first_of(",]}", i), minified.size());
            if (std::isinf(std::strtod(minified.substr(i, end - i).c_str(), nullptr))) return true;
            i = end;
        } else {
            ++i;
        }
    }
    return false;
}

// The output is the input with some whitespace bytes left out.
bool is_input_without_some_whitespace(std::string_view input, std::string_view output) {
    std::size_t at = 0;
    for (const char c : input) {
        if (at < output.size() && output[at] == c) {
            ++at;
        } else if (!is_whitespace(c)) {
            return false;
        }
    }
    return at == output.size();
}

void check_success(std::string_view input, const std::string& output) {
    require(output.size() <= input.size(), "output is never longer than the input");
    require(is_input_without_some_whitespace(input, output), "output is the input without some whitespace");
    const uvc::Result<std::string> again = uvc::minify_and_validate_json(output);
    require(again.ok() && again.value() == output, "output re-validates and minifies to itself");
}

void check_failure(std::string_view input, const uvc::Status& status) {
    require(status.code() == uvc::ErrorCode::InvalidJson, "failures are InvalidJson", uvc::fuzzing::describe(status));
    const std::string& message = status.message();
    if (input.empty()) {
        require(message == "json text is empty", "empty input has its own message", message);
        return;
    }
    const std::size_t marker = message.find(kOffsetMarker);
    require(marker != std::string::npos, "a failure names its offset", message);
    const std::string kind = message.substr(0, marker);
    const std::string digits = message.substr(marker + kOffsetMarker.size());
    require(kind == "invalid JSON value" || kind == "unexpected trailing characters", "a known failure", message);
    require(!digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos &&
                (digits == "0" || digits[0] != '0') && digits.size() <= 20,
            "the offset is plain decimal", message);
    const unsigned long long offset = std::strtoull(digits.c_str(), nullptr, 10);
    require(offset <= input.size(), "a failure's offset lies inside the input", message);
    if (kind == "unexpected trailing characters") {
        require(offset < input.size() && !is_whitespace(input[offset]), "trailing text starts at its offset", message);
    }
}

// Why the two validators may disagree on this input; null when they may not.
//   - nlohmann skips a leading UTF-8 byte order mark; the minifier takes the
//     text as given, and a mark is not JSON.
//   - nlohmann stops at a NUL byte outside strings (it ends C strings); the
//     minifier reads the whole range, where a NUL is never valid.
//   - the minifier's nesting limit (kMinifierDepthLimit).
//   - nlohmann checks that strings are UTF-8; the minifier copies string bytes
//     unchecked.
//   - nlohmann converts numbers to double and refuses those that overflow;
//     the grammar sets no range.
const char* explain_disagreement(std::string_view input, const uvc::Result<std::string>& minified) {
    if (!minified.ok()) {
        if (input.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) return "byte order mark";
        if (input.find('\0') != std::string_view::npos) return "NUL byte";
        if (nesting_depth(input) > kMinifierDepthLimit) return "nesting limit";
        return nullptr;
    }
    if (!uvc::fuzzing::is_valid_utf8(input)) return "invalid UTF-8";
    if (has_overflowing_number(minified.value())) return "number overflow";
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const uvc::Result<std::string> minified = uvc::minify_and_validate_json(input);
    if (minified.ok()) {
        check_success(input, minified.value());
        require(input.find('\0') == std::string_view::npos, "a NUL byte is never valid");
        require(nesting_depth(input) <= kMinifierDepthLimit, "nesting beyond the limit is refused");
    } else {
        check_failure(input, minified.status());
    }

    const bool accepted = nlohmann::json::accept(input.begin(), input.end());
    if (accepted != minified.ok()) {
        require(explain_disagreement(input, minified) != nullptr, "the validators agree",
                accepted ? "nlohmann accepts, the minifier fails: " + minified.status().message()
                         : "the minifier accepts, nlohmann refuses");
        return 0;
    }
    if (accepted) {
        const auto original = nlohmann::json::parse(input.begin(), input.end(), nullptr, false);
        const auto shortened = nlohmann::json::parse(minified.value(), nullptr, false);
        require(!original.is_discarded() && original == shortened, "minifying keeps the document");
    }
    return 0;
}
