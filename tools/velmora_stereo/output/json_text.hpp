// JSON text helpers: string quoting for the tool's own output, and indenting
// the (already validated) document read from a camera.
#pragma once

#include <string>
#include <string_view>

namespace velmora::stereo_tool {

// text as a JSON string literal, quotes included. Bytes of 0x80 and above
// pass through unchanged (UTF-8); control characters are escaped.
std::string json_quote(std::string_view text);

// Indents valid JSON text with two spaces per level, one member or element
// per line, ": " after keys. Empty objects and arrays stay "{}" and "[]".
// Whitespace outside strings in the input is dropped; strings are copied
// byte for byte. The result ends without a newline.
std::string pretty_print_json(std::string_view json);

}  // namespace velmora::stereo_tool
