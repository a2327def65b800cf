// One-pass JSON validator and minifier: checks the text against the JSON
// grammar and copies it without whitespace outside strings.
//
// The 64-byte block under the cursor is classified into bit masks once, when
// the cursor reaches it: skipping whitespace or finding where a number ends
// is then a shift and a count of trailing zeros, which keeps the bytes
// themselves off the cursor's dependency chain. Numbers and short strings
// are checked 16 bytes at a time where they start, without branching on
// their bytes; anything unusual (an exponent, an escape, a long
// token) goes to byte-by-byte scanners. Containers are tracked on a small
// stack instead of by recursion.
//
// The last bytes of the input are read from a copy padded with zero bytes.
// A zero byte is wrong at every place the grammar can reach, so the end of
// the input stops parsing exactly where a NUL byte would; only the top level
// asks whether the cursor is at the end.
#include "velmora/uvc_stereo/json.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "formats/compiler_hints.hpp"
#include "formats/json_output.hpp"
#include "formats/json_scan.hpp"
#include "formats/json_tokens.hpp"

namespace velmora::uvc_stereo {
namespace {

namespace scan = detail::json_scan;
using detail::JsonOutput;

// Containers may nest this deep. The parser keeps one byte per open
// container, so the bound no longer protects the stack; it stays because
// callers may rely on documents nested deeper than this being refused.
constexpr std::size_t kMaxJsonDepth = 512;

constexpr std::size_t kOffsetMessageBufferSize = 96;
constexpr std::size_t kBlock = scan::kBlockSize;
constexpr std::size_t kSpan = scan::kSpanSize;
// Bytes readable from the start of the block under the cursor: the block and
// what a token starting in it reads ahead (a 16-byte span after its first
// byte, and copies of up to two spans).
constexpr std::size_t kReadable = kBlock + 2 * kSpan;
// The padded copy of the input's last bytes: fewer than kReadable of them,
// then zeros for the reads of one more block.
constexpr std::size_t kTailSize = 2 * kReadable;

// True when the `length` bytes (1 to 15) at `number` are exactly an integer
// or a decimal fraction, the forms calibration values take; `minus` (0 or 1)
// tells whether the first one is a '-'. Checked without branches, because
// signs and leading digits are as good as random; anything else goes to the
// byte-by-byte scanner.
VELMORA_FORCE_INLINE bool is_plain_number(const char* number, unsigned length, unsigned minus,
                                          scan::NumberMasks masks) {
    const std::uint32_t body = ((1u << length) - 1) ^ minus;  // the bytes after the sign
    const std::uint32_t not_digits = body & ~masks.digits;    // must be one dot, or nothing
    const std::uint32_t first_digit = 1u << minus;
    const std::uint32_t last = 1u << (length - 1);
    const std::uint32_t zero_then_digit = (number[minus] == '0') & (masks.digits >> (minus + 1));
    return ((not_digits & ~masks.dots) | (not_digits & (not_digits - 1)) |  // one dot at most, no exponent,
            (not_digits & (first_digit | last)) |                          // with digits on both sides
            (zero_then_digit & 1)) == 0 &&                                 // a leading zero stands alone
           (body & masks.digits) != 0;                                     // a digit at least
}

// The cursor only moves forward; after a failure it marks where parsing
// stopped, which is the offset reported to the caller.
class JsonMinifier {
public:
    // `tail` holds kTailSize bytes, `chunk` is JsonOutput's.
    JsonMinifier(std::string_view text, char* tail, std::string& result, char* chunk)
        : input_(text.data()), size_(text.size()), tail_(tail), output_(result, chunk) {
        anchor(0);
    }

    VELMORA_FORCE_INLINE bool parse_value_tree(char* closers);
    VELMORA_FORCE_INLINE void skip_whitespace();
    std::size_t offset() const { return offset_ + index_; }
    void finish() { output_.finish(); }

private:
    VELMORA_FORCE_INLINE void anchor(std::size_t offset);
    VELMORA_FORCE_INLINE void advance();
    VELMORA_FORCE_INLINE void enter_tail();
    VELMORA_FORCE_INLINE void move_to(std::size_t offset);
    VELMORA_FORCE_INLINE char byte() const { return data_[index_]; }
    VELMORA_FORCE_INLINE const char* at_cursor() const { return data_ + index_; }
    VELMORA_FORCE_INLINE bool parse_string();
    VELMORA_FORCE_INLINE bool parse_string_by_bytes();
    VELMORA_FORCE_INLINE bool parse_number();
    VELMORA_FORCE_INLINE bool parse_number_by_bytes();
    template <std::size_t N>
    VELMORA_FORCE_INLINE bool parse_literal(const char (&literal)[N]);
    VELMORA_FORCE_INLINE void emit_and_step(char c) {
        output_.put(c);
        ++index_;
    }

