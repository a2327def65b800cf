// The JSON minifier's structural pass. A batch of 64-byte blocks is
// classified at once (json_structure.hpp) and the kept bytes of each block
// are written; then the pass walks the batch's tokens through the grammar's
// states. Strings are checked block by block (no control bytes, valid
// escapes), numbers and literals where they start.
//
// It never reports an error itself. At the first token it cannot accept, and
// at the end of the text, it hands on a resume point (state, offset, open
// containers) with the output rewound to that offset, and the exact parser
// (json_exact.hpp) goes on from there: errors get their offsets and messages
// from one parser only. A string found wrong is handed on at its first
// wrong byte or escape, inside the string, so that the exact parser scans
// none of it again, however many batches it spans.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/compiler_hints.hpp"
#include "formats/json_exact.hpp"
#include "formats/json_output.hpp"
#include "formats/json_structure.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

class StructuralMinifier {
public:
    static constexpr unsigned kBatchBlocks = 16;
    // Bytes readable past a block: a number's 16-byte check or a 16-byte
    // copy of a run starting at the block's last byte, an escape; with room
    // to spare.
    static constexpr std::size_t kLookahead = 64;

    // `closers` holds kMaxJsonDepth bytes; `classify` is the kernel.
    StructuralMinifier(std::string_view text, JsonOutput& output, char* closers,
                       json_structure::ClassifyBlocks classify)
        : input_(text.data()), size_(text.size()), output_(output), closers_(closers), classify_(classify) {}

    // Minifies as far as it can; `out` is where writing goes on. Returns
    // where the exact parser must go on.
    JsonResumePoint run(char*& out);

private:
    static constexpr std::size_t kBlock = json_scan::kBlockSize;
    // The padded copy of the text's last bytes: fewer than a block and the
    // lookahead, so at most two blocks, and their lookahead.
    static constexpr std::size_t kTailSize = 2 * kBlock + kLookahead;

    struct Cursor {
        std::uint64_t tokens;                 // the current block's tokens not yet taken
        const char* data;                     // the current block; null once the pass stopped
        const json_structure::Block* block;  // its structure
    };

    VELMORA_FORCE_INLINE Cursor next_block(const Cursor& c, JsonState state);
    VELMORA_FORCE_INLINE bool number_is_valid(const char* number, unsigned char first) const;
    bool number_is_valid_by_bytes(const char* number) const;
    JsonResumePoint hand_over(JsonState state, std::size_t index, std::size_t depth, char closer);
    Cursor next_batch(JsonState state);
    void note_open_string(JsonState state);
    Cursor load_batch();
    Cursor check_strings();
    unsigned first_bad_escape(const char* data, std::size_t offset, std::uint64_t escapes);
    std::size_t output_position(unsigned block, unsigned index) const;
    Cursor stop(JsonState state, std::size_t position, char* out);
    Cursor stop_in_open_string(std::size_t position, std::size_t output);
    Cursor stop_at_flawed_string(JsonState state);

    const char* input_;
    std::size_t size_;
    JsonOutput& output_;
    char* closers_;
    json_structure::ClassifyBlocks classify_;
    char* out_ = nullptr;             // after the batch's kept bytes
    const char* data_end_ = nullptr;  // the end of the text, seen from the batch's data
    json_structure::Carry carry_;
    std::size_t escapes_checked_to_ = 0;  // input offset: escapes before it were checked

    // The batch: its blocks from batch_data_ on, at input offset batch_offset_.
    const char* batch_data_ = nullptr;
    std::size_t batch_offset_ = 0;
    unsigned batch_size_ = 0;
    unsigned block_ = 0;  // the current one
    json_structure::Block blocks_[kBatchBlocks];
    char* block_outputs_[kBatchBlocks];  // where each block's kept bytes were written

    // Whether the string still open at the end of a batch is a key or a value.
    JsonState open_string_state_ = JsonState::in_value_string;

    // A string of the batch turned out wrong: the tokens before it are
    // taken, up to its opening quote, the bit `limit_` of the batch's last
    // block. Where the string takes that quote, the exact parser goes on
    // inside it at its first wrong byte or escape (input offset flaw_offset_,
    // output position flaw_output_); otherwise at the quote.
    static constexpr unsigned kNoLimit = 64;
    unsigned limit_ = kNoLimit;
    std::size_t flaw_offset_ = 0;
    std::size_t flaw_output_ = 0;

    JsonResumePoint stop_{};  // set when the pass stops
    bool in_tail_ = false;
    char tail_[kTailSize];
};

// minify_and_validate_json() with the structural pass on `kernel`, or with
// the exact parser alone when `kernel` is null. Tests run the portable
// kernel through it on any CPU.
Result<std::string> minify_json_with(std::string_view text, json_structure::ClassifyBlocks kernel);

}  // namespace velmora::uvc_stereo::detail
