// The JSON minifier's structural pass: the grammar's states over the tokens
// of each block, with the checks a token needs where it starts.
//
// The loop in run() keeps the token mask, the block, the depth and the
// innermost closer in registers; it leaves them only for batch changes and
// hand-overs, which happen out of line. The output is not touched per token:
// each block's kept bytes were written when its batch was classified, and a
// hand-over takes back what follows the token it stops at.
#include "formats/json_structural.hpp"

#include <cstring>

#include "formats/compiler_hints.hpp"
#include "formats/json_number.hpp"
#include "formats/json_tokens.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

namespace scan = json_scan;

struct ByteSet {
    bool contains[256];
    constexpr explicit ByteSet(const char* members) : contains() {
        for (; *members != '\0'; ++members) contains[static_cast<unsigned char>(*members)] = true;
    }
};

// What may follow a number or a literal: whitespace, or a comma or closer
// (the grammar then checks which). Anything else makes the token longer or
// wrong, and the exact parser decides.
constexpr ByteSet kDelimiters(" \t\n\r,]}");
// Escape letters that stand alone; 'u' needs its hexadecimal digits checked.
constexpr ByteSet kSingleLetterEscapes("\"\\/bfnrt");
// A lookup rather than two compares: whether a number starts with its sign
// is as good as random, and a branch on it would often be mispredicted.
constexpr ByteSet kNumberStarts("-0123456789");

// Bits 0 to index - 1; `index` below 64.
VELMORA_FORCE_INLINE std::uint64_t below(unsigned index) { return (std::uint64_t{1} << index) - 1; }

// The index of the lowest token, as wide as a pointer.
VELMORA_FORCE_INLINE std::size_t token_index(std::uint64_t tokens) {
    return static_cast<std::size_t>(scan::lowest_set_bit(tokens));
}

VELMORA_FORCE_INLINE bool is_number_start(unsigned char c) { return kNumberStarts.contains[c]; }

template <std::size_t N>
VELMORA_FORCE_INLINE bool is_literal(const char* start, const char (&literal)[N]) {
    return std::memcmp(start, literal, N - 1) == 0 && kDelimiters.contains[static_cast<unsigned char>(start[N - 1])];
}

}  // namespace

// The number at `number`, whose first byte is `first`: a plain one shorter
// than 16 bytes is checked on the masks of its 16 bytes, without branches
// (signs, dots and lengths vary from number to number). Adding the bit of a
// run's first digit to the digit mask carries to the byte after the run.
bool StructuralMinifier::number_is_valid(const char* number, unsigned char first) const {
    const json_scan::NumberMasks masks = json_scan::active::classify_number(number);
    const std::uint32_t digits = masks.digits;
    const std::uint32_t minus = first == '-';
    const std::uint32_t integer = 1 + minus;  // the bit of its first digit
    const std::uint32_t after_integer = (digits + integer) & ~digits;
    const std::uint32_t fraction = (after_integer & masks.dots) << 1;  // none without a dot
    const std::uint32_t end = ((digits + fraction) & ~digits) | (after_integer & ~masks.dots);
    const std::uint32_t leading_zero = (number[minus] == '0') & (after_integer != integer << 1);
    const std::uint32_t followed = kDelimiters.contains[static_cast<unsigned char>(number[scan::lowest_set_bit(end)])];
    const std::uint32_t wrong = (integer & ~digits) | (fraction & ~digits) | (end >> json_scan::kSpanSize) |
                                leading_zero | (followed ^ 1);
    if (VELMORA_UNLIKELY(wrong != 0)) return number_is_valid_by_bytes(number);
    return true;
}

// Numbers the quick check refused: plain ones are checked once more with
// the exact parser's 16-byte check, the others (exponents, 16 bytes or more,
// anything wrong) byte by byte; either must end where a delimiter or the
// text's end follows.
bool StructuralMinifier::number_is_valid_by_bytes(const char* number) const {
    const unsigned length = plain_number_length(number);
    if (length != 0) return kDelimiters.contains[static_cast<unsigned char>(number[length])];
    bool ok = false;
    const char* stop = scan_number(number, data_end_, ok);
    return ok && (stop == data_end_ || kDelimiters.contains[static_cast<unsigned char>(*stop)]);
}

