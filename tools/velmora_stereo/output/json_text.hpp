// Indenting the (already validated) document read from a camera, byte for
// byte as stored: the tool's own output goes through nlohmann (tool_json.hpp).
#pragma once

#include <string>
#include <string_view>

namespace velmora::stereo_tool {

// Indents valid JSON text with two spaces per level, one member or element
// per line, ": " after keys. Empty objects and arrays stay "{}" and "[]".
// Whitespace outside strings in the input is dropped; strings are copied
// byte for byte. The result ends without a newline.
std::string pretty_print_json(std::string_view json);

}  // namespace velmora::stereo_tool
