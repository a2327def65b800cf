// minify_and_validate_json: where the CPU has AVX2, the structural pass takes
// the text as far as it can; the exact parser finishes it (or parses all of
// it), reporting any error.
#include "velmora/uvc_stereo/json.hpp"

#include <cstddef>
#include <cstdio>

#include "formats/json_classify_avx2.hpp"
#include "formats/json_exact.hpp"
#include "formats/json_output.hpp"
#include "formats/json_structural.hpp"

namespace velmora::uvc_stereo {
namespace {

using detail::JsonOutcome;
using detail::JsonOutput;
using detail::JsonResumePoint;
using detail::JsonState;

constexpr std::size_t kOffsetMessageBufferSize = 96;

Status json_failure(const char* what, std::size_t offset) {
    char buffer[kOffsetMessageBufferSize];
    std::snprintf(buffer, sizeof(buffer), "%s at offset %llu", what, static_cast<unsigned long long>(offset));
    return Status(ErrorCode::InvalidJson, buffer);
}

}  // namespace

namespace detail {

Result<std::string> minify_json_with(std::string_view text, json_structure::ClassifyBlocks kernel) {
    if (text.empty()) return Status(ErrorCode::InvalidJson, "json text is empty");

    std::string minified;
    minified.reserve(text.size());  // the only allocation: the text never grows
    char chunk[JsonOutput::kChunkSize + JsonOutput::kChunkSlack];
    char closers[kMaxJsonDepth];
    JsonOutput output(minified, chunk);
    char* out = output.start();
    JsonResumePoint from{JsonState::value, 0, 0, 0};
    if (kernel != nullptr) {
        StructuralMinifier structural(text, output, closers, kernel);
        from = structural.run(out);
    }
    std::size_t stop = 0;
    switch (minify_exactly(text, from, output, out, closers, stop)) {
        case JsonOutcome::invalid_value: return json_failure("invalid JSON value", stop);
        case JsonOutcome::trailing_characters: return json_failure("unexpected trailing characters", stop);
        case JsonOutcome::minified: break;
    }
    return minified;
}

}  // namespace detail

Result<std::string> minify_and_validate_json(std::string_view text) {
    return detail::minify_json_with(text, detail::cpu_runs_avx2_kernel() ? detail::classify_blocks_avx2 : nullptr);
}

}  // namespace velmora::uvc_stereo