// The next block of the batch, or the first of the next batch.
StructuralMinifier::Cursor StructuralMinifier::next_block(const Cursor& c, JsonState state) {
    if (VELMORA_UNLIKELY(++block_ == batch_size_)) return next_batch(state);
    return Cursor{c.block[1].tokens, c.data + kBlock, c.block + 1};
}

// Takes the next token, moving to the next block when the current one has
// none left. Expects `c`, `index`, `ch`, `depth` and `closer` in scope.
#define VELMORA_NEXT_TOKEN(state)             \
    while (VELMORA_UNLIKELY(c.tokens == 0)) { \
        c = next_block(c, state);             \
        if (c.data == nullptr) {              \
            resume = stop_;                   \
            resume.depth = depth;             \
            resume.closer = closer;           \
            goto done;                        \
        }                                     \
    }                                         \
    index = token_index(c.tokens);            \
    c.tokens &= c.tokens - 1;                 \
    ch = static_cast<unsigned char>(c.data[index])

#define VELMORA_HAND_OVER(state)                          \
    do {                                                  \
        resume = hand_over(state, index, depth, closer);  \
        goto done;                                        \
    } while (false)

JsonResumePoint StructuralMinifier::run(char*& out) {
    out_ = out;
    data_end_ = input_ + size_;
    JsonResumePoint resume{JsonState::value, 0, 0, 0};
    std::size_t depth = 0;
    char closer = 0;
    char* const closers = closers_;
    std::size_t index = 0;
    unsigned char ch = 0;
    Cursor c = load_batch();
    if (c.data == nullptr) {
        resume = stop_;
        goto done;
    }

value:
    VELMORA_NEXT_TOKEN(JsonState::value);
value_token:
    if (is_number_start(ch)) {
        if (VELMORA_UNLIKELY(!number_is_valid(c.data + index, ch))) VELMORA_HAND_OVER(JsonState::value);
        // The elements of an array of numbers follow each other without the
        // general dispatch: the bulk of a calibration document.
        while (closer == ']') {
            VELMORA_NEXT_TOKEN(JsonState::after_value);
            if (ch != ',') goto after_value_token;
            VELMORA_NEXT_TOKEN(JsonState::value);
            if (!is_number_start(ch)) goto value_token;
            if (VELMORA_UNLIKELY(!number_is_valid(c.data + index, ch))) VELMORA_HAND_OVER(JsonState::value);
        }
        goto after_value;
    }
    if (ch == '"') goto after_value;  // its bytes were checked with the block
    if ((ch | 0x20) == '{') {         // '[' or '{'
        if (depth == kMaxJsonDepth) VELMORA_HAND_OVER(JsonState::value);
        closers[depth++] = closer;
        closer = static_cast<char>(ch + 2);
        if (ch == '[') goto array_start;
        goto object_start;
    }
    if ((ch == 't' && is_literal(c.data + index, "true")) || (ch == 'f' && is_literal(c.data + index, "false")) ||
        (ch == 'n' && is_literal(c.data + index, "null"))) {
        goto after_value;
    }
    VELMORA_HAND_OVER(JsonState::value);
after_value:
    if (depth == 0) goto top_level_end;
    VELMORA_NEXT_TOKEN(JsonState::after_value);
after_value_token:
    if (ch == ',') {
        if (closer == '}') goto key;
        goto value;
    }
    if (ch != static_cast<unsigned char>(closer)) VELMORA_HAND_OVER(JsonState::after_value);
    closer = closers[--depth];
    goto after_value;
array_start:
    VELMORA_NEXT_TOKEN(JsonState::array_start);
    if (ch != ']') goto value_token;
    closer = closers[--depth];
    goto after_value;
object_start:
    VELMORA_NEXT_TOKEN(JsonState::object_start);
    if (ch != '}') goto key_token;
    closer = closers[--depth];
    goto after_value;
key:
    VELMORA_NEXT_TOKEN(JsonState::key);
key_token:
    if (ch != '"') VELMORA_HAND_OVER(JsonState::key);
    VELMORA_NEXT_TOKEN(JsonState::colon);
    if (ch != ':') VELMORA_HAND_OVER(JsonState::colon);
    goto value;
top_level_end:
    VELMORA_NEXT_TOKEN(JsonState::after_value);
    VELMORA_HAND_OVER(JsonState::after_value);  // something follows the value
done:
    out = out_;
    return resume;
}

