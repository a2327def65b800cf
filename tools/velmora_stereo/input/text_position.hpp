// Line and column of a byte offset in a text, as an editor shows them.
#pragma once

#include <cstddef>
#include <string_view>

namespace velmora::stereo_tool {

struct TextPosition {
    std::size_t line = 1;    // from 1; LF, CR LF and a lone CR each end a line
    std::size_t column = 1;  // from 1, in characters (UTF-8 sequences count once)
};

// Where offset lies in text; an offset past the end is the position after the last byte.
TextPosition position_of(std::string_view text, std::size_t offset);

}  // namespace velmora::stereo_tool