    const char* input_;
    std::size_t size_;
    char* tail_;
    JsonOutput output_;
    bool in_tail_ = false;
    std::size_t offset_ = 0;          // of data_[0] in the input
    const char* data_ = nullptr;      // the block under the cursor, kReadable bytes readable
    std::size_t index_ = 0;           // the cursor, from data_
    scan::BlockMasks masks_{};        // of the block
};

// Copies what is left of the input from offset_ into the zero-padded tail.
void JsonMinifier::enter_tail() {
    std::memset(tail_, 0, kTailSize);
    std::memcpy(tail_, input_ + offset_, size_ - offset_);
    data_ = tail_;
    in_tail_ = true;
}

// Places the block at `offset`, with the cursor on it.
void JsonMinifier::anchor(std::size_t offset) {
    offset_ = offset;
    index_ = 0;
    if (size_ - offset >= kReadable) {
        data_ = input_ + offset;
        in_tail_ = false;
    } else {
        enter_tail();
    }
    masks_ = scan::active::classify_block(data_);
    output_.make_room();
}

// Moves on to the next block, once the cursor has left this one. The tail
// is entered before a block's reads would reach past the input.
void JsonMinifier::advance() {
    index_ -= kBlock;
    offset_ += kBlock;
    if (in_tail_ || size_ - offset_ >= kReadable) {
        data_ += kBlock;
    } else {
        enter_tail();
    }
    masks_ = scan::active::classify_block(data_);
    output_.make_room();
}

// Puts the cursor on `offset`, which lies ahead of it, and the block under it.
void JsonMinifier::move_to(std::size_t offset) {
    if (offset - offset_ < kBlock) {
        index_ = offset - offset_;
    } else {
        anchor(offset);
    }
}

// Leaves the cursor on the next byte that is not whitespace, inside the
// block, so that the token there has the block's lookahead. A lone space,
// as after a colon, is stepped over without the mask.
void JsonMinifier::skip_whitespace() {
    for (;;) {
        if (VELMORA_UNLIKELY(index_ >= kBlock)) advance();
        const char c = byte();
        if (static_cast<unsigned char>(c) > ' ') return;  // no whitespace: the common case
        if (c == ' ' && static_cast<unsigned char>(data_[index_ + 1]) > ' ') {
            ++index_;
            if (VELMORA_UNLIKELY(index_ == kBlock)) advance();
            return;
        }
        const std::uint64_t others = masks_.not_whitespace >> index_;
        if (others != 0) {
            index_ += scan::lowest_set_bit(others);
            return;
        }
        index_ = kBlock;  // whitespace to the end of the block
    }
}

template <std::size_t N>
bool JsonMinifier::parse_literal(const char (&literal)[N]) {
    constexpr std::size_t length = N - 1;
    const char* start = at_cursor();
    if (std::memcmp(start, literal, length) == 0) {
        output_.put(start, length);
        index_ += length;
        return true;
    }
    for (const char* letter = literal; byte() == *letter; ++letter) ++index_;
    return false;
}

// A number is taken to end at the first byte that may follow one; when the
// bytes before it are a plain number, that is where the grammar ends it too.
// A number that runs past the block, or is not plain, is parsed by bytes.
bool JsonMinifier::parse_number() {
    const char* start = at_cursor();
    const scan::NumberMasks masks = scan::active::classify_number(start);
    const unsigned minus = *start == '-';
    const std::uint64_t ends = masks_.value_ends >> index_;
    const unsigned length = ends != 0 ? scan::lowest_set_bit(ends) : kSpan;
    if (VELMORA_UNLIKELY(length >= kSpan || !is_plain_number(start, length, minus, masks))) {
        return parse_number_by_bytes();
    }
    output_.put(start, length);
    index_ += length;
    return true;
}

bool JsonMinifier::parse_number_by_bytes() {
    const char* start = input_ + offset();
    const char* end = input_ + size_;
    bool ok = false;
    const char* stop = detail::scan_number(start, end, ok);
    if (ok) output_.put_run(start, static_cast<std::size_t>(stop - start), end);
    move_to(static_cast<std::size_t>(stop - input_));
    return ok;
}

// A string whose closing quote is the first quote, backslash or control byte
// of the 16 bytes after the opening one is copied at once.
bool JsonMinifier::parse_string() {
    const char* start = at_cursor();
    const scan::StringMasks masks = scan::active::classify_string(start + 1);
    const std::uint32_t first_stop = masks.stops & (0u - masks.stops);
    if (VELMORA_UNLIKELY((first_stop & masks.quotes) == 0)) return parse_string_by_bytes();
    const unsigned length = scan::lowest_set_bit(first_stop) + 2;
    output_.put(start, length);
    index_ += length;
    return true;
}

// Scanned on the input itself, from one quote, backslash or control byte to
// the next; the whole string is copied once its closing quote is found.
bool JsonMinifier::parse_string_by_bytes() {
    const char* start = input_ + offset();
    const char* end = input_ + size_;
    const char* cursor = start + 1;  // after the opening quote
    bool ok = true;
    for (;;) {
        cursor = scan::active::find_string_stop(cursor, end);
        if (cursor == end || *cursor != '\\') break;
        cursor = detail::scan_escape(cursor + 1, end, ok);
        if (!ok) break;
    }
    // Stopped by the closing quote, or by a bad escape, a control byte or the end.
    ok = ok && cursor != end && *cursor == '"';
    if (ok) {
        ++cursor;
        output_.put_run(start, static_cast<std::size_t>(cursor - start), end);
    }
    move_to(static_cast<std::size_t>(cursor - input_));
    return ok;
}

// Parses one value, with whitespace already skipped. The byte that closes the
// innermost open container is kept in `closer`, those of the containers
// around it in `closers` (kMaxJsonDepth bytes); ']' and '}' are two above
// '[' and '{'.
bool JsonMinifier::parse_value_tree(char* closers) {
    std::size_t depth = 0;
    char closer = 0;
value:
    switch (byte()) {
        case '-': case '0': case '1': case '2': case '3': case '4':
        case '5': case '6': case '7': case '8': case '9':
            if (!parse_number()) return false;
            break;
        case '"':
            if (!parse_string()) return false;
            break;
        case '[':
        case '{': {
            if (depth == kMaxJsonDepth) return false;
            const char opener = byte();
            closers[depth++] = closer;
            closer = static_cast<char>(opener + 2);
            emit_and_step(opener);
            skip_whitespace();
            if (byte() == closer) {
                emit_and_step(closer);
                closer = closers[--depth];
                break;
            }
            if (opener == '{') goto key;
            goto value;
        }
        case 't':
            if (!parse_literal("true")) return false;
            break;
        case 'f':
            if (!parse_literal("false")) return false;
            break;
        case 'n':
            if (!parse_literal("null")) return false;
            break;
        default:
            return false;
    }
after_value:
    if (depth == 0) return true;
    skip_whitespace();
    if (byte() == ',') {
        emit_and_step(',');
        skip_whitespace();
        if (closer == '}') goto key;
        goto value;
    }
    if (byte() != closer) return false;
    emit_and_step(closer);
    closer = closers[--depth];
    goto after_value;
key:
    if (byte() != '"' || !parse_string()) return false;
    skip_whitespace();
    if (byte() != ':') return false;
    emit_and_step(':');
    skip_whitespace();
    goto value;
}

Status json_failure(const char* what, std::size_t offset) {
    char buffer[kOffsetMessageBufferSize];
    std::snprintf(buffer, sizeof(buffer), "%s at offset %llu", what, static_cast<unsigned long long>(offset));
    return Status(ErrorCode::InvalidJson, buffer);
}

}  // namespace

Result<std::string> minify_and_validate_json(std::string_view text) {
    if (text.empty()) return Status(ErrorCode::InvalidJson, "json text is empty");

    std::string minified;
    minified.reserve(text.size());  // the only allocation: the text never grows
    char chunk[JsonOutput::kChunkSize + JsonOutput::kChunkSlack];
    char tail[kTailSize];
    char closers[kMaxJsonDepth];
    JsonMinifier minifier(text, tail, minified, chunk);
    minifier.skip_whitespace();
    if (!minifier.parse_value_tree(closers)) return json_failure("invalid JSON value", minifier.offset());
    minifier.skip_whitespace();
    if (minifier.offset() != text.size()) {
        return json_failure("unexpected trailing characters", minifier.offset());
    }
    minifier.finish();
    return minified;
}

}  // namespace velmora::uvc_stereo
