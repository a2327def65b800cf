// The JSON minifier against the reference kept in the test tree: on every
// input both give the same text, or the same failure (code, message, offset).
// A successful output is also a fixed point: minifying it again changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "reference_json_minifier.hpp"
#include "velmora/uvc_stereo/json.hpp"

namespace {

using velmora::uvc_stereo::Result;

[[noreturn]] void diverged(const char* what, const Result<std::string>& expected, const Result<std::string>& actual) {
    std::fprintf(stderr, "%s\nreference: %s\nshipped:   %s\n", what, expected.status().message().c_str(),
                 actual.status().message().c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Result<std::string> expected = velmora::uvc_stereo::reference::minify_and_validate_json(input);
    const Result<std::string> actual = velmora::uvc_stereo::minify_and_validate_json(input);

    if (expected.status().code() != actual.status().code()) diverged("different codes", expected, actual);
    if (expected.status().message() != actual.status().message()) diverged("different messages", expected, actual);
    if (expected.has_value() != actual.has_value()) diverged("text returned by one only", expected, actual);
    if (!actual.has_value()) return 0;
    if (expected.value() != actual.value()) diverged("different texts", expected, actual);

    const Result<std::string> again = velmora::uvc_stereo::minify_and_validate_json(actual.value());
    if (!again.ok() || again.value() != actual.value()) diverged("minified text is not a fixed point", actual, again);
    return 0;
}
