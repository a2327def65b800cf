// The JSON minifier's exact parser: one forward pass that checks every byte
// against the grammar and reports where parsing stopped. It minifies whole
// documents, and takes over documents that the structural pass
// (json_structural.hpp) hands on at a token where something is unusual.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "formats/json_output.hpp"

namespace velmora::uvc_stereo::detail {

// Containers may nest this deep. Both passes keep one byte per open
// container, so the bound no longer protects the stack; it stays because
// callers may rely on documents nested deeper than this being refused.
constexpr std::size_t kMaxJsonDepth = 512;

// Where in the grammar parsing stands, before the token at a position.
enum class JsonState : std::uint8_t {
    value,         // a value must come
    array_start,   // after '[': a value or ']'
    object_start,  // after '{': a key or '}'
    key,           // a key must come
    colon,         // after a key: ':' must come
    after_value,   // ',' or the closer must come, or the end of the text at the top level
    in_value_string,  // inside a string that is a value: scanning goes on at the position
    in_key_string,    // inside a string that is a key
};

constexpr bool is_inside_string(JsonState state) {
    return state == JsonState::in_value_string || state == JsonState::in_key_string;
}

// A point to go on from: the state, the input offset of the next token (no
// whitespace before it left to skip, except at the start of the text) or,
// inside a string, of the next byte or escape to check, and the open
// containers: `depth` of them, the innermost one closing with `closer` and
// the ones around it with closers[depth - 1] ... closers[1]. Everything
// before the offset has been checked and written.
struct JsonResumePoint {
    JsonState state;
    std::size_t position;
    std::size_t depth;
    char closer;
};

enum class JsonOutcome { minified, invalid_value, trailing_characters };

// Minifies `text` from `from` to its end, appending to `output` from `out`
// on. `closers` holds kMaxJsonDepth bytes. `stop` is the offset where
// parsing stopped.
JsonOutcome minify_exactly(std::string_view text, const JsonResumePoint& from, JsonOutput& output, char* out,
                           char* closers, std::size_t& stop);

}  // namespace velmora::uvc_stereo::detail
