// The JSON differential check: the shipped minifier's paths against the
// reference minifier.
#include "json_reference_check.hpp"

#include <gtest/gtest.h>

#include "formats/json_structural.hpp"
#include "reference_json_minifier.hpp"
#include "velmora/uvc_stereo/json.hpp"

namespace velmora::uvc_stereo {
namespace {

bool same_result(std::string_view input, const Result<std::string>& expected, const Result<std::string>& actual,
                 const char* path) {
    const bool same = expected.status().code() == actual.status().code() &&
                      expected.status().message() == actual.status().message() &&
                      expected.has_value() == actual.has_value() &&
                      (!expected.has_value() || expected.value() == actual.value());
    if (!same) {
        ADD_FAILURE() << path << "\ninput: " << printable(input) << "\nreference: " << expected.status().message()
                      << " " << (expected.has_value() ? printable(expected.value()) : "") << "\nshipped:   "
                      << actual.status().message() << " " << (actual.has_value() ? printable(actual.value()) : "");
    }
    return same;
}

}  // namespace

std::string printable(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

bool matches_reference(std::string_view input) {
    const Result<std::string> expected = reference::minify_and_validate_json(input);
    return same_result(input, expected, minify_and_validate_json(input), "path this CPU takes") &&
           same_result(input, expected,
                       detail::minify_json_with(input, detail::json_structure::classify_blocks_portably),
                       "structural pass with the portable kernel");
}

}  // namespace velmora::uvc_stereo
