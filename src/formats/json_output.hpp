// The JSON minifier's output: bytes gather in a chunk on the caller's stack
// and go to the result a few kilobytes at a time, so the result, reserved
// once to the input's length, is only appended to and never reallocates.
// The write position itself is the caller's, kept in a register by the
// parsing loop and passed in and out here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "formats/compiler_hints.hpp"
#include "formats/json_scan.hpp"

namespace velmora::uvc_stereo::detail {

class JsonOutput {
public:
    static constexpr std::size_t kChunkSize = 4096;
    // Copies work in 16-byte pieces and may write up to 31 bytes past their end.
    static constexpr std::size_t kChunkSlack = 32;
    // Runs longer than this go straight to the result.
    static constexpr std::size_t kLongRun = 256;
    // More than the minifier writes between two make_room() calls: the
    // exact parser a block's worth of input, then one run and one piece's
    // overshoot; the structural pass a batch of 16 blocks and an overshoot.
    static constexpr std::size_t kRoomNeeded = 1280;

    // `chunk` holds kChunkSize + kChunkSlack bytes.
    JsonOutput(std::string& result, char* chunk) : result_(&result), chunk_(chunk) {}

    char* start() const { return chunk_; }

    // Where writing goes on: the chunk's start once it has been flushed.
    VELMORA_FORCE_INLINE char* make_room(char* out) {
        if (VELMORA_UNLIKELY(static_cast<std::size_t>(out - chunk_) > kChunkSize - kRoomNeeded)) return flush(out);
        return out;
    }

    // A run of input bytes ending at most at `input_end`: copied in pieces
    // when the input leaves room for their overshoot, exactly otherwise, and
    // straight to the result when long.
    VELMORA_FORCE_INLINE char* put_run(char* out, const char* from, std::size_t count, const char* input_end) {
        if (count > kLongRun) return append_long(out, from, count);
        if (static_cast<std::size_t>(input_end - from) >= count + kChunkSlack) return put(out, from, count);
        std::memcpy(out, from, count);
        return out + count;
    }

    // `count` bytes from `from`, which stays readable 31 bytes past them:
    // two pieces are copied whatever the count, so that keys and numbers
    // take no loop.
    static VELMORA_FORCE_INLINE char* put(char* out, const char* from, std::size_t count) {
        json_scan::active::copy16(out, from);
        json_scan::active::copy16(out + 16, from + 16);
        for (std::size_t i = 32; i < count; i += 16) json_scan::active::copy16(out + i, from + i);
        return out + count;
    }

    // At most 16 bytes from `from`, which stays readable 16 bytes on.
    static VELMORA_FORCE_INLINE char* put_short(char* out, const char* from, std::size_t count) {
        json_scan::active::copy16(out, from);
        return out + count;
    }

    // The bytes of a 64-byte block marked in `kept`, run by run; the block
    // stays readable 16 bytes past its end. Runs between whitespace are
    // mostly short: one 16-byte piece, and a loop only for longer ones.
    static VELMORA_FORCE_INLINE char* put_kept(char* out, const char* block, std::uint64_t kept) {
        if (kept == ~std::uint64_t{0}) return put(out, block, json_scan::kBlockSize);
        std::uint64_t starts = kept & ~(kept << 1);
        std::uint64_t lasts = kept & ~(kept >> 1);
        while (starts != 0) {
            const unsigned first = json_scan::lowest_set_bit(starts);
            const unsigned length = json_scan::lowest_set_bit(lasts) + 1 - first;
            json_scan::active::copy16(out, block + first);
            for (unsigned i = json_scan::kSpanSize; VELMORA_UNLIKELY(i < length); i += json_scan::kSpanSize) {
                json_scan::active::copy16(out + i, block + first + i);
            }
            out += length;
            starts &= starts - 1;
            lasts &= lasts - 1;
        }
        return out;
    }

    // The number of bytes written so far, `out` included.
    std::size_t position(const char* out) const { return result_->size() + static_cast<std::size_t>(out - chunk_); }

    // Drops what was written after `position`; returns where writing goes on.
    char* rewind(std::size_t position) {
        if (position >= result_->size()) return chunk_ + (position - result_->size());
        result_->resize(position);  // shrinking never reallocates
        return chunk_;
    }

    void finish(char* out) { flush(out); }

private:
    char* flush(char* out);
    char* append_long(char* out, const char* from, std::size_t count);

    std::string* result_;
    char* chunk_;
};

}  // namespace velmora::uvc_stereo::detail
