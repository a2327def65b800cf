// Blocks of the JSON minifier's input, and the chunked output; both run once
// per block or chunk, out of the parsing loop.
#include "formats/json_input.hpp"

#include <cstring>

#include "formats/json_output.hpp"

namespace velmora::uvc_stereo::detail {

JsonBlock JsonInput::block_at(std::size_t offset) {
    offset_ = offset;
    const char* data = input_ + offset;
    if (size_ - offset < kReadable) {
        std::memset(tail_, 0, kTailSize);
        std::memcpy(tail_, data, size_ - offset);
        data = tail_;
    }
    return JsonBlock{data, json_scan::active::not_whitespace(data)};
}

char* JsonOutput::flush(char* out) {
    result_->append(chunk_, static_cast<std::size_t>(out - chunk_));
    return chunk_;
}

char* JsonOutput::append_long(char* out, const char* from, std::size_t count) {
    out = flush(out);
    result_->append(from, count);
    return out;
}

}  // namespace velmora::uvc_stereo::detail
