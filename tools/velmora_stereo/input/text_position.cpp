// Line and column of a byte offset in a text, as an editor shows them.
#include "input/text_position.hpp"

#include <algorithm>

namespace velmora::stereo_tool {
namespace {

constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationBits = 0x80;

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & kContinuationMask) == kContinuationBits; }

}  // namespace

TextPosition position_of(std::string_view text, std::size_t offset) {
    TextPosition position;
    const std::size_t end = std::min(offset, text.size());
    for (std::size_t i = 0; i < end; ++i) {
        const char c = text[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++position.line;
            position.column = 1;
        } else if (c != '\r' && !is_continuation(c)) {
            ++position.column;
        }
    }
    return position;
}

}  // namespace velmora::stereo_tool
