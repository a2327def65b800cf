// The JSON minifier against the reference kept in the test tree: on every
// input each of its paths gives the reference's text, or its failure (code,
// message, offset). The paths are the one this CPU takes (the AVX2
// structural pass where it has AVX2), the structural pass on the portable
// kernel, and the exact parser alone (the SSE2 path of CPUs without AVX2,
// or the portable scanner in a VELMORA_JSON_PORTABLE_SCAN build).
// A successful output is also a fixed point: minifying it again changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "formats/json_structural.hpp"
#include "reference_json_minifier.hpp"
#include "velmora/uvc_stereo/json.hpp"

namespace {

using velmora::uvc_stereo::Result;
namespace detail = velmora::uvc_stereo::detail;

[[noreturn]] void diverged(const char* path, const char* what, const Result<std::string>& expected,
                           const Result<std::string>& actual) {
    std::fprintf(stderr, "%s: %s\nreference: %s\nminifier:  %s\n", path, what, expected.status().message().c_str(),
                 actual.status().message().c_str());
    std::abort();
}

void check_same(const char* path, const Result<std::string>& expected, const Result<std::string>& actual) {
    if (expected.status().code() != actual.status().code()) diverged(path, "different codes", expected, actual);
    if (expected.status().message() != actual.status().message()) diverged(path, "different messages", expected, actual);
    if (expected.has_value() != actual.has_value()) diverged(path, "text returned by one only", expected, actual);
    if (actual.has_value() && expected.value() != actual.value()) diverged(path, "different texts", expected, actual);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Result<std::string> expected = velmora::uvc_stereo::reference::minify_and_validate_json(input);
    const Result<std::string> actual = velmora::uvc_stereo::minify_and_validate_json(input);
    check_same("this CPU's path", expected, actual);
    check_same("portable structural pass", expected,
               detail::minify_json_with(input, detail::json_structure::classify_blocks_portably));
    check_same("exact parser alone", expected, detail::minify_json_with(input, nullptr));
    if (!actual.has_value()) return 0;

    const Result<std::string> again = velmora::uvc_stereo::minify_and_validate_json(actual.value());
    if (!again.ok() || again.value() != actual.value()) diverged("this CPU's path", "minified text is not a fixed point", actual, again);
    return 0;
}