#undef VELMORA_NEXT_TOKEN
#undef VELMORA_HAND_OVER

// Where the output stands before byte `index` of the batch's block `block`.
std::size_t StructuralMinifier::output_position(unsigned block, unsigned index) const {
    return output_.position(block_outputs_[block]) + scan::count_bits(blocks_[block].kept & below(index));
}

// The exact parser goes on at the token `index` of the current block; the
// output keeps what came before it.
JsonResumePoint StructuralMinifier::hand_over(JsonState state, std::size_t index, std::size_t depth, char closer) {
    out_ = output_.rewind(output_position(block_, static_cast<unsigned>(index)));
    return JsonResumePoint{state, batch_offset_ + kBlock * block_ + index, depth, closer};
}

StructuralMinifier::Cursor StructuralMinifier::stop(JsonState state, std::size_t position, char* out) {
    out_ = out;
    stop_ = JsonResumePoint{state, position, 0, 0};
    return Cursor{0, nullptr, nullptr};
}

// The string open since an earlier batch is wrong, or never closed: the
// exact parser goes on inside it at `position`, with the output kept up to
// there.
StructuralMinifier::Cursor StructuralMinifier::stop_in_open_string(std::size_t position, std::size_t output) {
    return stop(open_string_state_, position, output_.rewind(output));
}

// The walk took every token before the flawed string's opening quote and
// waits in `state`. Where that state takes a string, the exact parser goes
// on inside it; elsewhere the quote itself is wrong, and it goes on there.
StructuralMinifier::Cursor StructuralMinifier::stop_at_flawed_string(JsonState state) {
    const bool value = state == JsonState::value || state == JsonState::array_start;
    const bool key = state == JsonState::key || state == JsonState::object_start;
    if (value || key) {
        return stop(value ? JsonState::in_value_string : JsonState::in_key_string, flaw_offset_,
                    output_.rewind(flaw_output_));
    }
    const unsigned last = batch_size_ - 1;
    return stop(state, batch_offset_ + kBlock * last + limit_, output_.rewind(output_position(last, limit_)));
}

// Called when the batch has no tokens left.
StructuralMinifier::Cursor StructuralMinifier::next_batch(JsonState state) {
    if (VELMORA_UNLIKELY(limit_ != kNoLimit)) return stop_at_flawed_string(state);
    if (carry_.in_string != 0) note_open_string(state);
    const std::size_t text_left = size_ - batch_offset_;
    const std::size_t batch_bytes = kBlock * batch_size_;
    if (text_left <= batch_bytes) {
        if (carry_.in_string == 0) return stop(state, size_, out_);
        // Only the padding after the text's end follows in the batch.
        const std::size_t text_end_output =
            text_left == batch_bytes
                ? output_.position(out_)
                : output_position(static_cast<unsigned>(text_left / kBlock), static_cast<unsigned>(text_left % kBlock));
        return stop_in_open_string(size_, text_end_output);
    }
    batch_offset_ += batch_bytes;
    out_ = output_.make_room(out_);
    return load_batch();
}

// Notes whether the string still open at the batch's end, if it started in
// the batch, is a key or a value. Its opening quote was the batch's last
// token, so `state` tells.
void StructuralMinifier::note_open_string(JsonState state) {
    for (unsigned block = batch_size_; block-- > 0;) {
        if (blocks_[block].opening_quotes == 0) continue;
        open_string_state_ = state == JsonState::colon ? JsonState::in_key_string : JsonState::in_value_string;
        return;
    }
}

