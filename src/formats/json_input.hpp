// The JSON minifier's view of its input: 64-byte blocks, each classified
// once into a whitespace mask when the parser first needs it. Near the end of
// the input a block is read from a copy padded with zero bytes, so every
// block can be read a fixed distance ahead without a bounds check.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/json_scan.hpp"

namespace velmora::uvc_stereo::detail {

// Sixteen bytes, so that it comes back from a call in two registers.
struct JsonBlock {
    const char* data;              // kReadable bytes: in the input, or in the padded tail
    std::uint64_t not_whitespace;  // bit i: byte i of the block is not whitespace
};

class JsonInput {
public:
    static constexpr std::size_t kBlockSize = json_scan::kBlockSize;
    // Bytes readable from a block's start. The parser moves to the next block
    // only where it needs the mask, so a token may start up to a block and a
    // half in, and reads two 16-byte spans ahead of its start.
    static constexpr std::size_t kReadable = 2 * kBlockSize + 2 * json_scan::kSpanSize;
    // The padded copy: fewer than kReadable input bytes, then zeros.
    static constexpr std::size_t kTailSize = 2 * kReadable;

    // `tail` holds kTailSize bytes.
    JsonInput(const char* input, std::size_t size, char* tail) : input_(input), size_(size), tail_(tail) {}

    const char* begin() const { return input_; }
    const char* end() const { return input_ + size_; }
    std::size_t size() const { return size_; }
    // The input offset of the current block's first byte.
    std::size_t offset() const { return offset_; }

    // The block that starts at `offset`, which becomes the current one.
    JsonBlock block_at(std::size_t offset);
    // The block after the current one.
    JsonBlock next_block() { return block_at(offset_ + kBlockSize); }

private:
    const char* input_;
    std::size_t size_;
    char* tail_;
    std::size_t offset_ = 0;
};

}  // namespace velmora::uvc_stereo::detail
