// Where a JSON text goes wrong and what was expected there, in words a person
// fixing the file understands ("expected ',' or '}'"). Whether a text is
// accepted is the SDK's decision; this only explains a refusal.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::stereo_tool {

struct JsonProblem {
    std::size_t offset = 0;  // byte offset of the first byte that does not fit
    std::string message;     // "expected ',' or '}'"
};

// The first problem of text under the JSON grammar the camera's documents
// follow (RFC 8259, any value at the top, at most 512 levels of nesting);
// nothing when text is valid.
std::optional<JsonProblem> diagnose_json(std::string_view text);

}  // namespace velmora::stereo_tool