// Classifies the next batch and writes its kept bytes. Near the end of the
// text the blocks are read from a copy padded with spaces, so that the
// lookahead stays in bounds.
StructuralMinifier::Cursor StructuralMinifier::load_batch() {
    const std::size_t remaining = size_ - batch_offset_;
    if (!in_tail_ && remaining >= kBlock + kLookahead) {
        batch_data_ = input_ + batch_offset_;
        batch_size_ = static_cast<unsigned>((remaining - kLookahead) / kBlock);
        if (batch_size_ > kBatchBlocks) batch_size_ = kBatchBlocks;
    } else {
        in_tail_ = true;
        std::memcpy(tail_, input_ + batch_offset_, remaining);
        std::memset(tail_ + remaining, ' ', kTailSize - remaining);
        batch_data_ = tail_;
        data_end_ = tail_ + remaining;
        batch_size_ = static_cast<unsigned>((remaining + kBlock - 1) / kBlock);
    }
    out_ = classify_(batch_data_, batch_size_, carry_, blocks_, block_outputs_, out_);
    // The padding after the text's end is whitespace, or lies in a string
    // that never closes, whose output the hand-over drops.
    std::uint64_t strings_to_check = 0;
    for (unsigned block = 0; block < batch_size_; ++block) {
        strings_to_check |= blocks_[block].controls | blocks_[block].escapes;
    }
    block_ = 0;
    if (VELMORA_UNLIKELY(strings_to_check != 0)) return check_strings();
    return Cursor{blocks_[0].tokens, batch_data_, blocks_};
}

// Control bytes and wrong escapes make a string wrong. The batch's tokens
// before the first wrong string are taken; the exact parser goes on inside
// it, at the wrong byte or at the backslash of the wrong escape (the byte
// before the escape's bit, perhaps in the block or batch before), so that
// it never starts inside an escape.
StructuralMinifier::Cursor StructuralMinifier::check_strings() {
    for (unsigned block = 0; block < batch_size_; ++block) {
        const json_structure::Block& checked = blocks_[block];
        const unsigned control = checked.controls != 0 ? scan::lowest_set_bit(checked.controls) : kNoLimit;
        const unsigned escape =
            checked.escapes != 0
                ? first_bad_escape(batch_data_ + kBlock * block, batch_offset_ + kBlock * block, checked.escapes)
                : kNoLimit;
        const unsigned bad = escape <= control ? escape : control;
        if (bad == kNoLimit) continue;
        const std::size_t backslash = bad == escape ? 1 : 0;
        flaw_offset_ = batch_offset_ + kBlock * block + bad - backslash;
        flaw_output_ = output_position(block, bad) - backslash;
        // The opening quote of the string holding the bad byte: the last one
        // up to it, in this block or an earlier one.
        std::uint64_t quotes = checked.opening_quotes & ((std::uint64_t{2} << bad) - 1);  // wraps to all at 63
        unsigned quote_block = block;
        while (quotes == 0 && quote_block > 0) quotes = blocks_[--quote_block].opening_quotes;
        if (quotes == 0) return stop_in_open_string(flaw_offset_, flaw_output_);
        batch_size_ = quote_block + 1;
        limit_ = scan::highest_set_bit(quotes);
        blocks_[quote_block].tokens &= below(limit_);
        break;
    }
    return Cursor{blocks_[0].tokens, batch_data_, blocks_};
}

// The index of the first escape (the byte after its backslash) of the block
// at `offset` that is wrong, or kNoLimit. The second half of a surrogate
// pair is checked with the first, possibly in the block before.
unsigned StructuralMinifier::first_bad_escape(const char* data, std::size_t offset, std::uint64_t escapes) {
    for (; escapes != 0; escapes &= escapes - 1) {
        const unsigned index = scan::lowest_set_bit(escapes);
        if (offset + index < escapes_checked_to_) continue;
        if (kSingleLetterEscapes.contains[static_cast<unsigned char>(data[index])]) continue;
        bool ok = false;
        const char* end = scan_escape(data + index, data_end_, ok);
        if (!ok) return index;
        escapes_checked_to_ = offset + static_cast<std::size_t>(end - data);
    }
    return kNoLimit;
}

}  // namespace velmora::uvc_stereo::detail
