// The JSON minifier's output: bytes gather in a chunk on the caller's stack
// and go to the result a few kilobytes at a time, so the result, reserved
// once to the input's length, is only appended to and never reallocates.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include "formats/compiler_hints.hpp"
#include "formats/json_scan.hpp"

namespace velmora::uvc_stereo::detail {

class JsonOutput {
public:
    static constexpr std::size_t kChunkSize = 4096;
    // Copies work in 16-byte pieces and may write up to 15 bytes past their end.
    static constexpr std::size_t kChunkSlack = 16;
    // Runs longer than this go straight to the result.
    static constexpr std::size_t kLongRun = 256;
    // More than the minifier writes between two make_room() calls: a window's
    // worth of input, then one run and one piece's overshoot.
    static constexpr std::size_t kRoomNeeded = 512;

    // `chunk` holds kChunkSize + kChunkSlack bytes.
    JsonOutput(std::string& result, char* chunk) : result_(&result), chunk_(chunk), end_(chunk) {}

    VELMORA_FORCE_INLINE void put(char c) { *end_++ = c; }

    // `count` bytes from `from`, which stays readable 15 bytes past them.
    VELMORA_FORCE_INLINE void put(const char* from, std::size_t count) {
        json_scan::active::copy16(end_, from);
        for (std::size_t i = 16; i < count; i += 16) json_scan::active::copy16(end_ + i, from + i);
        end_ += count;
    }

    // A run of input bytes ending at most at `input_end`: copied in pieces
    // when the input leaves room for their overshoot, exactly otherwise.
    VELMORA_FORCE_INLINE void put_run(const char* from, std::size_t count, const char* input_end) {
        if (count > kLongRun) {
            append_long(from, count);
        } else if (static_cast<std::size_t>(input_end - from) >= count + 15) {
            put(from, count);
        } else {
            std::memcpy(end_, from, count);
            end_ += count;
        }
    }

    VELMORA_FORCE_INLINE void make_room() {
        if (static_cast<std::size_t>(end_ - chunk_) > kChunkSize - kRoomNeeded) flush();
    }

    // A run of any length, straight to the result.
    VELMORA_FORCE_INLINE void append_long(const char* from, std::size_t count) {
        flush();
        result_->append(from, count);
    }

    VELMORA_FORCE_INLINE void finish() { flush(); }

private:
    VELMORA_FORCE_INLINE void flush() {
        result_->append(chunk_, static_cast<std::size_t>(end_ - chunk_));
        end_ = chunk_;
    }

    std::string* result_;
    char* chunk_;
    char* end_;
};

}  // namespace velmora::uvc_stereo::detail
